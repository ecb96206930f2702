#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system/clock.h"

namespace platform {

// Milliseconds left of `limit_ms` counted from `start` on the 32-bit tick clock, 0 when past.
int RemainingMs(Clock& clock, uint32_t start, uint64_t limit_ms);

// Waits up to `limit_ms` for `events` on `fd`; > 0 ready, 0 timed out, < 0 failed or hung up with
// nothing to move (errno set). EINTR is waited out with the time that is left. The clock's idle
// hook is called every Clock::kIdleSliceMs of the wait.
int WaitForFd(int fd, short events, Clock& clock, uint64_t limit_ms);

struct FdWriteResult {
  size_t written = 0;
  // 0 when every byte went out; ETIMEDOUT when a wait for room ran out; otherwise the errno of
  // the failed write or wait.
  int error = 0;
};

// Writes `data` to the non-blocking `fd`. While the driver's buffer is full it waits for room,
// each wait at most `stall_limit_ms`, and the whole write at most `total_ms` (0: no total), so a
// stalled device never holds the caller forever.
FdWriteResult WriteFd(int fd, const uint8_t* data, size_t length, Clock& clock,
                      uint32_t stall_limit_ms, uint64_t total_ms);

}  // namespace platform
