#pragma once

// The program's standard streams as the hosts see them: what kind of file each is, and reading
// standard input with a time-out so timers keep running while no input arrives.

#include <cstddef>
#include <cstdint>

namespace platform {

enum class FdKind { kTerminal, kPipe, kRegularFile, kOther, kClosed };

FdKind ClassifyFd(int fd);

enum class WaitResult { kReadable, kTimeout, kError };
// Waits until `fd` has input (or its end) for at most `timeout_ms`; UINT32_MAX waits forever.
WaitResult WaitReadable(int fd, uint32_t timeout_ms);

// One read: bytes read, 0 at the end of input, -1 on an error. Interrupted reads are retried.
long ReadSome(int fd, char* buffer, size_t size);

}  // namespace platform
