#include "platform/devices/posix_device_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/system/fd_io.h"

namespace platform {

bool PosixDeviceFile::Open(const std::string& path, bool exclusive) {
  Close();
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    last_cause_ = CauseFromErrno(errno);
    return false;
  }
  UniqueFd owned(fd);
  if (exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    last_cause_ = CauseFromErrno(errno);
    return false;
  }
  fd_ = std::move(owned);
  last_cause_ = FailureCause::kNone;
  return true;
}

size_t PosixDeviceFile::Write(const uint8_t* data, size_t length) {
  if (!fd_.valid()) return 0;
  const FdWriteResult result = WriteFd(fd_.get(), data, length, clock_, kWriteStallLimitMs, 0);
  if (result.error != 0) last_cause_ = CauseFromErrno(result.error);
  return result.written;
}

size_t PosixDeviceFile::Read(uint8_t* buffer, size_t capacity) {
  if (!fd_.valid() || capacity == 0) return 0;
  const uint32_t start = clock_.TickCount();
  while (true) {
    const ssize_t n = ::read(fd_.get(), buffer, capacity);
    if (n >= 0) return static_cast<size_t>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      last_cause_ = CauseFromErrno(errno);
      return 0;
    }
    const uint32_t elapsed = clock_.TickCount() - start;
    if (elapsed >= kReadTimeoutMs) return 0;
    const int r = WaitForFd(fd_.get(), POLLIN, clock_, kReadTimeoutMs - elapsed);
    if (r <= 0) {
      if (r < 0) last_cause_ = CauseFromErrno(errno);
      return 0;
    }
  }
}

void PosixDeviceFile::Close() { fd_.Reset(); }

}  // namespace platform
