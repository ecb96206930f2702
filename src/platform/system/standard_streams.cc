#include "platform/system/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

void FillClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free number, which is this one: the lower ones are open by now.
    const int opened = ::open("/dev/null", O_RDONLY | O_NOCTTY);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
}

}  // namespace platform
