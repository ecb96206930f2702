#include "protocol/common_vmsm.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/conversation.h"
#include "fakes/test_services.h"
#include "protocol/result_codes.h"

namespace {

using fakes::Bytes;
using fakes::Cat;
using fakes::Hex;
using fakes::Text;
using fakes::TextZ;

// The link paces every write and read by this much.
constexpr uint64_t kLinkPauseMs = 10;
// Closing a serial link waits this long after purging.
constexpr uint64_t kSerialCloseMs = 200;

Bytes SwitchReply(const char* chars) { return Cat({Hex("37 21"), Text(chars), Hex("00")}); }

// A printer link of its own for table-driven cases: scripted services, the identification object
// and the command set. Open() writes the presence probe.
struct Rig {
  explicit Rig(bool handheld = false) : util(t.services, handheld) {}
  bool Open() {
    t.conversation.Expect({0x00});
    return util.OpenLink();
  }
  bool LinkOpen() const { return util.dev().is_open(); }
  fakes::TestServices t;
  protocol::CCommonUtil util;
  protocol::CCommonVmsm vmsm{&util, t.clock};
};

// A desktop serial link to a scripted printer, open and ready.
class VmsmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t_.conversation.Expect({0x00});  // the link's presence probe
    util_.SetLinkSettings({.interface = devlink::CDev::kInterfaceSerial});
    ASSERT_TRUE(util_.OpenLink());
    writes_at_open_ = t_.conversation.WriteCalls();
  }

  bool LinkOpen() const { return util_.dev().is_open(); }
  // Write calls made by the operation under test.
  size_t OperationWrites() const { return t_.conversation.WriteCalls() - writes_at_open_; }
  uint64_t Now() const { return t_.clock.NowMs(); }

  fakes::TestServices t_;
  protocol::CCommonUtil util_{t_.services};
  protocol::CCommonVmsm vmsm_{&util_, t_.clock};
  size_t writes_at_open_ = 0;
};

// ---------------------------------------------------------------- link closed

TEST_F(VmsmTest, ClosedLinkGives101AndSendsNothing) {
  const std::pair<const char*, std::function<protocol::Result(protocol::CCommonVmsm&)>>
      operations[] = {
          {"EndSetting", [](protocol::CCommonVmsm& v) { return v.EndSetting(); }},
          {"ReadSwitch", [](protocol::CCommonVmsm& v) { return v.ReadSwitch(1); }},
          {"WriteSwitch", [](protocol::CCommonVmsm& v) { return v.WriteSwitch(1); }},
          {"ReadSerial", [](protocol::CCommonVmsm& v) { return v.ReadSerial(1); }},
          {"WriteSerial", [](protocol::CCommonVmsm& v) { return v.WriteSerial(1); }},
          {"ReadTearOff", [](protocol::CCommonVmsm& v) { return v.ReadTearOff(); }},
          {"WriteTearOff", [](protocol::CCommonVmsm& v) { return v.WriteTearOff(); }},
          {"ReadRfInterface", [](protocol::CCommonVmsm& v) { return v.ReadRfInterface(); }},
          {"WriteRfInterface", [](protocol::CCommonVmsm& v) { return v.WriteRfInterface(); }},
          {"FactoryDefault", [](protocol::CCommonVmsm& v) { return v.FactoryDefault(); }},
          {"ReadBtInfo", [](protocol::CCommonVmsm& v) { return v.ReadBtInfo('d'); }},
          {"WriteBtInfo", [](protocol::CCommonVmsm& v) { return v.WriteBtInfo(); }},
          {"ReadSentinel", [](protocol::CCommonVmsm& v) { return v.ReadSentinel(1); }},
          {"WriteSentinel", [](protocol::CCommonVmsm& v) { return v.WriteSentinel(1); }},
      };
  util_.dev().Close();
  for (const auto& [name, run] : operations) {
    EXPECT_EQ(run(vmsm_), protocol::kResultNotOpen) << name;
  }
  EXPECT_EQ(OperationWrites(), 0u);
  EXPECT_TRUE(t_.conversation.Mismatches().empty());
}

