#include "platform/system/trace.h"

#include <unistd.h>

namespace platform {

void FdTrace::Trace(std::string_view text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, p, left);
    if (n <= 0) return;  // a trace must never stop the program
    p += n;
    left -= static_cast<size_t>(n);
  }
}

}  // namespace platform
