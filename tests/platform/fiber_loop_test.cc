// Tasks of a fiber loop wait side by side on one thread: the clock's pauses and WaitForFd hand
// the thread on, a descriptor made ready by another task wakes its waiter, a wait with nothing to
// read ends at its time. A descriptor is watched only while a task waits for it, and the timers
// of waits it ended do not pile up.

#include "platform/system/fiber_loop.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform/system/clock.h"
#include "platform/system/fd_io.h"

namespace {

TEST(FiberLoop, TasksWaitSideBySideOnOneThread) {
  int ready_pipe[2];
  int silent_pipe[2];
  ASSERT_EQ(::pipe(ready_pipe), 0);
  ASSERT_EQ(::pipe(silent_pipe), 0);
  platform::RealClock clock;
  platform::FiberLoop loop(64 << 10);
  std::string order;
  short reader_events = -1;
  int silent_result = -1;
  const std::thread::id caller = std::this_thread::get_id();
  bool all_on_caller = true;
  auto task = [&](auto body) {
    std::string error;
    ASSERT_TRUE(loop.Spawn(
        [&, body] {
          body();
          all_on_caller = all_on_caller && std::this_thread::get_id() == caller;
        },
        &error))
        << error;
  };
  task([&] {
    clock.Sleep(300);
    order += "sleeper ";
  });
  task([&] {
    reader_events = static_cast<short>(WaitForFd(ready_pipe[0], POLLIN, clock, 5000));
    order += "reader ";
  });
  task([&] {
    silent_result = WaitForFd(silent_pipe[0], POLLIN, clock, 120);
    order += "silent ";
  });
  task([&] {
    clock.Sleep(200);
    EXPECT_EQ(::write(ready_pipe[1], "x", 1), 1);
    order += "writer ";
  });

  EXPECT_EQ(platform::FiberLoop::Current(), nullptr);
  const uint32_t start = clock.TickCount();
  loop.Run();
  const uint32_t took = clock.TickCount() - start;

  EXPECT_EQ(order, "silent writer reader sleeper ");
  EXPECT_EQ(reader_events, 1);
  EXPECT_EQ(silent_result, 0);
  EXPECT_TRUE(all_on_caller);
  // Side by side: as long as the longest wait, far less than the waits one after the other (620).
  EXPECT_GE(took, 300u);
  EXPECT_LT(took, 550u);
  for (int fd : {ready_pipe[0], ready_pipe[1], silent_pipe[0], silent_pipe[1]}) ::close(fd);
}

// The loop keeps a descriptor in its epoll set between waits: one that becomes ready while its
// task does something else must not cut that short, whether its last wait timed out or was
// answered, and a new descriptor under a closed one's number is watched anew.
TEST(FiberLoop, ADescriptorWakesItsTaskOnlyWhileTheTaskWaitsForIt) {
  platform::RealClock clock;
  platform::FiberLoop loop(64 << 10);
  std::string log;
  std::string error;
  ASSERT_TRUE(loop.Spawn(
      [&] {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        auto wait = [&](int timeout_ms) { return WaitForFd(fds[0], POLLIN, clock, timeout_ms); };
        auto sleep_lasts = [&](uint32_t ms) {
          const uint32_t start = clock.TickCount();
          clock.Sleep(ms);
          return clock.TickCount() - start >= ms;
        };
        char byte = 0;
        log += std::to_string(wait(30));  // nothing yet: ends at its time
        EXPECT_EQ(::write(fds[1], "a", 1), 1);
        log += sleep_lasts(80) ? " slept" : " woken early";
        log += " " + std::to_string(wait(1000));
        EXPECT_EQ(::read(fds[0], &byte, 1), 1);
        EXPECT_EQ(::write(fds[1], "b", 1), 1);  // ready again after an answered wait
        log += sleep_lasts(80) ? " slept" : " woken early";
        const int old_read_end = fds[0];
        ::close(fds[0]);
        ::close(fds[1]);
        ASSERT_EQ(::pipe(fds), 0);
        EXPECT_EQ(fds[0], old_read_end);  // the lowest free number comes back
        EXPECT_EQ(::write(fds[1], "c", 1), 1);
        log += " " + std::to_string(wait(1000));
        ::close(fds[0]);
        ::close(fds[1]);
      },
      &error))
      << error;
  loop.Run();
  EXPECT_EQ(log, "0 slept 1 slept 1");
}

// A printer-sim between commands: each wait has a long limit and ends by its descriptor, while
// another task keeps an earlier timer at the front. The ended waits' timers must not stay.
TEST(FiberLoop, TimersOfWaitsEndedEarlyDoNotPileUp) {
  platform::RealClock clock;
  platform::FiberLoop loop(64 << 10);
  std::string error;
  bool done = false;
  size_t most_held = 0;
  ASSERT_TRUE(loop.Spawn([&] { clock.Sleep(60000); }, &error)) << error;
  ASSERT_TRUE(loop.Spawn(
      [&] {
        const int ready = ::eventfd(1, EFD_CLOEXEC);  // readable until read, so every wait ends
        ASSERT_GE(ready, 0);
        for (int i = 0; i < 20000; ++i) {
          ASSERT_EQ(WaitForFd(ready, POLLIN, clock, 3600 * 1000), POLLIN);
          most_held = std::max(most_held, loop.TimersHeld());
        }
        ::close(ready);
        done = true;
        clock.Sleep(1);  // the loop asks for the stop after a wait
      },
      &error))
      << error;
  platform::FiberLoop::RunOptions run;
  run.stop_requested = [&] { return done; };  // ends the other task's long sleep
  loop.Run(run);
  EXPECT_TRUE(done);
  EXPECT_LT(most_held, 2000u);  // 20,000 ended waits
}

}  // namespace