TEST_F(VmsmTest, InitSettingTriesToSendOnAClosedLink) {
  util_.dev().Close();
  EXPECT_EQ(vmsm_.InitSetting(), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
}

// ---------------------------------------------------------------- setting mode

TEST_F(VmsmTest, InitSettingAccepted) {
  t_.conversation.Expect(Hex("1D 28 45 03 00 01 49 4E")).Reply(Hex("37 20 00"), 100);
  EXPECT_EQ(vmsm_.InitSetting(), protocol::kResultOk);
  EXPECT_TRUE(LinkOpen());
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_TRUE(t_.conversation.AllRead());
}

TEST_F(VmsmTest, RepliesInPiecesAreJoined) {
  t_.conversation.Expect(Hex("1D 28 45 03 00 01 49 4E"))
      .Reply(Hex("37"), 100)
      .Reply(Hex("20 00"), 180)
      .Expect(Hex("1F 1F 69 64"))
      .Reply(Cat({Hex("37 42 64"), Text("Coun")}), 50)
      .Reply(TextZ("ter 2"), 130);
  EXPECT_EQ(vmsm_.InitSetting(), protocol::kResultOk);
  EXPECT_EQ(vmsm_.ReadBtInfo('d'), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().BtName, "Counter 2");
  EXPECT_EQ(OperationWrites(), 2u);  // no resends
  EXPECT_TRUE(t_.conversation.AllRead());
}

TEST_F(VmsmTest, InitSettingWrongReplyGives109AndCloses) {
  t_.conversation.Expect(Hex("1D 28 45 03 00 01 49 4E")).Reply(Hex("37 21 00"), 100);
  EXPECT_EQ(vmsm_.InitSetting(), protocol::kResultBadReply);
  EXPECT_FALSE(LinkOpen());
}

TEST_F(VmsmTest, InitSettingSilentPrinterGives301AfterTenTries) {
  t_.conversation.Permissive();
  EXPECT_EQ(vmsm_.InitSetting(), protocol::kResultNoReply);
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(OperationWrites(), 11u);  // the command and a resend after each of ten reads
}

TEST_F(VmsmTest, EndSettingBytes) {
  t_.conversation.Expect(Hex("1D 28 45 04 00 02 4F 55 54"));
  EXPECT_EQ(vmsm_.EndSetting(), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_TRUE(LinkOpen());
}

// ---------------------------------------------------------------- switches

TEST_F(VmsmTest, ReadSwitch2GivesCodePage33) {
  t_.conversation.Expect(Hex("1D 28 45 02 00 04 02")).Reply(SwitchReply("00001100"), 50);
  EXPECT_EQ(vmsm_.ReadSwitch(2), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().CodePage, 33u);
  EXPECT_TRUE(LinkOpen());
  EXPECT_TRUE(t_.conversation.AllRead());
}

TEST_F(VmsmTest, ReadSwitchJoinsAReplyInPieces) {
  const Bytes reply = SwitchReply("00010011");
  t_.conversation.Expect(Hex("1D 28 45 02 00 04 01"))
      .Reply(Bytes(reply.begin(), reply.begin() + 4), 100)
      .Reply(Bytes(reply.begin() + 4, reply.end()), 700);
  EXPECT_EQ(vmsm_.ReadSwitch(1), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().Density, 3u);
  EXPECT_EQ(vmsm_.settings().Speed, 1u);
  EXPECT_EQ(vmsm_.settings().LCharMode, 0u);
  EXPECT_TRUE(t_.conversation.AllRead());
}

TEST_F(VmsmTest, ReadSwitchFailuresCloseAndChangeNothing) {
  struct Case {
    const char* name;
    Bytes reply;
    protocol::Result result;
  } cases[] = {
      {"wrong mark", Cat({Hex("38 21"), Text("11111111"), Hex("00")}), protocol::kResultBadReply},
      {"wrong kind", Cat({Hex("37 22"), Text("11111111"), Hex("00")}), protocol::kResultBadReply},
      {"no closing 00h", Cat({Hex("37 21"), Text("11111111"), Hex("01")}),
       protocol::kResultBadReply},
      {"short", Cat({Hex("37 21"), Text("1111111")}), protocol::kResultNoReply},
      {"overshoot", Cat({SwitchReply("11111111"), Hex("00")}), protocol::kResultNoReply},
      {"silent", {}, protocol::kResultNoReply},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    fakes::TestServices& t = rig.t;
    protocol::CCommonVmsm& vmsm = rig.vmsm;
    t.conversation.Expect(Hex("1D 28 45 02 00 04 01"));
    if (!c.reply.empty()) t.conversation.Reply(c.reply, 30);
    const protocol::PrinterSettings before = vmsm.settings();
    const uint64_t start = t.clock.NowMs();
    EXPECT_EQ(vmsm.ReadSwitch(1), c.result) << c.name;
    EXPECT_FALSE(rig.LinkOpen()) << c.name;
    EXPECT_EQ(vmsm.settings(), before) << c.name;
    if (c.result == protocol::kResultNoReply) {
      // 150 ms before the first read, then more than 2000 ms of collection, then the close.
      EXPECT_GT(t.clock.NowMs() - start, 150u + 2000u + kSerialCloseMs) << c.name;
      EXPECT_LT(t.clock.NowMs() - start, 150u + 2000u + kSerialCloseMs + 100u) << c.name;
    }
  }
}

TEST_F(VmsmTest, WriteSwitch7WithMsr6) {
  vmsm_.settings().Msr = 6;
  t_.conversation.Expect(Hex("1D 28 45 0B 00 03")).Expect(Cat({Hex("07"), Text("01112222")}));
  EXPECT_EQ(vmsm_.WriteSwitch(7), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_EQ(OperationWrites(), 2u);
}

TEST_F(VmsmTest, WriteSwitch1FullSpeedIsWrittenAsZero) {
  vmsm_.settings().Speed = 0;
  vmsm_.settings().LCharMode = 0;
  vmsm_.settings().Density = 4;
  t_.conversation.Expect(Hex("1D 28 45 0B 00 03")).Expect(Cat({Hex("01"), Text("22200100")}));
  EXPECT_EQ(vmsm_.WriteSwitch(1), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
}

TEST_F(VmsmTest, WriteSwitchPausesHalfASecondBetweenItsHalves) {
  t_.conversation.Permissive();
  EXPECT_EQ(vmsm_.WriteSwitch(3), protocol::kResultOk);
  const std::vector<uint64_t>& times = t_.conversation.WriteTimes();
  ASSERT_EQ(times.size(), writes_at_open_ + 2);
  EXPECT_EQ(times[writes_at_open_ + 1] - times[writes_at_open_], 500u + kLinkPauseMs);
  EXPECT_EQ(t_.conversation.Writes().back(), Cat({Hex("03"), Text("22222222")}));
}

TEST_F(VmsmTest, WriteSwitchFailedWriteGives300AndCloses) {
  t_.conversation.Permissive();
  t_.conversation.FailNextWrite();
  EXPECT_EQ(vmsm_.WriteSwitch(1), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(t_.conversation.Written().size(), 1u);  // only the probe byte
}

TEST_F(VmsmTest, WriteSwitchShortFirstHalfGives300AndSendsNoMore) {
  t_.conversation.Permissive();
  t_.conversation.ShortNextWrite(3);
  EXPECT_EQ(vmsm_.WriteSwitch(5), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(OperationWrites(), 1u);
}

// ---------------------------------------------------------------- serial items

TEST_F(VmsmTest, ReadSerialItems) {
  t_.conversation.Expect(Hex("1D 28 45 02 00 0C 01"))
      .Reply(Cat({Hex("37 33 31 1F"), TextZ("9600")}), 40)
      .Expect(Hex("1D 28 45 02 00 0C 02"))
      .Reply(Cat({Hex("37 33 32 1F"), TextZ("2")}), 40)
      .Expect(Hex("1D 28 45 02 00 0C 03"))
      .Reply(Cat({Hex("37 33 33 1F"), TextZ("2")}), 40)
      .Expect(Hex("1D 28 45 02 00 0C 04"))
      .Reply(Cat({Hex("37 33 34 1F"), TextZ("7")}), 40);
  for (uint8_t a = 1; a <= 4; ++a) EXPECT_EQ(vmsm_.ReadSerial(a), protocol::kResultOk) << int{a};
  EXPECT_EQ(vmsm_.settings().Baudrate, 9600u);
  EXPECT_EQ(vmsm_.settings().Parity, 2u);
  EXPECT_EQ(vmsm_.settings().Flowcontrol, 2u);
  EXPECT_EQ(vmsm_.settings().Databit, 7u);
  EXPECT_TRUE(t_.conversation.AllRead());
}

TEST_F(VmsmTest, ReadSerialResendsOnSilence) {
  // Two quiet reads, then the command again; the printer answers the resend.
  t_.conversation.Expect(Hex("1D 28 45 02 00 0C 01"))
      .Expect(Hex("1D 28 45 02 00 0C 01"))
      .Reply(Cat({Hex("37 33 31 1F"), TextZ("57600")}), 5);
  EXPECT_EQ(vmsm_.ReadSerial(1), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().Baudrate, 57600u);
  EXPECT_TRUE(t_.conversation.AllWritten());
}

TEST_F(VmsmTest, ReadSerialFailures) {
  struct Case {
    const char* name;
    Bytes reply;
    protocol::Result result;
  } cases[] = {
      {"wrong item", Cat({Hex("37 33 32 1F"), TextZ("9600")}), protocol::kResultBadReply},
      {"no separator", Cat({Hex("37 33 31 20"), TextZ("9600")}), protocol::kResultBadReply},
      {"twelve bytes without 00h", Cat({Hex("37 33 31 1F"), Text("11520011")}),
       protocol::kResultNoReply},
      {"no value", Hex("37 33 31 1F 00"), protocol::kResultNoReply},
      {"silent", {}, protocol::kResultNoReply},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    fakes::TestServices& t = rig.t;
    protocol::CCommonVmsm& vmsm = rig.vmsm;
    t.conversation.Permissive();
    if (!c.reply.empty()) t.conversation.Reply(c.reply, 20);
    const protocol::PrinterSettings before = vmsm.settings();
    EXPECT_EQ(vmsm.ReadSerial(1), c.result) << c.name;
    EXPECT_FALSE(rig.LinkOpen()) << c.name;
    EXPECT_EQ(vmsm.settings(), before) << c.name;
    if (c.reply.empty()) {
      EXPECT_EQ(t.conversation.WriteCalls(), 1u + 1u + 10u) << "probe, query, ten resends";
    }
  }
}

TEST_F(VmsmTest, ReadSerialStalledReplyGivesUp) {
  t_.conversation.Expect(Hex("1D 28 45 02 00 0C 01")).Reply(Hex("37 33 31 1F 31"), 20);
  const uint64_t start = Now();
  EXPECT_EQ(vmsm_.ReadSerial(1), protocol::kResultNoReply);
  EXPECT_FALSE(LinkOpen());
  EXPECT_LT(Now() - start, 3000u);
  EXPECT_EQ(vmsm_.settings().Baudrate, 115200u);
}

TEST_F(VmsmTest, WriteSerialBaud1200GoesOutAs115200) {
  vmsm_.settings().Baudrate = 1200;
  t_.conversation.Expect(Cat({Hex("1D 28 45 08 00 0B 01"), Text("115200")}));
  EXPECT_EQ(vmsm_.WriteSerial(1), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
}

TEST_F(VmsmTest, WriteSerialDigits) {
  vmsm_.settings().Parity = 1;
  vmsm_.settings().Flowcontrol = 2;
  vmsm_.settings().Databit = 8;
  t_.conversation.Expect(Cat({Hex("1D 28 45 03 00 0B 02"), Text("1")}))
      .Expect(Cat({Hex("1D 28 45 03 00 0B 03"), Text("2")}))
      .Expect(Cat({Hex("1D 28 45 03 00 0B 04"), Text("8")}));
  for (uint8_t a = 2; a <= 4; ++a) EXPECT_EQ(vmsm_.WriteSerial(a), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_EQ(vmsm_.WriteSerial(5), protocol::kResultValueRefused);
  EXPECT_TRUE(LinkOpen());
}

// ---------------------------------------------------------------- tear-off position

TEST_F(VmsmTest, ReadTearOff256) {
  t_.conversation.Expect(Hex("1D 28 45 02 00 21 00")).Reply(Hex("37 35 30 1F 00 01 00"), 30);
  EXPECT_EQ(vmsm_.ReadTearOff(), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().CuttingPosition, 256u);
}

TEST_F(VmsmTest, ReadTearOffWrongHeader) {
  vmsm_.settings().CuttingPosition = 77;
  t_.conversation.Expect(Hex("1D 28 45 02 00 21 00")).Reply(Hex("37 35 31 1F 00 01 00"), 30);
  EXPECT_EQ(vmsm_.ReadTearOff(), protocol::kResultBadReply);
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(vmsm_.settings().CuttingPosition, 77u);
}

TEST_F(VmsmTest, WriteTearOffThenPauses) {
  vmsm_.settings().CuttingPosition = 288;
  t_.conversation.Expect(Hex("1D 28 45 04 00 20 00 20 01"));
  const uint64_t start = Now();
  EXPECT_EQ(vmsm_.WriteTearOff(), protocol::kResultOk);
  EXPECT_EQ(Now() - start, kLinkPauseMs + 500u);
  EXPECT_TRUE(t_.conversation.AllWritten());
}

// ---------------------------------------------------------------- radio interface

TEST_F(VmsmTest, ReadRfInterface) {
  struct Case {
    const char* name;
    Bytes reply;
    protocol::Result result;
    uint32_t rf;
  } cases[] = {
      {"c7 set", Cat({Hex("37 21"), TextZ("00000010")}), protocol::kResultOk, 2},
      {"both set", Cat({Hex("37 21"), TextZ("00000011")}), protocol::kResultOk, 2},
      {"c8 set", Cat({Hex("37 21"), TextZ("00000001")}), protocol::kResultOk, 1},
      {"neither", Cat({Hex("37 21"), TextZ("00000000")}), protocol::kResultOk, 0},
      {"junk first", Cat({Hex("41 37 20 42"), Hex("37 21"), TextZ("00000001")}),
       protocol::kResultOk, 1},
      {"c8 missing", Cat({Hex("37 21"), TextZ("0000000")}), protocol::kResultRfMalformed, 9},
      {"no mark", Cat({Hex("36 21"), TextZ("00000001")}), protocol::kResultRfMalformed, 9},
      {"silent", {}, protocol::kResultRfMalformed, 9},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.vmsm.settings().RfInterface = 9;
    rig.t.conversation.Expect(Hex("1D 28 45 02 00 04 50"));
    if (!c.reply.empty()) rig.t.conversation.Reply(c.reply, 5);
    EXPECT_EQ(rig.vmsm.ReadRfInterface(), c.result) << c.name;
    EXPECT_EQ(rig.vmsm.settings().RfInterface, c.rf) << c.name;
    EXPECT_TRUE(rig.LinkOpen()) << c.name;
  }
}

TEST_F(VmsmTest, WriteRfInterface) {
  vmsm_.settings().RfInterface = 1;
  t_.conversation.Expect(Hex("1D 28 45 0B 00 03")).Expect(Cat({Hex("50"), Text("00000001")}));
  const uint64_t start = Now();
  EXPECT_EQ(vmsm_.WriteRfInterface(), protocol::kResultOk);
  EXPECT_EQ(Now() - start, 2 * kLinkPauseMs);  // no pause between the halves
  EXPECT_TRUE(t_.conversation.AllWritten());
}

TEST_F(VmsmTest, WriteRfInterfacePartialWriteIsAFailure) {
  t_.conversation.Permissive();
  t_.conversation.ShortNextWrite(3);
  EXPECT_EQ(vmsm_.WriteRfInterface(), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
}

// ---------------------------------------------------------------- factory default

TEST_F(VmsmTest, FactoryDefaultAcknowledged) {
  vmsm_.settings().Density = 1;
  const protocol::PrinterSettings before = vmsm_.settings();
  t_.conversation.Permissive();
  t_.conversation.Reply(Hex("37 20 00"), 400);
  EXPECT_EQ(vmsm_.FactoryDefault(), protocol::kResultOk);
  ASSERT_EQ(OperationWrites(), 1u);
  EXPECT_EQ(t_.conversation.Writes().back().size(), 250u);
  EXPECT_EQ(vmsm_.settings(), before);
  EXPECT_TRUE(LinkOpen());
}

TEST_F(VmsmTest, FactoryDefaultWithoutAcknowledgementGives301After5300ms) {
  t_.conversation.Permissive();
  const uint64_t start = Now();
  EXPECT_EQ(vmsm_.FactoryDefault(), protocol::kResultNoReply);
  EXPECT_FALSE(LinkOpen());
  const uint64_t elapsed = Now() - start;
  EXPECT_GT(elapsed, kLinkPauseMs + 300u + 5000u + kSerialCloseMs);
  EXPECT_LT(elapsed, kLinkPauseMs + 300u + 5000u + kSerialCloseMs + 50u);
}

TEST_F(VmsmTest, FactoryDefaultWrongAcknowledgementGives301) {
  t_.conversation.Permissive();
  t_.conversation.Reply(Hex("37 21 00"), 10);
  EXPECT_EQ(vmsm_.FactoryDefault(), protocol::kResultNoReply);
  EXPECT_FALSE(LinkOpen());
}

// ---------------------------------------------------------------- Bluetooth

TEST_F(VmsmTest, ReadBtInfoKinds) {
  t_.conversation.Expect(Hex("1F 1F 69 63"))
      .Reply(Cat({Hex("37 42 63"), TextZ("3")}), 50)
      .Expect(Hex("1F 1F 69 64"))
      .Reply(Cat({Hex("37 42 64"), TextZ("Counter 2")}), 50)
      .Expect(Hex("1F 1F 69 6B"))
      .Reply(Cat({Hex("37 42 6B"), TextZ("123456")}), 50)
      .Expect(Hex("1F 1F 69 73"))
      .Reply(Cat({Hex("37 42 73"), TextZ("1")}), 50);
  EXPECT_EQ(vmsm_.ReadBtInfo('c'), protocol::kResultOk);
  EXPECT_EQ(vmsm_.ReadBtInfo('d'), protocol::kResultOk);
  EXPECT_EQ(vmsm_.ReadBtInfo('k'), protocol::kResultOk);
  EXPECT_EQ(vmsm_.ReadBtInfo('s'), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().BtConnMode, 2u);
  EXPECT_EQ(vmsm_.settings().BtName, "Counter 2");
  EXPECT_EQ(vmsm_.settings().BtPin, "123456");
  EXPECT_EQ(vmsm_.settings().BtSecurity, 1u);
  EXPECT_TRUE(t_.conversation.AllRead());
}

TEST_F(VmsmTest, ReadBtInfoWaitsLongerOnTheHandheld) {
  for (int handheld = 0; handheld <= 1; ++handheld) {
    Rig rig(handheld != 0);
    ASSERT_TRUE(rig.Open());
    fakes::TestServices& t = rig.t;
    protocol::CCommonVmsm& vmsm = rig.vmsm;
    t.conversation.Expect(Hex("1F 1F 69 64")).Reply(Cat({Hex("37 42 64"), TextZ("Name")}), 0);
    const size_t calls_before = t.devices.record.calls.size();
    EXPECT_EQ(vmsm.ReadBtInfo('d'), protocol::kResultOk);
    const std::vector<fakes::Call>& calls = t.devices.record.calls;
    uint64_t write_at = 0;
    uint64_t read_at = 0;
    for (size_t i = calls_before; i < calls.size(); ++i) {
      if (calls[i].name == "Write" && write_at == 0) write_at = calls[i].at_ms;
      if (calls[i].name == "Read" && read_at == 0) read_at = calls[i].at_ms;
    }
    EXPECT_EQ(read_at - write_at, handheld ? 300u : 100u);
    EXPECT_EQ(vmsm.settings().BtName, "Name");
  }
}

TEST_F(VmsmTest, ReadBtInfoFailures) {
  struct Case {
    const char* name;
    uint8_t kind;
    Bytes reply;
    protocol::Result result;
  } cases[] = {
      {"unknown kind", 'x', Cat({Hex("37 42 78"), TextZ("1")}), protocol::kResultBadReply},
      {"another item", 'd', Cat({Hex("37 42 6B"), TextZ("1234")}), protocol::kResultBadReply},
      {"wrong mark", 'd', Cat({Hex("38 42 64"), TextZ("Name")}), protocol::kResultNoReply},
      {"wrong family", 'd', Cat({Hex("37 43 64"), TextZ("Name")}), protocol::kResultNoReply},
      {"no digit", 'c', Hex("37 42 63 00"), protocol::kResultNoReply},
      {"silent", 'd', {}, protocol::kResultNoReply},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.t.conversation.Permissive();
    if (!c.reply.empty()) rig.t.conversation.Reply(c.reply, 20);
    const protocol::PrinterSettings before = rig.vmsm.settings();
    EXPECT_EQ(rig.vmsm.ReadBtInfo(c.kind), c.result) << c.name;
    EXPECT_FALSE(rig.LinkOpen()) << c.name;
    EXPECT_EQ(rig.vmsm.settings(), before) << c.name;
  }
}

TEST_F(VmsmTest, WriteBtInfoBytes) {
  vmsm_.settings().BtSecurity = 0;
  vmsm_.settings().BtConnMode = 2;
  vmsm_.settings().BtPin = "123456789012";                     // 12, the most allowed
  vmsm_.settings().BtName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30
  t_.conversation.Expect(Cat({Hex("1F 1F 70 30 33"), Text(vmsm_.settings().BtPin), Hex("0D"),
                              Text(vmsm_.settings().BtName), Hex("0D")}));
  EXPECT_EQ(vmsm_.WriteBtInfo(), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_EQ(OperationWrites(), 1u);
}

TEST_F(VmsmTest, WriteBtInfoRefusesOverlongPinOrName) {
  vmsm_.settings().BtPin = "1234567890123";  // 13
  vmsm_.settings().BtName = "Printer";
  EXPECT_EQ(vmsm_.WriteBtInfo(), protocol::kResultValueRefused);
  vmsm_.settings().BtPin = "0000";
  vmsm_.settings().BtName = std::string(31, 'N');
  EXPECT_EQ(vmsm_.WriteBtInfo(), protocol::kResultValueRefused);
  vmsm_.settings().BtName = std::string(200, 'N');
  EXPECT_EQ(vmsm_.WriteBtInfo(), protocol::kResultValueRefused);
  EXPECT_EQ(OperationWrites(), 0u);
  EXPECT_TRUE(LinkOpen());
}

TEST_F(VmsmTest, WriteBtInfoRefusesALineEndInPinOrName) {
  const std::pair<const char*, const char*> values[] = {
      {"12\r4", "Printer"},
      {"1234", "Shop\rPrinter"},
      {"1234", "Printer\r"},
  };
  for (const auto& [pin, name] : values) {
    vmsm_.settings().BtPin = pin;
    vmsm_.settings().BtName = name;
    EXPECT_EQ(vmsm_.WriteBtInfo(), protocol::kResultValueRefused) << pin << "/" << name;
  }
  EXPECT_EQ(OperationWrites(), 0u);
  EXPECT_TRUE(LinkOpen());
}

// ---------------------------------------------------------------- sentinels

TEST_F(VmsmTest, ReadSentinel) {
  t_.conversation.Expect(Hex("08 4D 53 02 00 34 32"))
      .Reply(Cat({Hex("41 42 37 81 32"), Text("%B"), Hex("1F"), Text("?"), Hex("00")}), 5);
  EXPECT_EQ(vmsm_.ReadSentinel(2), protocol::kResultOk);
  EXPECT_TRUE(vmsm_.sentinel_reported(1));
  EXPECT_EQ(vmsm_.settings().SentinelStart[1], "%B");
  EXPECT_EQ(vmsm_.settings().SentinelEnd[1], "?");
  EXPECT_EQ(vmsm_.settings().SentinelStart[0], "");
}

TEST_F(VmsmTest, ReadSentinelEmptyStringsReplace) {
  vmsm_.settings().SentinelStart[2] = "S";
  vmsm_.settings().SentinelEnd[2] = "E";
  t_.conversation.Expect(Hex("08 4D 53 02 00 34 33")).Reply(Hex("37 81 33 1F 00"), 5);
  EXPECT_EQ(vmsm_.ReadSentinel(3), protocol::kResultOk);
  EXPECT_EQ(vmsm_.settings().SentinelStart[2], "");
  EXPECT_EQ(vmsm_.settings().SentinelEnd[2], "");
}

TEST_F(VmsmTest, ReadSentinelIgnoresWhatItDoesNotRecognise) {
  struct Case {
    const char* name;
    Bytes reply;
  } cases[] = {
      {"silent", {}},
      {"foreign reply", Cat({Hex("36 80 39"), Text("AB"), Hex("1F"), Text("CD"), Hex("00")})},
      {"cut short", Cat({Hex("37 81 31"), Text("AB"), Hex("1F"), Text("C")})},
      {"another track's", Cat({Hex("37 81 32"), Text("AB"), Hex("1F"), Text("CD"), Hex("00")})},
      {"start over 10 bytes", Cat({Hex("37 81 31"), Text("ABCDEFGHIJK"), Hex("1F 00")})},
      {"end over 10 bytes", Cat({Hex("37 81 31 1F"), Text("ABCDEFGHIJK"), Hex("00")})},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    fakes::TestServices& t = rig.t;
    protocol::CCommonVmsm& vmsm = rig.vmsm;
    vmsm.settings().SentinelStart[0] = "%";
    vmsm.settings().SentinelEnd[0] = "?";
    t.conversation.Expect(Hex("08 4D 53 02 00 34 31"));
    if (!c.reply.empty()) t.conversation.Reply(c.reply, 5);
    const uint64_t start = t.clock.NowMs();
    EXPECT_EQ(vmsm.ReadSentinel(1), protocol::kResultOk) << c.name;
    EXPECT_EQ(vmsm.settings().SentinelStart[0], "%") << c.name;
    EXPECT_EQ(vmsm.settings().SentinelEnd[0], "?") << c.name;
    EXPECT_FALSE(vmsm.sentinel_reported(0)) << c.name;
    EXPECT_TRUE(rig.LinkOpen()) << c.name;
    if (c.reply.empty()) {
      EXPECT_GT(t.clock.NowMs() - start, 2000u);
      EXPECT_LT(t.clock.NowMs() - start, 2100u);
    }
  }
}

TEST_F(VmsmTest, WriteSentinelEmptyEndIsOneZeroByte) {
  vmsm_.settings().SentinelStart[0] = "%";
  vmsm_.settings().SentinelEnd[0] = "";
  t_.conversation.Expect(Hex("08 4D 53 03 00 32 31"))
      .Expect(Text("%"))
      .Expect(Hex("08 4D 53 03 00 33 31"))
      .Expect(Hex("00"));
  EXPECT_EQ(vmsm_.WriteSentinel(1), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
  EXPECT_EQ(OperationWrites(), 4u);
}

TEST_F(VmsmTest, WriteSentinelEmptyStartSendsOnlyItsHeader) {
  vmsm_.settings().SentinelEnd[2] = "END3";
  t_.conversation.Expect(Hex("08 4D 53 02 00 32 33"))
      .Expect(Hex("08 4D 53 06 00 33 33"))
      .Expect(Text("END3"));
  EXPECT_EQ(vmsm_.WriteSentinel(3), protocol::kResultOk);
  EXPECT_TRUE(t_.conversation.AllWritten());
}

TEST_F(VmsmTest, WriteSentinelRefusals) {
  vmsm_.settings().SentinelStart[1] = std::string(11, 'S');
  EXPECT_EQ(vmsm_.WriteSentinel(2), protocol::kResultValueRefused);
  vmsm_.settings().SentinelStart[1] = "S";
  vmsm_.settings().SentinelEnd[1] = std::string(300, 'E');
  EXPECT_EQ(vmsm_.WriteSentinel(2), protocol::kResultValueRefused);
  EXPECT_EQ(vmsm_.WriteSentinel(0), protocol::kResultValueRefused);
  EXPECT_EQ(vmsm_.WriteSentinel(4), protocol::kResultValueRefused);
  EXPECT_EQ(vmsm_.ReadSentinel(4), protocol::kResultValueRefused);
  EXPECT_EQ(OperationWrites(), 0u);
  EXPECT_TRUE(LinkOpen());
}

TEST_F(VmsmTest, WriteSentinelFailedWriteGives300) {
  t_.conversation.Permissive();
  vmsm_.settings().SentinelStart[0] = "AB";
  t_.conversation.ShortNextWrite(5);
  EXPECT_EQ(vmsm_.WriteSentinel(1), protocol::kResultWriteFailed);
  EXPECT_FALSE(LinkOpen());
}

// ---------------------------------------------------------------- flooding printer

// A printer that pours out bytes without end must not overrun any reply buffer (the sanitiser
// build checks the memory) nor keep an operation busy for ever.
TEST_F(VmsmTest, FloodingPrinterCannotOverrunOrHang) {
  const Bytes flood(20000, 0x41);
  struct Case {
    const char* name;
    std::function<protocol::Result(protocol::CCommonVmsm&)> run;
    protocol::Result result;
    bool open_after;
  } cases[] = {
      {"ReadSwitch", [](protocol::CCommonVmsm& v) { return v.ReadSwitch(1); },
       protocol::kResultNoReply, false},
      {"ReadSerial", [](protocol::CCommonVmsm& v) { return v.ReadSerial(1); },
       protocol::kResultNoReply, false},
      {"ReadTearOff", [](protocol::CCommonVmsm& v) { return v.ReadTearOff(); },
       protocol::kResultBadReply, false},
      {"ReadRfInterface", [](protocol::CCommonVmsm& v) { return v.ReadRfInterface(); },
       protocol::kResultRfMalformed, true},
      {"ReadSentinel", [](protocol::CCommonVmsm& v) { return v.ReadSentinel(1); },
       protocol::kResultOk, true},
      {"ReadBtInfo", [](protocol::CCommonVmsm& v) { return v.ReadBtInfo('d'); },
       protocol::kResultNoReply, false},
      {"InitSetting", [](protocol::CCommonVmsm& v) { return v.InitSetting(); },
       protocol::kResultNoReply, false},
      {"FactoryDefault", [](protocol::CCommonVmsm& v) { return v.FactoryDefault(); },
       protocol::kResultNoReply, false},
  };
  for (const Case& c : cases) {
    Rig rig;
    ASSERT_TRUE(rig.Open());
    rig.t.conversation.Permissive();
    // Every write (the command and any resend) releases another flood.
    for (int i = 0; i < 20; ++i) rig.t.conversation.Reply(flood, 1);
    const protocol::PrinterSettings before = rig.vmsm.settings();
    const uint64_t start = rig.t.clock.NowMs();
    EXPECT_EQ(c.run(rig.vmsm), c.result) << c.name;
    EXPECT_EQ(rig.LinkOpen(), c.open_after) << c.name;
    EXPECT_EQ(rig.vmsm.settings(), before) << c.name;
    EXPECT_LT(rig.t.clock.NowMs() - start, 10000u) << c.name;
  }
}

}  // namespace
