#pragma once

// How many printers to work on at once: every printer of the list (or -j N), as far as the
// system's open files, memory maps and memory allow. When they allow fewer, fewer are worked on at
// a time, and a notice says what was needed, what the system allows and how to change it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/system/fiber_loop.h"

namespace cli {

struct SystemLimits {
  uint64_t open_files = 0;       // the soft limit, after raising it to the hard one
  uint64_t open_files_hard = 0;  // the hard limit
  uint64_t files_in_use = 0;
  std::optional<uint64_t> stacks;        // more printers' stacks this process may map
  std::optional<uint64_t> memory_bytes;  // memory available
  size_t cpus = 1;                       // a fiber loop runs on each (FleetLoops)
};

// Raises the soft limit of open files to the hard one and reads the limits.
SystemLimits ReadSystemLimits();

// Open files one printer's link takes: a socket or a device (a link closes its file before it
// opens again).
inline constexpr uint64_t kFilesPerPrinter = 1;
// Open files a host name lookup in progress may take besides: the event it ends with and the
// name service's sockets on the lookup's thread.
inline constexpr uint64_t kFilesPerLookup = 3;
// Files the program itself keeps open besides the printers' and the loops' (the printers file, a
// settings file, the logs of the libraries).
inline constexpr uint64_t kFilesReserved = 32;
// Files each fiber loop keeps besides its printers': its epoll, and an --output file it writes.
inline constexpr uint64_t kFilesPerLoop = 2;
// Stacks each fiber loop may map besides its printers': up to a map's worth less one unused,
// and its thread's own.
inline constexpr uint64_t kStacksPerLoop = platform::FiberLoop::kStacksPerMap;
// Memory one printer under way may take: its stack as used, its services, its session
// and its outcome come to about 17 KiB (1,000 printers at once: 21 MB resident, one printer
// 4 MB); the rest is room to spare.
inline constexpr uint64_t kMemoryPerPrinter = 256 << 10;

struct Concurrency {
  size_t jobs = 1;
  std::string notice;  // empty when nothing was lowered
};

// `requested` is -j (nullopt: every printer at once); `host_names` is how many names the run
// looks up (each once, however many printers share it).
Concurrency ChooseConcurrency(size_t printers, size_t host_names, std::optional<size_t> requested,
                              const SystemLimits& limits);

}  // namespace cli
