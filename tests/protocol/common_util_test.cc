#include "protocol/common_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/test_services.h"
#include "protocol/result_codes.h"

namespace {

using fakes::Bytes;
using fakes::Cat;
using fakes::Hex;
using fakes::Text;
using fakes::TextZ;

const Bytes kCodePageQuery = Hex("1D 49 45");
const Bytes kModelQuery = Hex("1D 49 43");
const Bytes kVersionQuery = Hex("1D 49 41");
const Bytes kOpenCheckQuery = Hex("1B 4D 49");
const Bytes kMakerQuery = Hex("1D 49 42");

// A desktop serial link: reads return at once with what has arrived.
struct UtilTest : ::testing::Test {
  fakes::TestServices t;
  protocol::CCommonUtil util{t.services};
  fakes::Conversation& talk = t.conversation;
  uint64_t start = 0;  // virtual time when the link was up

  void SetUp() override {
    util.SetLinkSettings({.interface = devlink::CDev::kInterfaceSerial, .port_name = "COM1"});
    talk.Expect({0x00});  // the link's presence probe
    ASSERT_TRUE(util.OpenLink());
    start = t.clock.NowMs();
  }

  bool LinkOpen() const { return util.dev().is_open() && t.devices.record.open_devices == 1; }
  bool LinkClosed() const { return !util.dev().is_open() && t.devices.record.open_devices == 0; }
  // Start times of the link's reads, relative to `start`.
  std::vector<uint64_t> ReadTimes() const {
    std::vector<uint64_t> times;
    for (const fakes::Call& c : t.devices.record.calls) {
      if (c.name == "Read") times.push_back(c.at_ms - start);
    }
    return times;
  }
};

// ------------------------------------------------------------------ model

TEST_F(UtilTest, ModelRepliesAreCheckedByName) {
  const struct {
    const char* name;
    Bytes reply;
    protocol::Result result;
    uint32_t model_code;
    std::string model_name;
  } cases[] = {
      {"hyphen", TextZ("_TMQ-D550"), protocol::kResultOk, protocol::MODEL_TMQD550, "TMQ-D550"},
      {"space for the hyphen", TextZ("_TMQ D550"), protocol::kResultOk, protocol::MODEL_TMQD550,
       "TMQ D550"},
      {"'_' at position 15", TextZ("ABCDEFGHIJKLMNO_TMQ-D550"), protocol::kResultOk,
       protocol::MODEL_TMQD550, "BCDEFGHIJKLMNO_TMQ-D550"},
      {"other number", TextZ("_TMQ-D551"), protocol::kResultNotAccepted, 0, ""},
      {"'_' at position 16", TextZ("ABCDEFGHIJKLMNOP_TMQ-D550"), protocol::kResultNotAccepted, 0,
       ""},
      {"NUL before the '_'", Cat({TextZ("AB"), TextZ("_TMQ-D550")}), protocol::kResultNotAccepted,
       0, ""},
      {"name cut short", TextZ("_TMQ-D5"), protocol::kResultNotAccepted, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::TestServices t2;
    protocol::CCommonUtil u(t2.services);
    u.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET10.0.0.5"});
    ASSERT_TRUE(u.OpenLink());
    t2.conversation.Expect(kModelQuery).Reply(c.reply, 20);
    EXPECT_EQ(u.GetPrinterInfo(protocol::CCommonUtil::kModel), c.result);
    EXPECT_EQ(u.identity().model_code, c.model_code);
    EXPECT_EQ(u.identity().model_name, c.model_name);
    EXPECT_EQ(u.dev().is_open(), c.result == protocol::kResultOk);
    EXPECT_EQ(t2.devices.record.open_devices, c.result == protocol::kResultOk ? 1 : 0);
    EXPECT_TRUE(t2.conversation.AllWritten());
  }
}

TEST_F(UtilTest, StaleStatusReplyIsFollowedByTheModel) {
  talk.Expect(kModelQuery).Reply(Hex("37 20 00"), 0).Reply(TextZ("_TMQ-D550"), 10);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util.identity().model_code, 2u);
  EXPECT_EQ(util.identity().model_name, "TMQ-D550");
  EXPECT_TRUE(LinkOpen());
}

TEST_F(UtilTest, StaleStatusReplyWithNothingAfterItFails) {
  talk.Expect(kModelQuery).Reply(Hex("37 20 00"), 0);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNoReply);
  EXPECT_TRUE(LinkClosed());
  EXPECT_EQ(talk.ReadCalls(), 2u);
}

