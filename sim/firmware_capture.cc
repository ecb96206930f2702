#include "sim/firmware_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {

bool FirmwareCapture::Open(const std::string& path, std::string* error) {
  path_ = path;
  total_ = 0;
  fd_.Reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
  if (fd_.valid()) return true;
  if (error) *error = "cannot open " + path + ": " + std::strerror(errno);
  return false;
}

bool FirmwareCapture::Append(std::span<const uint8_t> bytes, std::string* error) {
  if (failed_) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (error) *error = "cannot write " + path_ + ": " + std::strerror(n < 0 ? errno : EIO);
      failed_ = true;
      return false;
    }
    done += static_cast<size_t>(n);
    total_ += static_cast<uint64_t>(n);
  }
  return true;
}

}  // namespace sim
