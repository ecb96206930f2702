#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fakes/conversation.h"
#include "fakes/nv_test_peer.h"
#include "fakes/test_services.h"
#include "nvimage/common_nv.h"
#include "protocol/result_codes.h"

namespace {

using fakes::Bytes;
using fakes::Hex;

const Bytes kQuery = Hex("1D 28 4C 04 00 30 40 4B 43");
const Bytes kAck = {0x06};
const Bytes kCan = {0x18};
using Codes = std::vector<std::string>;

// Forwards to the virtual clock and calls `on_sleep` after each pause the engine takes, so a fault
// can be armed between the query and the answer to its block.
class HookedClock : public platform::Clock {
 public:
  explicit HookedClock(platform::VirtualClock& clock) : clock_(clock) {}
  uint32_t TickCount() override { return clock_.TickCount(); }
  void Sleep(uint32_t ms) override {
    clock_.Sleep(ms);
    if (on_sleep) on_sleep();
  }
  std::function<void()> on_sleep;

 private:
  platform::VirtualClock& clock_;
};

// A desktop serial link to a scripted printer, open (its probe byte written) and ready.
class NvCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t_.conversation.Expect({0x00});
    ASSERT_TRUE(util_.OpenLink());
  }
  bool LinkOpen() const { return util_.dev().is_open(); }
  // The write calls after the probe byte.
  std::vector<Bytes> Writes() const {
    const auto& all = t_.conversation.Writes();
    return std::vector<Bytes>(all.begin() + 1, all.end());
  }

  fakes::TestServices t_;
  protocol::CCommonUtil util_{t_.services};
  nv::CCommonNv nv_{&util_, t_.clock};
};

TEST_F(NvCommandsTest, CommandsGoOutWholeInOneWriteEach) {
  t_.conversation.Permissive();
  nv::CCommonNvTestPeer::SetKeyCodes(nv_, {"10", "11"});
  EXPECT_EQ(nv_.DeleteImage("10"), protocol::kResultOk);
  EXPECT_EQ(nv_.PrintImage("AB"), protocol::kResultOk);
  EXPECT_EQ(nv_.DeleteAllImages(), protocol::kResultOk);
  EXPECT_EQ(nv_.PrintAllImages(), protocol::kResultOk);
  EXPECT_EQ(Writes(),
            (std::vector<Bytes>{
                Hex("1D 28 4C 04 00 30 42 31 30"), Hex("1D 28 4C 06 00 30 45 41 42 01 01"),
                Hex("1D 28 4C 05 00 30 41 43 4C 52"), Hex("1D 28 4C 06 00 30 45 31 30 01 01"),
                Hex("1D 28 4C 06 00 30 45 31 31 01 01")}));
  EXPECT_TRUE(LinkOpen());
}

TEST_F(NvCommandsTest, RefusalsSendNothing) {
  t_.conversation.Permissive();
  EXPECT_EQ(nv_.DeleteImage("1"), protocol::kResultKeyCodeTooShort);
  EXPECT_EQ(nv_.PrintImage(""), protocol::kResultKeyCodeTooShort);
  EXPECT_EQ(nv_.PrintAllImages(), protocol::kResultEmptyKeyList);
  EXPECT_TRUE(LinkOpen());

  util_.dev().Close();
  nv::CCommonNvTestPeer::SetKeyCodes(nv_, {"10"});
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultNotOpen);
  EXPECT_EQ(nv_.DeleteAllImages(), protocol::kResultNotOpen);
  EXPECT_EQ(nv_.DeleteImage("10"), protocol::kResultNotOpen);
  EXPECT_EQ(nv_.PrintImage("10"), protocol::kResultNotOpen);
  EXPECT_EQ(nv_.PrintAllImages(), protocol::kResultNotOpen);
  EXPECT_TRUE(Writes().empty());
  EXPECT_EQ(nv_.key_codes(), Codes{"10"});
}