TEST_F(UtilTest, SilentPrinterIsGivenUpAfterTwelveReadsAndTenResends) {
  for (int i = 0; i < 11; ++i) talk.Expect(kModelQuery);  // the query and ten resends
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNoReply);
  EXPECT_TRUE(talk.AllWritten());
  EXPECT_EQ(talk.WriteCalls(), 12u);  // the probe, the query, ten resends
  EXPECT_EQ(talk.ReadCalls(), 12u);
  EXPECT_TRUE(LinkClosed());
  EXPECT_EQ(util.identity().model_code, 1u);
}

TEST(SilentPrinter, IsReportedWithinTenSecondsOnEveryDesktopTransport) {
  // From opening the link to the model query giving up, as a job meets it. Serial and Bluetooth
  // reads return at once; USB and TCP reads wait up to half a second each.
  const struct {
    int interface;
    const char* port;
    uint64_t ms;
  } cases[] = {
      {devlink::CDev::kInterfaceSerial, "COM1", 430},
      {devlink::CDev::kInterfaceBluetooth, "COM1", 430},
      {devlink::CDev::kInterfaceUsb, "/dev/usb/lp0", 6230},
      {devlink::CDev::kInterfaceTcp, "NET127.0.0.1", 6230},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.port);
    fakes::TestServices t;
    t.conversation.Permissive();
    protocol::CCommonUtil u(t.services);
    u.SetLinkSettings({.interface = c.interface, .port_name = c.port});
    const uint64_t start = t.clock.NowMs();
    ASSERT_TRUE(u.OpenLink());
    EXPECT_EQ(u.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNoReply);
    EXPECT_EQ(t.clock.NowMs() - start, c.ms);
  }
}

TEST_F(UtilTest, ResendingStartsAtTheThirdEmptyRead) {
  // Read 1 and 2 empty, read 3 empty -> resend, read 4 empty -> resend, read 5 has the reply;
  // then the link is read for the late answers to the two resends (none come here).
  talk.Expect(kModelQuery).Expect(kModelQuery).Expect(kModelQuery).Reply(TextZ("_TMQ-D550"));
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(talk.WriteCalls(), 4u);  // the presence probe and three queries
  EXPECT_GT(talk.ReadCalls(), 5u);
  EXPECT_TRUE(talk.AllWritten());
}

// A leftover status reply that ends a wait after resends is no answer to look for copies of: the
// model reply behind it is still read.
TEST_F(UtilTest, StatusLeftOverAfterResendsIsFollowedByTheModel) {
  talk.Expect(kModelQuery)
      .Expect(kModelQuery)
      .Expect(kModelQuery)
      .Reply(Hex("37 20 00"), 0)
      .Reply(TextZ("_TMQ-D550"), 10);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util.identity().model_name, "TMQ-D550");
}

TEST_F(UtilTest, ModelReplyInPiecesIsJoinedOnEveryKindOfLink) {
  // Serial reads return at once, so the pieces lie several empty reads apart; TCP reads wait.
  for (const int interface : {devlink::CDev::kInterfaceSerial, devlink::CDev::kInterfaceTcp}) {
    SCOPED_TRACE(interface);
    fakes::TestServices t2;
    protocol::CCommonUtil u(t2.services);
    u.SetLinkSettings(
        {.interface = interface,
         .port_name = interface == devlink::CDev::kInterfaceTcp ? "NET127.0.0.1" : "COM1"});
    if (interface == devlink::CDev::kInterfaceSerial) t2.conversation.Expect({0x00});
    ASSERT_TRUE(u.OpenLink());
    const uint64_t asked = t2.clock.NowMs();
    t2.conversation.Expect(kModelQuery).Reply(Text("_TMQ-"), 0).Reply(TextZ("D550"), 50);
    EXPECT_EQ(u.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
    EXPECT_EQ(u.identity().model_name, "TMQ-D550");
    EXPECT_EQ(t2.conversation.WriteCalls(), interface == devlink::CDev::kInterfaceSerial ? 2u : 1u);
    EXPECT_LE(t2.clock.NowMs() - asked, 100u);
  }
}

TEST_F(UtilTest, StrayBytesBeforeAReplyInAPieceOfItsOwnAreDropped) {
  talk.Expect(kModelQuery).Reply(Hex("11"), 0).Reply(TextZ("_TMQ-D550"), 30);
  talk.Expect(kMakerQuery).Reply(Hex("13 13"), 0).Reply(TextZ("_KORVANE"), 30);
  // A reply's own first piece is kept, although the next one begins with '_' too.
  talk.Expect(kModelQuery).Reply(Text("_TMQ"), 0).Reply(TextZ("_D550"), 30);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util.identity().model_name, "TMQ-D550");
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kMaker), protocol::kResultOk);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util.identity().model_name, "TMQ_D550");
  EXPECT_FALSE(LinkClosed());
}

