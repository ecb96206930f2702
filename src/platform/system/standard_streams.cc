#include "platform/system/standard_streams.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

void IgnoreBrokenPipes() { ::signal(SIGPIPE, SIG_IGN); }

void FillClosedStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free number, which is this one: the lower ones are open by now.
    const int opened = ::open("/dev/null", O_RDONLY | O_NOCTTY);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
}

bool FlushStandardOutput(const char* program) {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  const int error = errno;
  std::fprintf(stderr, "%s: the output could not be written%s%s\n", program, error != 0 ? ": " : "",
               error != 0 ? std::strerror(error) : "");
  return false;
}

}  // namespace platform