TEST_F(NvCommandsTest, DownloadGoesInPiecesAndAShortOneCloses) {
  t_.conversation.Permissive();
  nv::NvDownloadItem item;
  for (int i = 0; i < 10000; ++i) item.data.push_back(static_cast<uint8_t>(i * 7));
  EXPECT_EQ(nv_.SendDownloadItem(item), protocol::kResultOk);
  const std::vector<Bytes> writes = Writes();
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].size(), 4096u);
  EXPECT_EQ(writes[1].size(), 4096u);
  EXPECT_EQ(writes[2].size(), 1808u);
  EXPECT_EQ(Bytes(t_.conversation.Written().begin() + 1, t_.conversation.Written().end()),
            item.data);

  t_.conversation.ShortNextWrite(4000);
  EXPECT_EQ(nv_.SendDownloadItem(item), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(Writes().size(), 4u);  // nothing after the short piece
}

// A block may hold every code there is; one that would not end is no list and is cancelled, so
// that the codes it hides are never taken for free ones (a download would overwrite them).
TEST_F(NvCommandsTest, LongBlocksAreReadWholeAndOneWithoutEndIsCancelled) {
  Bytes block = Hex("37 72 40");
  for (int i = 0; i < 700; ++i) block.insert(block.end(), {0x31, 0x32});
  block.insert(block.end(), {0x37, 0x30, 0x00});
  t_.conversation.Expect(kQuery).Reply(block, 140).Expect(kAck);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultOk);
  ASSERT_EQ(nv_.key_codes().size(), 701u);
  EXPECT_EQ(nv_.key_codes().back(), "70");

  // Two "more" blocks of 5,000 codes each: more than the 9,025 there are, so no list.
  Bytes half = Hex("37 72 41");
  for (int i = 0; i < 5000; ++i) half.insert(half.end(), {0x41, 0x42});
  half.push_back(0x00);
  t_.conversation.Expect(kQuery).Reply(half, 140).Expect(kAck).Reply(half, 140).Expect(kAck).Expect(
      kCan);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultBadReply);
  EXPECT_EQ(nv_.key_codes().size(), 701u);
  t_.conversation.Expect({0x00});  // the link opened again
  ASSERT_TRUE(util_.OpenLink());

  // 37 72 40 and "AB" pairs past room for 9,025 codes, with no 00h.
  Bytes flood = Hex("37 72 40");
  while (flood.size() < 20000) flood.insert(flood.end(), {0x41, 0x42});
  t_.conversation.Expect(kQuery).Reply(flood, 20).Expect(kCan);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultBadReply);
  EXPECT_EQ(nv_.key_codes().size(), 701u);
  EXPECT_FALSE(LinkOpen());
}

TEST_F(NvCommandsTest, KeyCodesOfOneBlock) {
  nv::CCommonNvTestPeer::SetKeyCodes(nv_, {"XY"});
  // Due 140 ms after the query: only a reader that first takes its pause finds it at once, before
  // its quiet reads would resend the query.
  t_.conversation.Expect(kQuery).Reply(Hex("37 72 40 31 30 31 31 41 42 00"), 140).Expect(kAck);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultOk);
  EXPECT_EQ(nv_.key_codes(), (Codes{"10", "11", "AB"}));
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_TRUE(LinkOpen());
}

TEST_F(NvCommandsTest, KeyCodesOfTwoBlocksAfterNoise) {
  t_.conversation.Expect(kQuery)
      .Reply(Hex("AA BB 37 72 41 31 30 00"), 20)
      .Expect(kAck)
      .Reply(Hex("37 72 40 41 42 43 44 00"), 140)  // the pause again, after the ACK
      .Expect(kAck);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultOk);
  EXPECT_EQ(nv_.key_codes(), (Codes{"10", "AB", "CD"}));
  EXPECT_TRUE(t_.conversation.AllWritten());
}

TEST_F(NvCommandsTest, NoKeyCodesGives400AndAnEmptyList) {
  nv::CCommonNvTestPeer::SetKeyCodes(nv_, {"XY"});
  t_.conversation.Expect(kQuery).Reply(Hex("37 72 40 00"), 20).Expect(kAck);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultEmptyKeyList);
  EXPECT_TRUE(nv_.key_codes().empty());
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_TRUE(LinkOpen());
}

