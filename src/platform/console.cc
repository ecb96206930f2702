#include "platform/console.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform {

FdKind ClassifyFd(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return FdKind::kClosed;
  if (isatty(fd)) return FdKind::kTerminal;
  if (S_ISFIFO(st.st_mode)) return FdKind::kPipe;
  if (S_ISREG(st.st_mode)) return FdKind::kRegularFile;
  return FdKind::kOther;
}

WaitResult WaitReadable(int fd, uint32_t timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  const int timeout = timeout_ms == UINT32_MAX                      ? -1
                      : timeout_ms > static_cast<uint32_t>(INT_MAX) ? INT_MAX
                                                                    : static_cast<int>(timeout_ms);
  for (;;) {
    const int n = poll(&p, 1, timeout);
    if (n > 0) return WaitResult::kReadable;  // input, end of input or hang-up: read tells which
    if (n == 0) return WaitResult::kTimeout;
    if (errno != EINTR) return WaitResult::kError;
  }
}

long ReadSome(int fd, char* buffer, size_t size) {
  for (;;) {
    const ssize_t n = read(fd, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

}  // namespace platform
