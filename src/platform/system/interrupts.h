#pragma once

// Ctrl-C (SIGINT), SIGTERM, SIGHUP and Ctrl-\ (SIGQUIT) as a request to stop. The first one sets
// a flag the program checks between steps of its work and writes a notice to standard error; a
// second one ends the process at once, for a person who will not wait for the steps under way.
// A signal the process was started with ignored (nohup) stays ignored.

#include <atomic>

namespace platform {

// Installs the handlers (once per process; a later call changes nothing and returns the same
// flag). `notice` must live as long as the process; `exit_status` is the status of an end at once.
const std::atomic<bool>& WatchInterrupts(const char* notice, int exit_status);

}  // namespace platform