TEST_F(UtilTest, PieceFollowedOnlyBySilenceIsDropped) {
  talk.Expect(kModelQuery).Reply(Text("_TMQ-"), 0);
  for (int i = 0; i < 10; ++i) talk.Expect(kModelQuery);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNoReply);
  EXPECT_TRUE(talk.AllWritten());
  EXPECT_TRUE(LinkClosed());
}

TEST_F(UtilTest, DiscardedBytesCannotCompleteAShortModelReply) {
  // Joined, the reply is "xxxxxD550_TMQ": the '_' stands within the first 16 bytes, but what
  // follows it is no model name.
  talk.Expect(kModelQuery).Reply(Text("xxxxxD550"), 0).Reply(TextZ("_TMQ"), 10);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNotAccepted);
  EXPECT_EQ(util.identity().model_code, 0u);
  EXPECT_EQ(talk.ReadCalls(), 2u);
  EXPECT_TRUE(LinkClosed());
}

TEST_F(UtilTest, EndlessChatterWithoutNulDoesNotHangTheQuery) {
  talk.Expect(kModelQuery);
  for (int i = 0; i < 500; ++i) talk.Reply(Text("~~~~"), static_cast<uint32_t>(i * 10));
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultNoReply);
  EXPECT_TRUE(LinkClosed());
  EXPECT_LT(talk.ReadCalls(), 500u);
}

// ------------------------------------------------------------------ firmware version

TEST(FirmwareVersionNumberTest, ClassifiesTheTwoGenerations) {
  const struct {
    std::string reply;
    uint32_t number;
  } cases[] = {
      {"_V1.00 090216", protocol::kFirmwareNewer},  // reads 160902
      {"_V1.00 090116", protocol::kFirmwareOlder},  // reads 160901
      {"_V2.00 170916", protocol::kFirmwareNewer},  // reads 161709
      {"_ABCDEFGH", protocol::kFirmwareOlder},      // no digits
      {"", protocol::kFirmwareOlder},
      {"_9", protocol::kFirmwareOlder},                               // shorter than the pieces
      {std::string("_V1 090216\0XX", 13), protocol::kFirmwareNewer},  // only up to the NUL
      {"_V 0001-1", protocol::kFirmwareOlder},  // "-10001": negative is no version
      {"_V   0 16", protocol::kFirmwareOlder},  // leading blanks: "16   0" reads 16
  };
  for (const auto& c : cases)
    EXPECT_EQ(protocol::FirmwareVersionNumber(c.reply), c.number) << c.reply;
}

TEST_F(UtilTest, VersionInTwoPiecesIsJoined) {
  talk.Expect(kVersionQuery).Reply(Text("_V1.00 0902"), 30).Reply(TextZ("16"), 400);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
  EXPECT_EQ(util.identity().firmware_version_text, "V1.00 090216");
  EXPECT_EQ(util.identity().firmware_version, 160902u);
  EXPECT_TRUE(LinkOpen());
}

TEST_F(UtilTest, OlderGenerationVersion) {
  talk.Expect(kVersionQuery).Reply(TextZ("_V1.00 090116"), 30);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
  EXPECT_EQ(util.identity().firmware_version_text, "V1.00 090116");
  EXPECT_EQ(util.identity().firmware_version, 101001u);
}

