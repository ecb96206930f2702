#pragma once

namespace platform {

// A program started with standard input, output or error closed (`>&-`) would hand their numbers
// to the next file, socket or device it opens, and what it prints would go there: into a printer
// or a settings file. This opens /dev/null in each closed one, read-only, so that a write to a
// closed output still fails and the program can say its output was lost. Call it first in main.
void FillClosedStandardStreams();

// A reader that went away (a closed pipe) fails the writes with EPIPE instead of ending the
// program with SIGPIPE, silently and with its work half done; the program then says what was
// lost.
void IgnoreBrokenPipes();

// Flushes standard output (a help or version text); false, with "PROGRAM: the output could not
// be written: REASON" on standard error, when it could not be written (a full disk, a closed
// pipe), so that the program does not report success for text nobody got.
bool FlushStandardOutput(const char* program);

}  // namespace platform
