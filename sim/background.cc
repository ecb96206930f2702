#include "sim/background.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/system/unique_fd.h"

namespace sim {
namespace {

void FromDevNull(int fd, int flags) {
  const int null_fd = ::open("/dev/null", flags | O_CLOEXEC);
  if (null_fd < 0) return;
  ::dup2(null_fd, fd);
  ::close(null_fd);
}

}  // namespace

int ContinueInBackground(std::string* error) {
  auto fail = [&](const char* what) {
    *error =
        std::string("cannot start the background process: ") + what + ": " + std::strerror(errno);
    return -1;
  };
  // The child tells over this pipe that it has left the session, so the parent returns only
  // when a hang-up of the terminal can no longer reach the printer.
  int ready[2];
  if (::pipe2(ready, O_CLOEXEC) != 0) return fail("pipe");
  platform::UniqueFd read_end(ready[0]);
  platform::UniqueFd write_end(ready[1]);
  // Nothing buffered may be written twice, once by each process.
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return fail("fork");
  if (pid > 0) {
    write_end.Reset();
    char byte = 0;
    ssize_t n;
    do {
      n = ::read(read_end.get(), &byte, 1);
    } while (n < 0 && errno == EINTR);
    if (n != 1) {
      *error = "the background process ended before it was ready";
      return -1;
    }
    return static_cast<int>(pid);
  }
  read_end.Reset();
  ::setsid();
  FromDevNull(STDIN_FILENO, O_RDONLY);
  FromDevNull(STDOUT_FILENO, O_WRONLY);
  struct stat info {};
  if (::fstat(STDERR_FILENO, &info) != 0 || !S_ISREG(info.st_mode)) {
    FromDevNull(STDERR_FILENO, O_WRONLY);
  }
  const char byte = 1;
  while (::write(write_end.get(), &byte, 1) < 0 && errno == EINTR) {
  }
  return 0;
}

}  // namespace sim
