#include "platform/system/interrupts.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// In a child of its own: the handlers are installed once per process. Ctrl-\ asks for a stop
// like Ctrl-C; a SIGHUP the process was started with ignored (nohup) stays ignored.
TEST(Interrupts, QuitAsksForAStopAndAnIgnoredHangupStaysIgnored) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGHUP, SIG_IGN);
    const std::atomic<bool>& stop = platform::WatchInterrupts("", 130);
    raise(SIGHUP);
    const bool stopped_by_hangup = stop.load();
    raise(SIGQUIT);
    _exit(!stopped_by_hangup && stop.load() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
