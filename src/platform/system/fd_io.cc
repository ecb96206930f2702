#include "platform/system/fd_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/system/fiber_loop.h"

namespace platform {

int RemainingMs(Clock& clock, uint32_t start, uint64_t limit_ms) {
  const uint64_t elapsed = static_cast<uint32_t>(clock.TickCount() - start);
  if (elapsed >= limit_ms) return 0;
  return static_cast<int>(std::min<uint64_t>(limit_ms - elapsed, 0x7FFFFFFF));
}

namespace {

// poll on one descriptor; inside a task of a fiber loop, the loop's wait.
int Poll(pollfd& p, int timeout_ms) {
  if (FiberLoop* loop = FiberLoop::Current()) {
    p.revents = loop->WaitFd(p.fd, p.events, timeout_ms);
    return p.revents != 0 ? 1 : 0;
  }
  return ::poll(&p, 1, timeout_ms);
}

}  // namespace

int WaitForFd(int fd, short events, Clock& clock, uint64_t limit_ms) {
  const uint32_t start = clock.TickCount();
  while (true) {
    pollfd p{fd, events, 0};
    const int left = RemainingMs(clock, start, limit_ms);
    const bool sliced = clock.HasIdleHook() && left > static_cast<int>(Clock::kIdleSliceMs);
    const int r = Poll(p, sliced ? static_cast<int>(Clock::kIdleSliceMs) : left);
    if (r < 0 && errno == EINTR) continue;
    if (r == 0 && sliced) {
      clock.Idle();
      continue;
    }
    if (r > 0 && (p.revents & events) == 0) {  // error or hang-up, nothing to move
      errno = EIO;
      return -1;
    }
    return r;
  }
}

FdWriteResult WriteFd(int fd, const uint8_t* data, size_t length, Clock& clock,
                      uint32_t stall_limit_ms, uint64_t total_ms) {
  const uint32_t start = clock.TickCount();
  FdWriteResult result;
  while (result.written < length) {
    const ssize_t n = ::write(fd, data + result.written, length - result.written);
    if (n > 0) {
      result.written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      result.error = errno;
      break;
    }
    uint64_t wait = stall_limit_ms;
    if (total_ms != 0) {
      const int left = RemainingMs(clock, start, total_ms);
      if (left == 0) {
        result.error = ETIMEDOUT;
        break;
      }
      wait = std::min<uint64_t>(wait, static_cast<uint64_t>(left));
    }
    const int r = WaitForFd(fd, POLLOUT, clock, wait);
    if (r <= 0) {
      result.error = r == 0 ? ETIMEDOUT : errno;
      break;
    }
  }
  return result;
}

}  // namespace platform