TEST_F(UtilTest, OverlongVersionReplyIsCutAtTheBufferAndItsRestDropped) {
  const Bytes reply = TextZ("_" + std::string(58, 'A'));
  talk.Expect(kVersionQuery)
      .Reply(Bytes(reply.begin(), reply.begin() + 25), 0)
      .Reply(Bytes(reply.begin() + 25, reply.end()), 20);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
  EXPECT_EQ(util.identity().firmware_version_text, std::string(39, 'A'));
  // Each read asked only for the space left; once the buffer was full, the rest of the reply was
  // read and dropped, so that the next query gets its own answer.
  std::vector<std::string> asked;
  for (const fakes::Call& c : t.devices.record.calls) {
    if (c.name == "Read") asked.push_back(c.detail);
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"40", "15", "15", "255"}));
  EXPECT_LT(t.clock.NowMs() - start, 100u);
  talk.Expect(kMakerQuery).Reply(TextZ("_KORVANE"), 20);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kMaker), protocol::kResultOk);
}

TEST_F(UtilTest, SilentPrinterGivesNoVersionAfterThreeSeconds) {
  talk.Expect(kVersionQuery);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultNoReply);
  EXPECT_TRUE(LinkClosed());
  const std::vector<uint64_t> reads = ReadTimes();
  ASSERT_FALSE(reads.empty());
  // The query went out at 10 and each read takes its 10 ms pace: the read that starts at 3010 is
  // the first to end more than 3000 ms after the query.
  EXPECT_EQ(reads.size(), 301u);
  EXPECT_EQ(reads.back(), 3010u);
  EXPECT_EQ(util.identity().firmware_version, 0u);
}

TEST_F(UtilTest, PartialVersionAtTheDeadlineIsStillUsed) {
  talk.Expect(kVersionQuery).Reply(Text("_V1.00 090216"), 50);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
  EXPECT_EQ(util.identity().firmware_version_text, "V1.00 090216");
  EXPECT_EQ(util.identity().firmware_version, 160902u);
  EXPECT_GT(t.clock.NowMs() - start - 10, 3000u);
  EXPECT_TRUE(LinkOpen());
}

// ------------------------------------------------------------------ open check

TEST_F(UtilTest, OpenCheckReplies) {
  const struct {
    const char* reply;
    protocol::Result result;
    const char* trace;
  } cases[] = {
      {"37 80 50 00", protocol::kResultOk, "OK ID Data = 50 "},
      {"37 81 50 00", protocol::kResultBadReply, "KVN:chk_OpenCheck: 1"},
      {"38 80 50 00", protocol::kResultBadReply, "KVN:chk_OpenCheck: 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    fakes::TestServices t2;
    protocol::CCommonUtil u(t2.services);
    u.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET10.0.0.5"});
    ASSERT_TRUE(u.OpenLink());
    t2.conversation.Expect(kOpenCheckQuery).Reply(Hex(c.reply), 150);
    EXPECT_EQ(u.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), c.result);
    EXPECT_EQ(u.dev().is_open(), c.result == protocol::kResultOk);
    EXPECT_EQ(t2.devices.record.open_devices, c.result == protocol::kResultOk ? 1 : 0);
    if (c.result == protocol::kResultOk) {
      EXPECT_EQ(u.identity().open_check_value, std::optional<uint8_t>(0x50));
    } else {
      EXPECT_FALSE(u.identity().open_check_value.has_value());
    }
    EXPECT_TRUE(t2.trace.Contains(c.trace));
    EXPECT_EQ(t2.conversation.WriteCalls(), 1u);
  }
}

TEST_F(UtilTest, SilentPrinterFailsTheOpenCheckAfterTenPausedResends) {
  for (int i = 0; i < 11; ++i) talk.Expect(kOpenCheckQuery);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultNoReply);
  EXPECT_TRUE(talk.AllWritten());
  EXPECT_TRUE(LinkClosed());
  // 10 ms write pace, 200 ms, then ten attempts of read pace 10 + write pace 10 + 500 ms pause.
  const std::vector<uint64_t> reads = ReadTimes();
  ASSERT_EQ(reads.size(), 10u);
  EXPECT_EQ(reads.front(), 210u);
  EXPECT_EQ(reads.back(), 210u + 9 * 520);
  EXPECT_EQ(t.devices.record.Last("Purge")->at_ms - start, 210u + 10 * 520);
  EXPECT_TRUE(t.trace.Contains("Timeout Read Check ID"));
}

