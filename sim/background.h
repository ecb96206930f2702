#pragma once

// printer-sim's --background: once the printers listen, the serving goes on in a child process of
// its own session, and the command returns, so a script can start the simulator, learn at once
// whether it listens, and stop it later by its process id.

#include <string>

namespace sim {

// Forks. In the child (the process that goes on serving) it returns 0, after leaving the
// terminal's session, taking standard input and output from /dev/null, and keeping standard
// error only when it is a regular file (a terminal would show late messages over another
// program's screen, and a pipe would keep a reader such as `$(...)` waiting until the simulator
// stops). In the parent it returns the child's process id. -1 with `error` set when the fork
// fails. The parent returns only once the child has done all that. Call before any thread
// starts: only the calling thread goes on in the child.
int ContinueInBackground(std::string* error);

}  // namespace sim
