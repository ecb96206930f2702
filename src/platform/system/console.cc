#include "platform/system/console.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace platform {

FdKind ClassifyFd(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return FdKind::kClosed;
  if (isatty(fd)) return FdKind::kTerminal;
  if (S_ISFIFO(st.st_mode)) return FdKind::kPipe;
  if (S_ISREG(st.st_mode)) return FdKind::kRegularFile;
  return FdKind::kOther;
}

namespace {

int PollTimeout(uint32_t timeout_ms) {
  return timeout_ms == UINT32_MAX                      ? -1
         : timeout_ms > static_cast<uint32_t>(INT_MAX) ? INT_MAX
                                                       : static_cast<int>(timeout_ms);
}

// Async-signal-safe: write() only.
void WriteAllRaw(int fd, const char* data, size_t len) {
  while (len > 0) {
    const ssize_t n = write(fd, data, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    len -= static_cast<size_t>(n);
  }
}

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE,  SIGILL, SIGABRT,
                                 SIGTERM, SIGHUP, SIGQUIT, SIGINT};
constexpr size_t kCrashSignalCount = sizeof kCrashSignals / sizeof kCrashSignals[0];

// What the signal handlers may touch: fixed buffers and plain flags only.
struct HoldState {
  bool held = false;
  volatile sig_atomic_t active = 0;  // armed: the emergency restore is due
  termios saved{};
  bool have_saved = false;
  char sequence[TerminalHold::kMaxRestoreSequence + 1] = {};
  size_t sequence_len = 0;
  int wake_read = -1;
  volatile int wake_write = -1;
  void (*at_exit)() = nullptr;
  struct sigaction old_actions[kCrashSignalCount] = {};
  struct sigaction old_winch {};
};
HoldState g_hold;

// Async-signal-safe: write() and tcsetattr() only.
void EmergencyRestore() {
  if (!g_hold.active) return;
  g_hold.active = 0;
  WriteAllRaw(STDOUT_FILENO, g_hold.sequence, g_hold.sequence_len);
  if (g_hold.have_saved) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_hold.saved);
}

extern "C" void OnCrashSignal(int sig) {
  const int saved_errno = errno;
  EmergencyRestore();
  errno = saved_errno;
  // The handler was reset to the default on entry (SA_RESETHAND): raising again ends the program
  // the way the signal would have, core dump included.
  raise(sig);
}

extern "C" void OnWinch(int) {
  const int saved_errno = errno;
  const int fd = g_hold.wake_write;
  if (fd >= 0) {
    const char c = 'w';
    [[maybe_unused]] const ssize_t n = write(fd, &c, 1);
  }
  errno = saved_errno;
}

void RestoreAtExit() {
  if (!g_hold.active) return;
  if (g_hold.at_exit != nullptr) g_hold.at_exit();
  EmergencyRestore();
}

}  // namespace

WaitResult WaitReadable(int fd, uint32_t timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  const int timeout = PollTimeout(timeout_ms);
  for (;;) {
    const int n = poll(&p, 1, timeout);
    if (n > 0) return WaitResult::kReadable;  // input, end of input or hang-up: read tells which
    if (n == 0) return WaitResult::kTimeout;
    if (errno != EINTR) return WaitResult::kError;
  }
}

long ReadSome(int fd, char* buffer, size_t size) {
  for (;;) {
    const ssize_t n = read(fd, buffer, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

bool WriteAll(int fd, std::string_view data) {
  const char* p = data.data();
  size_t len = data.size();
  while (len > 0) {
    const ssize_t n = write(fd, p, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

void UseUtf8CharacterType() {
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

bool GetTerminalSize(int fd, TerminalSize* size) {
  winsize ws{};
  if (ioctl(fd, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0 || ws.ws_col == 0) return false;
  size->height = ws.ws_row;
  size->width = ws.ws_col;
  return true;
}

std::unique_ptr<TerminalHold> TerminalHold::Take(std::string* error) {
  if (g_hold.held) {
    *error = "the terminal is in use already";
    return nullptr;
  }
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *error = "standard input and output must be a terminal";
    return nullptr;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return nullptr;
  }
  g_hold.held = true;
  g_hold.wake_read = fds[0];
  g_hold.wake_write = fds[1];
  g_hold.have_saved = tcgetattr(STDIN_FILENO, &g_hold.saved) == 0;
  // Installed before the screen library starts, so it leaves size changes to us.
  struct sigaction winch {};
  winch.sa_handler = OnWinch;
  sigemptyset(&winch.sa_mask);
  sigaction(SIGWINCH, &winch, &g_hold.old_winch);
  return std::unique_ptr<TerminalHold>(new TerminalHold());
}

void TerminalHold::Arm(std::string_view sequence, void (*at_exit)()) {
  g_hold.active = 0;
  g_hold.sequence_len = std::min(sequence.size(), kMaxRestoreSequence);
  std::memcpy(g_hold.sequence, sequence.data(), g_hold.sequence_len);
  g_hold.at_exit = at_exit;
  g_hold.active = 1;
  static bool at_exit_registered = false;
  if (!at_exit_registered) {
    std::atexit(RestoreAtExit);
    at_exit_registered = true;
  }
  if (armed_) return;
  armed_ = true;
  for (size_t i = 0; i < kCrashSignalCount; ++i) {
    struct sigaction a {};
    a.sa_handler = OnCrashSignal;
    a.sa_flags = SA_RESETHAND;
    sigemptyset(&a.sa_mask);
    sigaction(kCrashSignals[i], &a, &g_hold.old_actions[i]);
  }
}

TerminalHold::~TerminalHold() {
  if (armed_) {
    g_hold.active = 0;
    if (g_hold.have_saved) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_hold.saved);
    for (size_t i = 0; i < kCrashSignalCount; ++i) {
      sigaction(kCrashSignals[i], &g_hold.old_actions[i], nullptr);
    }
  }
  sigaction(SIGWINCH, &g_hold.old_winch, nullptr);
  g_hold.at_exit = nullptr;
  // The write end is closed after the handler is gone, so it never writes to a reused number.
  const int wake_write = g_hold.wake_write;
  g_hold.wake_write = -1;
  close(wake_write);
  close(g_hold.wake_read);
  g_hold.wake_read = -1;
  g_hold.held = false;
}

TerminalHold::Input TerminalHold::WaitInput(uint32_t timeout_ms) {
  pollfd p[2] = {{STDIN_FILENO, POLLIN, 0}, {g_hold.wake_read, POLLIN, 0}};
  const int n = poll(p, 2, PollTimeout(timeout_ms));
  if (n < 0) return errno == EINTR ? Input::kInterrupted : Input::kError;
  if (n == 0) return Input::kTimeout;
  if (p[1].revents & POLLIN) {
    char drain[64];
    while (read(g_hold.wake_read, drain, sizeof drain) > 0) {
    }
    return Input::kResized;
  }
  if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) return Input::kReady;
  return Input::kError;  // standard input closed under us (POLLNVAL): waiting again would spin
}

}  // namespace platform