TEST_F(UtilTest, OpenCheckAcceptsAReplyToAResend) {
  talk.Expect(kOpenCheckQuery)
      .Reply(Hex("37 80"), 0)
      .Expect(kOpenCheckQuery)
      .Expect(kOpenCheckQuery)
      .Reply(Hex("37 80 01 00"), 100);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultOk);
  EXPECT_EQ(util.identity().open_check_value, std::optional<uint8_t>(0x01));
  EXPECT_TRUE(talk.AllWritten());
}

TEST_F(UtilTest, OpenCheckInPiecesIsJoinedWithoutAResend) {
  talk.Expect(kOpenCheckQuery).Reply(Hex("37"), 200).Reply(Hex("80 01"), 260).Reply(Hex("00"), 300);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultOk);
  EXPECT_EQ(util.identity().open_check_value, std::optional<uint8_t>(0x01));
  EXPECT_EQ(talk.WriteCalls(), 2u);  // the probe and the query
}

TEST_F(UtilTest, OpenCheckWithOnlyUnterminatedFourByteRepliesIsMalformed) {
  for (int i = 0; i < 10; ++i) talk.Expect(kOpenCheckQuery).Reply(Hex("37 80 50 01"), 100);
  talk.Expect(kOpenCheckQuery);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultBadReply);
  EXPECT_TRUE(LinkClosed());
  EXPECT_TRUE(talk.AllWritten());
}

// ------------------------------------------------------------------ maker

TEST_F(UtilTest, MakerReplies) {
  const struct {
    Bytes reply;
    protocol::Result result;
  } cases[] = {
      {TextZ("_KORVANE"), protocol::kResultOk},
      {TextZ("_KORVANEX"), protocol::kResultNotAccepted},
      {TextZ("X_KORVANE"), protocol::kResultNotAccepted},
      {TextZ("_KORVANF"), protocol::kResultNotAccepted},
      {TextZ("_KORVAN"), protocol::kResultNotAccepted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(fakes::ToHex(c.reply));
    fakes::TestServices t2;
    protocol::CCommonUtil u(t2.services);
    u.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET10.0.0.5"});
    ASSERT_TRUE(u.OpenLink());
    t2.conversation.Expect(kMakerQuery).Reply(c.reply, 20);
    EXPECT_EQ(u.GetPrinterInfo(protocol::CCommonUtil::kMaker), c.result);
    EXPECT_EQ(u.dev().is_open(), c.result == protocol::kResultOk);
  }
}

TEST_F(UtilTest, SilentMakerQueryFails) {
  for (int i = 0; i < 11; ++i) talk.Expect(kMakerQuery);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kMaker), protocol::kResultNoReply);
  EXPECT_TRUE(LinkClosed());
}

// ------------------------------------------------------------------ code page

TEST_F(UtilTest, CodePageReplyIsKeptWithItsHeader) {
  talk.Expect(kCodePageQuery).Reply(TextZ("_PC437"), 50);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kCodePage), protocol::kResultOk);
  EXPECT_EQ(util.identity().code_page_text, "_PC437");
  EXPECT_EQ(ReadTimes().front(), 110u);  // 10 ms write pace, then 100 ms
  EXPECT_TRUE(LinkOpen());
}

TEST(HandheldCodePageTest, SilentCodePageQueryStillSucceedsWithAnEmptyText) {
  fakes::TestServices t;
  protocol::CCommonUtil util(t.services, /*handheld=*/true);  // waits longer before reading
  t.conversation.Expect({0x00}).Expect(kCodePageQuery).Reply(TextZ("_OLD"), 0);
  ASSERT_TRUE(util.OpenLink());
  ASSERT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kCodePage), protocol::kResultOk);
  const uint64_t asked = t.clock.NowMs();
  for (int i = 0; i < 11; ++i) t.conversation.Expect(kCodePageQuery);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kCodePage), protocol::kResultOk);
  EXPECT_EQ(util.identity().code_page_text, "");
  const fakes::Call* first_read = nullptr;
  for (const fakes::Call& c : t.devices.record.calls) {
    if (c.name == "Read" && c.at_ms >= asked && first_read == nullptr) first_read = &c;
  }
  ASSERT_NE(first_read, nullptr);
  EXPECT_EQ(first_read->at_ms - asked, 310u);
  EXPECT_TRUE(util.dev().is_open());
  EXPECT_TRUE(t.conversation.AllWritten());
}

