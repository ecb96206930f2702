#pragma once

// printer-sim as a child process for the integration tests, and the real platform services that
// reach it over loopback TCP.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/devices/posix_device_factory.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"
#include "platform/system/unique_fd.h"

namespace itest {

inline const std::string kSimPath = std::string(PELLISET_BINARY_DIR) + "/tools/printer-sim";

// One printer-sim process; stopped (SIGTERM) when the object goes.
class SimProcess {
 public:
  // Starts printer-sim with `args` and waits up to 10 s for its first output line.
  explicit SimProcess(const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    platform::UniqueFd read_end(fds[0]);
    platform::UniqueFd write_end(fds[1]);
    std::vector<std::string> argv_text = {kSimPath};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(write_end.get(), STDOUT_FILENO);
      ::dup2(write_end.get(), STDERR_FILENO);
      ::execv(kSimPath.c_str(), argv.data());
      ::_exit(127);
    }
    write_end.Reset();
    output_ = std::move(read_end);
    first_line_ = ReadLine(10000);
    // "printer-sim listening on 127.0.0.1:PORT", or "[::1]:PORT".
    const std::string prefix = "printer-sim listening on ";
    if (first_line_.rfind(prefix, 0) == 0) {
      port_ = std::atoi(first_line_.substr(first_line_.rfind(':') + 1).c_str());
    }
  }
  ~SimProcess() { Stop(); }

  // `signal`, then the exit code (-1 when it did not end within 10 s and had to be killed).
  int Stop(int signal = SIGTERM) {
    if (pid_ <= 0) return exit_code_;
    ::kill(pid_, signal);
    int status = 0;
    for (int i = 0; i < 1000; ++i) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        return exit_code_;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    exit_code_ = -1;
    return exit_code_;
  }
  // Waits for the process to end by itself (up to 10 s); its exit code, -1 on time-out.
  int Wait() {
    int status = 0;
    for (int i = 0; i < 1000 && pid_ > 0; ++i) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return pid_ > 0 ? -1 : exit_code_;
  }

  std::string ReadLine(int timeout_ms) {
    std::string line;
    char c;
    while (true) {
      pollfd entry{output_.get(), POLLIN, 0};
      if (::poll(&entry, 1, timeout_ms) <= 0) break;
      if (::read(output_.get(), &c, 1) != 1 || c == '\n') break;
      line += c;
    }
    return line;
  }

  int port() const { return port_; }
  const std::string& first_line() const { return first_line_; }

 private:
  pid_t pid_ = -1;
  platform::UniqueFd output_;
  std::string first_line_;
  int port_ = 0;
  int exit_code_ = -1;
};

// A state file path in /tmp that is gone before and after the test, also when an assertion
// ends the test early.
class TempStatePath {
 public:
  explicit TempStatePath(const std::string& name)
      : path_("/tmp/pelliset-it-" + std::to_string(::getpid()) + "-" + name) {
    ::unlink(path_.c_str());
  }
  ~TempStatePath() { ::unlink(path_.c_str()); }
  TempStatePath(const TempStatePath&) = delete;
  TempStatePath& operator=(const TempStatePath&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The real platform: wall-clock time, POSIX sockets.
struct RealServices {
  platform::RealClock clock;
  platform::PosixDeviceFactory devices{clock};
  platform::MemoryRegistry registry;
  platform::NullTrace trace;
  platform::Services services{clock, devices, registry, trace};
};

inline sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port the system calls free right now.
inline int FreePort() {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

// A fleet of `count` from a free port on. Another program may hold one of the ports after it, and
// then the fleet does not start: a few tries with other ports.
inline std::unique_ptr<SimProcess> StartFleet(int count, const std::vector<std::string>& more) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int first = FreePort();
    if (first == 0 || first + count - 1 > 65535) continue;
    std::vector<std::string> args = {"--count", std::to_string(count), "--port",
                                     std::to_string(first)};
    args.insert(args.end(), more.begin(), more.end());
    auto sim = std::make_unique<SimProcess>(args);
    if (sim->port() == first) return sim;
  }
  return nullptr;
}

}  // namespace itest
