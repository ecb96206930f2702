#include "platform/system/interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_count{0};
const char* g_notice = "";
size_t g_notice_length = 0;
int g_exit_status = 130;

// Only async-signal-safe calls here: an atomic store, write() and _exit(). errno is kept: the
// interrupted code may be about to read it, and the write fails on a closed standard error.
void OnInterrupt(int /*signal*/) {
  if (g_count.fetch_add(1) == 0) {
    const int saved_errno = errno;
    g_interrupted.store(true);
    const ssize_t ignored = write(2, g_notice, g_notice_length);
    (void)ignored;
    errno = saved_errno;
    return;
  }
  _exit(g_exit_status);
}

}  // namespace

const std::atomic<bool>& WatchInterrupts(const char* notice, int exit_status) {
  static const bool installed = [&] {
    g_notice = notice;
    g_notice_length = std::strlen(notice);
    g_exit_status = exit_status;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // Waits in progress carry on (they check their own time), rather than fail with EINTR.
    action.sa_flags = SA_RESTART;
    // SIGHUP: the terminal or ssh session closed; SIGQUIT: Ctrl-\. A signal ignored from the
    // start stays ignored: a run under nohup goes on after its session ends.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
      struct sigaction before {};
      if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
      sigaction(signal, &action, nullptr);
    }
    return true;
  }();
  (void)installed;
  return g_interrupted;
}

}  // namespace platform
