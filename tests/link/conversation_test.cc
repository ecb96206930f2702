// The scripted conversation is what every protocol test trusts; these pin down its rules.
#include "fakes/conversation.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using fakes::Bytes;
using fakes::Hex;

struct ConversationTest : ::testing::Test {
  platform::VirtualClock clock{100};
  fakes::Conversation c{clock};

  long Write(const Bytes& b) { return c.OnWrite(b.data(), b.size()); }
  Bytes Read(size_t capacity, uint32_t wait = 0) {
    Bytes buf(capacity);
    const long n = c.OnRead(buf.data(), capacity, wait);
    buf.resize(n < 0 ? 0 : static_cast<size_t>(n));
    return buf;
  }
};

TEST_F(ConversationTest, ChunkingIsFreeButContentAndOrderAreNot) {
  c.Expect(Hex("1D 49")).Expect(Hex("43 1D 49 41"));
  EXPECT_EQ(Write(Hex("1D")), 1);
  EXPECT_EQ(Write(Hex("49 43 1D")), 3);  // ends one step and starts the next
  EXPECT_FALSE(c.AllWritten());
  EXPECT_EQ(Write(Hex("49 41")), 2);
  EXPECT_TRUE(c.AllWritten());
  EXPECT_EQ(c.Written(), Hex("1D 49 43 1D 49 41"));
  EXPECT_EQ(c.WriteCalls(), 3u);
}

TEST_F(ConversationTest, UnexpectedBytesFailTheTest) {
  c.Expect(Hex("1D 49 43"));
  EXPECT_NONFATAL_FAILURE(Write(Hex("1D 49 42")), "expected [1D 49 43] got [1D 49 42]");
  EXPECT_NONFATAL_FAILURE(Write(Hex("1D 49 43 00")), "after the end of the script");
  EXPECT_EQ(c.Mismatches().size(), 2u);
}

TEST_F(ConversationTest, RepliesFallDueAfterTheirWriteAndNeverEcho) {
  c.Expect(Hex("1D 49 41")).Reply(fakes::TextZ("_AB"), 30).Reply(Hex("EE"), 50);
  EXPECT_TRUE(Read(10).empty());  // nothing written: nothing to read, no echo
  clock.Advance(5);
  Write(Hex("1D 49 41"));  // completed at 105
  clock.Advance(29);
  EXPECT_TRUE(Read(10).empty());
  clock.Advance(1);
  EXPECT_EQ(Read(2), fakes::Text("_A"));  // capped by the capacity
  EXPECT_EQ(Read(10), Hex("42 00"));      // the second reply is not due yet
  clock.Advance(20);
  EXPECT_EQ(Read(10), Hex("EE"));
  EXPECT_TRUE(c.AllRead());
}

TEST_F(ConversationTest, WaitingReadsLetVirtualTimeRun) {
  c.Expect(Hex("01")).Reply(Hex("02"), 700);
  Write(Hex("01"));
  EXPECT_TRUE(Read(4, 500).empty());
  EXPECT_EQ(clock.NowMs(), 600u);  // waited its whole time-out
  EXPECT_EQ(Read(4, 500), Hex("02"));
  EXPECT_EQ(clock.NowMs(), 800u);  // returned as the reply arrived
}

TEST_F(ConversationTest, InjectedFaultsAndPermissiveMode) {
  c.Permissive().Reply(Hex("AA"), 0);
  c.FailNextWrite();
  EXPECT_EQ(Write(Hex("10 20")), -1);
  EXPECT_TRUE(Read(4).empty());  // a failed write releases nothing
  c.ShortNextWrite(1);
  EXPECT_EQ(Write(Hex("10 20")), 1);
  EXPECT_EQ(Read(4), Hex("AA"));
  c.FailNextRead();
  EXPECT_EQ(c.OnRead(nullptr, 0, 0), -1);
  EXPECT_EQ(c.Written(), Hex("10"));
  EXPECT_EQ(c.FailedWrites(), 1u);
}

}  // namespace
