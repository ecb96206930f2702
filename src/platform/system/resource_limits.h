#pragma once

// What the system lets this process hold at once: open files, threads and memory. A program that
// works thousands of printers side by side asks before it starts, so that it can work fewer at a
// time, with a word, rather than fail printers halfway.

#include <cstdint>
#include <optional>

namespace platform {

struct OpenFileLimit {
  uint64_t soft = 0;  // what the process may open now (RLIMIT_NOFILE)
  uint64_t hard = 0;  // how far the process itself may raise it
  uint64_t in_use = 0;
};

// Raises the soft limit of open files to the hard limit (as far as the system takes it) and
// returns the limits as they are then, with the files open now.
OpenFileLimit RaiseOpenFileLimit();

// How many more task stacks this process may map, each with its guard page, as far as the
// system's count of memory maps allows (vm.max_map_count); nullopt when it cannot be read.
std::optional<uint64_t> StackLimit();

// The memory the system could give without swapping (MemAvailable), in bytes; nullopt when it
// cannot be read.
std::optional<uint64_t> AvailableMemoryBytes();

}  // namespace platform
