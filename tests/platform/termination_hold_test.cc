#include "platform/system/termination_hold.h"

#include <gtest/gtest.h>
#include <signal.h>

namespace {

volatile sig_atomic_t g_delivered = 0;
extern "C" void CountDelivery(int) { g_delivered = g_delivered + 1; }

// A signal that comes during a hold reaches the handler that was there before only when the last
// (outer) hold ends, once; a signal after that reaches it at once.
TEST(TerminationHold, ASignalWaitsForTheLastHoldToEnd) {
  struct sigaction count {};
  count.sa_handler = CountDelivery;
  sigemptyset(&count.sa_mask);
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGHUP, &count, &previous), 0);
  {
    const platform::TerminationHold outer;
    {
      const platform::TerminationHold inner;
      ASSERT_EQ(raise(SIGHUP), 0);
    }
    EXPECT_EQ(g_delivered, 0);
  }
  EXPECT_EQ(g_delivered, 1);
  ASSERT_EQ(raise(SIGHUP), 0);
  EXPECT_EQ(g_delivered, 2);
  sigaction(SIGHUP, &previous, nullptr);
}

}  // namespace
