#include "platform/posix_device_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {
namespace {

// > 0 ready, 0 timed out, < 0 failed or hung up with nothing to move.
int WaitFor(int fd, short events, Clock& clock, uint32_t limit_ms) {
  const uint32_t start = clock.TickCount();
  while (true) {
    const uint32_t elapsed = clock.TickCount() - start;
    const int left = elapsed >= limit_ms ? 0 : static_cast<int>(limit_ms - elapsed);
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, left);
    if (r < 0 && errno == EINTR) continue;
    if (r > 0 && (p.revents & events) == 0) {
      errno = EIO;
      return -1;
    }
    return r;
  }
}

}  // namespace

bool PosixDeviceFile::Open(const std::string& path, bool exclusive) {
  Close();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    last_error_ = errno;
    return false;
  }
  UniqueFd owned(fd);
  if (exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    last_error_ = errno;
    return false;
  }
  fd_ = std::move(owned);
  last_error_ = 0;
  return true;
}

size_t PosixDeviceFile::Write(const uint8_t* data, size_t length) {
  if (!fd_.valid()) return 0;
  size_t written = 0;
  while (written < length) {
    const ssize_t n = ::write(fd_.get(), data + written, length - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      last_error_ = errno;
      break;
    }
    const int r = WaitFor(fd_.get(), POLLOUT, clock_, kWriteStallLimitMs);
    if (r <= 0) {
      last_error_ = r == 0 ? ETIMEDOUT : errno;
      break;
    }
  }
  return written;
}

size_t PosixDeviceFile::Read(uint8_t* buffer, size_t capacity) {
  if (!fd_.valid() || capacity == 0) return 0;
  const uint32_t start = clock_.TickCount();
  while (true) {
    const ssize_t n = ::read(fd_.get(), buffer, capacity);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      last_error_ = errno;
      return 0;
    }
    const uint32_t elapsed = clock_.TickCount() - start;
    if (elapsed >= kReadTimeoutMs) return 0;
    const int r = WaitFor(fd_.get(), POLLIN, clock_, kReadTimeoutMs - elapsed);
    if (r <= 0) {
      if (r < 0) last_error_ = errno;
      return 0;
    }
  }
}

void PosixDeviceFile::Close() { fd_.Reset(); }

}  // namespace platform