// ------------------------------------------------------------------ every kind

TEST_F(UtilTest, ClosedLinkSendsNothing) {
  util.dev().Close();
  const size_t calls = t.devices.record.calls.size();
  const uint64_t now = t.clock.NowMs();
  for (uint32_t kind = 0; kind <= 4; ++kind) {
    EXPECT_EQ(util.GetPrinterInfo(kind), protocol::kResultNotOpen) << kind;
  }
  EXPECT_EQ(t.devices.record.calls.size(), calls);
  EXPECT_EQ(t.clock.NowMs(), now);
  EXPECT_EQ(talk.Written(), Bytes{0x00});
}

TEST_F(UtilTest, UnknownKindDoesNothing) {
  EXPECT_EQ(util.GetPrinterInfo(7), protocol::kResultOk);
  EXPECT_EQ(talk.Written(), Bytes{0x00});
  EXPECT_EQ(t.clock.NowMs(), start);
  EXPECT_TRUE(LinkOpen());
}

TEST_F(UtilTest, QueryThatCannotBeWrittenClosesTheLink) {
  const Bytes queries[] = {kCodePageQuery, kModelQuery, kVersionQuery, kOpenCheckQuery,
                           kMakerQuery};
  for (uint32_t kind = 0; kind <= 4; ++kind) {
    SCOPED_TRACE(kind);
    for (bool short_write : {false, true}) {
      fakes::TestServices t2;
      protocol::CCommonUtil u(t2.services);
      u.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET10.0.0.5"});
      ASSERT_TRUE(u.OpenLink());
      t2.conversation.Expect(queries[kind]);
      if (short_write) {
        t2.conversation.ShortNextWrite(2);
      } else {
        t2.conversation.FailNextWrite();
      }
      EXPECT_EQ(u.GetPrinterInfo(kind), protocol::kResultWriteFailed);
      EXPECT_FALSE(u.dev().is_open());
      EXPECT_EQ(t2.devices.record.open_devices, 0);
      EXPECT_EQ(t2.conversation.ReadCalls(), 0u);
    }
  }
}

TEST(CommonUtilSettingsTest, OpenLinkUsesTheHandedOverSettingOnce) {
  fakes::TestServices t;
  protocol::CCommonUtil util(t.services);
  EXPECT_EQ(util.identity().model_code, 1u);
  // Before any hand-over: the first COM port with DTR/DSR handshake.
  t.conversation.Expect({0x00});
  ASSERT_TRUE(util.OpenLink());
  EXPECT_EQ(util.dev().settings(),
            (devlink::LinkSettings{.port_name = "COM1:", .flow_control = 1}));
  util.CloseLink();
  EXPECT_EQ(t.devices.record.open_devices, 0);

  const devlink::LinkSettings tcp{.interface = 3,
                                  .port_name = "NET127.0.0.10",
                                  .baud_rate = 9600,
                                  .parity = 2,
                                  .data_bits = 7,
                                  .stop_bits = 2,
                                  .tcp_port = 9101};
  util.SetLinkSettings(tcp);
  EXPECT_TRUE(t.devices.record.connects.empty());  // handing over opens nothing
  ASSERT_TRUE(util.OpenLink());
  ASSERT_TRUE(util.OpenLink());  // already open: no second connection
  EXPECT_EQ(util.dev().settings(), tcp);
  EXPECT_EQ(t.devices.record.connects,
            (std::vector<std::pair<std::string, uint16_t>>{{"127.0.0.10", 9101}}));
  util.CloseLink();
  util.CloseLink();
  EXPECT_FALSE(util.dev().is_open());
  EXPECT_EQ(t.devices.record.open_devices, 0);
}

}  // namespace
