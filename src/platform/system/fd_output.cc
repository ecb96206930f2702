#include "platform/system/fd_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

FdOutputBuffer::FdOutputBuffer(int fd) : fd_(fd) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutputBuffer::~FdOutputBuffer() { Flush(); }

bool FdOutputBuffer::Write(const char* data, size_t size) {
  if (failure_ != OutputFailure::kNone) return false;
  while (size > 0) {
    const ssize_t n = write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      failure_ = error == EPIPE ? OutputFailure::kClosedPipe : OutputFailure::kOther;
      failure_text_ = std::strerror(error);
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool FdOutputBuffer::Flush() {
  const size_t pending = static_cast<size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return pending == 0 || Write(buffer_.data(), pending);
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
  if (!Flush()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize FdOutputBuffer::xsputn(const char* data, std::streamsize count) {
  const auto size = static_cast<size_t>(count);
  if (size <= static_cast<size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), data, size);
    pbump(static_cast<int>(size));
    return count;
  }
  // Larger than the room left: what is buffered goes first, then the data as it is.
  if (!Flush() || !Write(data, size)) return 0;
  return count;
}

int FdOutputBuffer::sync() { return Flush() ? 0 : -1; }

}  // namespace platform
