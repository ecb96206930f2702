#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "platform/system/unique_fd.h"

namespace platform_test {

// A pseudo terminal: the code under test opens `slave_path()` like a serial line, the test plays
// the far end on the master side.
class Pty {
 public:
  Pty() {
    master_.Reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master_.valid() || ::grantpt(master_.get()) != 0 || ::unlockpt(master_.get()) != 0) {
      master_.Reset();
      return;
    }
    char name[128];
    if (::ptsname_r(master_.get(), name, sizeof name) != 0) {
      master_.Reset();
      return;
    }
    slave_path_ = name;
    // Raw line discipline on the slave side (termios calls on the master reach the slave).
    termios t{};
    ::tcgetattr(master_.get(), &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_.get(), TCSANOW, &t);
  }

  bool ok() const { return master_.valid(); }
  const std::string& slave_path() const { return slave_path_; }
  int master() const { return master_.get(); }
  // The far end goes away, as an adapter pulled out does.
  void HangUp() { master_.Reset(); }

  void Send(const std::string& bytes) const {
    (void)!::write(master_.get(), bytes.data(), bytes.size());
  }
  // What arrived at the far end within `wait_ms`.
  std::string Receive(int wait_ms = 500) const {
    std::string got;
    pollfd p{master_.get(), POLLIN, 0};
    while (::poll(&p, 1, wait_ms) > 0) {
      char buf[4096];
      const ssize_t n = ::read(master_.get(), buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
      wait_ms = 50;
    }
    return got;
  }

 private:
  platform::UniqueFd master_;
  std::string slave_path_;
};

}  // namespace platform_test
