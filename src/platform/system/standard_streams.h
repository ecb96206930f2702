#pragma once

namespace platform {

// A program started with standard input, output or error closed (`>&-`) would hand their numbers
// to the next file, socket or device it opens, and what it prints would go there: into a printer
// or a settings file. This opens /dev/null in each closed one, read-only, so that a write to a
// closed output still fails and the program can say its output was lost. Call it first in main.
void FillClosedStandardStreams();

}  // namespace platform