TEST_F(NvCommandsTest, BadBlocksAreCancelledAndKeepTheList) {
  // A bad first block, or a bad block after a good one whose codes are then not taken either.
  const std::vector<std::vector<const char*>> scripts = {
      {"37 73 40 31 30 00"}, {"37 72 00"}, {"37 72 41 31 30 00", "37 73 40 31 31 00"}};
  for (const std::vector<const char*>& blocks : scripts) {
    SCOPED_TRACE(blocks.back());
    fakes::TestServices t;
    protocol::CCommonUtil util(t.services);
    nv::CCommonNv nv(&util, t.clock);
    t.conversation.Expect({0x00});
    ASSERT_TRUE(util.OpenLink());
    nv::CCommonNvTestPeer::SetKeyCodes(nv, {"XY"});
    t.conversation.Expect(kQuery);
    for (size_t i = 0; i < blocks.size(); ++i) {
      t.conversation.Reply(Hex(blocks[i]), i == 0 ? 20 : 140)
          .Expect(i + 1 < blocks.size() ? kAck : kCan);
    }
    EXPECT_EQ(nv.ReadKeyCodes(), protocol::kResultBadReply);
    EXPECT_EQ(nv.key_codes(), Codes{"XY"});
    EXPECT_FALSE(util.dev().is_open());
    EXPECT_TRUE(t.conversation.AllWritten());
  }
}

TEST_F(NvCommandsTest, SilentPrinterGetsTenResendsThenCancel) {
  t_.conversation.Permissive();
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultBadReply);
  EXPECT_FALSE(LinkOpen());
  // The query, then a resend at each of the 3rd to 12th quiet reads, then CAN.
  const std::vector<Bytes> writes = Writes();
  ASSERT_EQ(writes.size(), 12u);
  for (size_t i = 0; i < 11; ++i) EXPECT_EQ(writes[i], kQuery) << i;
  EXPECT_EQ(writes[11], kCan);
  EXPECT_EQ(t_.conversation.ReadCalls(), 12u);
}

TEST_F(NvCommandsTest, ShortAckGives300) {
  HookedClock clock(t_.clock);
  nv::CCommonNv nv(&util_, clock);
  clock.on_sleep = [this] { t_.conversation.ShortNextWrite(0); };
  t_.conversation.Expect(kQuery).Reply(Hex("37 72 40 31 30 00"), 20).Expect(kAck);
  EXPECT_EQ(nv.ReadKeyCodes(), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
}

}  // namespace

namespace {

TEST_F(NvCommandsTest, EndlessMoreBlocksAreCancelled) {
  // Every query and ACK releases another "more follows" block.
  t_.conversation.Permissive();
  for (int i = 0; i < 300; ++i) t_.conversation.Reply(Hex("37 72 41 31 30 00"), 5);
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultBadReply);
  EXPECT_EQ(Writes().back(), kCan);
  EXPECT_EQ(Writes().size(), 1u + 256u + 1u);  // the query, 256 ACKs, CAN
  EXPECT_FALSE(LinkOpen());
}

// A stop request (Cancel, Ctrl-C, a time limit) ends the list at the next block: 256 blocks
// took 44 s that nothing could cut.
TEST_F(NvCommandsTest, AStopRequestEndsAnEndlessList) {
  struct StopAfter : platform::StopSignal {
    platform::Clock& clock;
    uint32_t at;
    StopAfter(platform::Clock& c, uint32_t ms) : clock(c), at(c.TickCount() + ms) {}
    bool StopRequested() override { return clock.TickCount() >= at; }
  };
  t_.conversation.Permissive();
  for (int i = 0; i < 300; ++i) t_.conversation.Reply(Hex("37 72 41 31 30 00"), 5);
  StopAfter stop(t_.clock, 1000);
  t_.clock.SetStopSignal(&stop);
  const uint32_t start = t_.clock.TickCount();
  EXPECT_EQ(nv_.ReadKeyCodes(), protocol::kResultBadReply);
  EXPECT_LT(t_.clock.TickCount() - start, 1500u);
  EXPECT_EQ(Writes().back(), kCan);
  EXPECT_FALSE(LinkOpen());
  t_.clock.SetStopSignal(nullptr);
}

}  // namespace
