#include "sim/printer_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sim {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::initializer_list<uint8_t> bytes) { return Bytes(bytes); }
Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes Framed(uint8_t head, const std::string& text) {
  return Cat(Cat(B({head}), Text(text)), B({0x00}));
}

// Drives a model in hand-stepped time and collects replies.
class ModelTest : public ::testing::Test {
 protected:
  void Send(const Bytes& bytes) { model_.Receive(bytes, now_); }
  // Everything due up to `now_ + ms`, all pieces joined.
  Bytes Drain(uint64_t ms = 1000) {
    now_ += ms;
    Bytes all;
    for (Bytes piece; !(piece = model_.TakeDue(now_, 1000)).empty();) {
      all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
  }
  Bytes Ask(const Bytes& bytes) {
    Send(bytes);
    return Drain();
  }
  bool NoteContains(const std::string& part) const {
    for (const auto& note : model_.notes()) {
      if (note.find(part) != std::string::npos) return true;
    }
    return false;
  }

  PrinterModel model_;
  uint64_t now_ = 1000;
};

TEST_F(ModelTest, IdentificationRepliesCarryTheConfiguredTexts) {
  model_.config().code_page = "PC850";
  model_.config().open_check_value = 0x50;
  struct Row {
    Bytes query;
    Bytes reply;
  } rows[] = {
      {B({0x1D, 0x49, 0x41}), Framed('_', kNewerFirmware)},
      {B({0x1D, 0x49, 0x42}), Framed('_', "KORVANE")},
      {B({0x1D, 0x49, 0x43}), Framed('_', "TMQ-D550")},
      {B({0x1D, 0x49, 0x45}), Framed('_', "PC850")},
      {B({0x1B, 0x4D, 0x49}), B({0x37, 0x80, 0x50, 0x00})},
  };
  for (const auto& row : rows) EXPECT_EQ(Ask(row.query), row.reply);
}

TEST_F(ModelTest, CommandSplitAcrossReceivesIsAnsweredOnceComplete) {
  Send(B({0x1D}));
  Send(B({0x49}));
  EXPECT_EQ(model_.NextDueMs(), std::nullopt);
  Send(B({0x43}));
  EXPECT_EQ(Drain(), Framed('_', "TMQ-D550"));
}

TEST_F(ModelTest, RepliesAreDueAfterTheReplyDelay) {
  model_.config().reply_delay_ms = 40;
  Send(B({0x1B, 0x4D, 0x49}));
  EXPECT_EQ(model_.NextDueMs(), now_ + 40);
  EXPECT_TRUE(model_.TakeDue(now_ + 39, 100).empty());
  EXPECT_EQ(model_.TakeDue(now_ + 40, 100).size(), 4u);
}

// A NUL is a host's line probe, which a printer ignores: it ends the noted garbage unnoted.
TEST_F(ModelTest, UnknownBytesAreSkippedWithANoteAndParsingResumes) {
  EXPECT_EQ(Ask(B({0xAB, 0x1D, 0x58, 0x00, 0x1D, 0x49, 0x42})), Framed('_', "KORVANE"));
  EXPECT_TRUE(NoteContains("skipped 3 unknown byte(s): AB 1D 58"));
  EXPECT_FALSE(NoteContains("AB 1D 58 00"));
  EXPECT_EQ(model_.notes().size(), 1u);
  EXPECT_EQ(Ask(B({0x00, 0x1D, 0x49, 0x42})), Framed('_', "KORVANE"));
  EXPECT_EQ(model_.notes().size(), 1u);
}

TEST_F(ModelTest, TwoCommandsInOneReceiveAreBothAnsweredInOrder) {
  Send(Cat(B({0x1D, 0x49, 0x43}), B({0x1D, 0x49, 0x42})));
  now_ += 100;
  EXPECT_EQ(model_.TakeDue(now_, 100), Framed('_', "TMQ-D550"));
  EXPECT_EQ(model_.TakeDue(now_, 100), Framed('_', "KORVANE"));
}

TEST_F(ModelTest, AReadSmallerThanTheReplyLeavesTheRestForTheNextRead) {
  Send(B({0x1B, 0x4D, 0x49}));
  now_ += 100;
  EXPECT_EQ(model_.TakeDue(now_, 3).size(), 3u);
  EXPECT_EQ(model_.TakeDue(now_, 3), B({0x00}));
}

TEST_F(ModelTest, SilenceForAllOrForOneCommand) {
  model_.faults().silent_for = {Command::kModel};
  EXPECT_TRUE(Ask(B({0x1D, 0x49, 0x43})).empty());
  EXPECT_FALSE(Ask(B({0x1D, 0x49, 0x42})).empty());
  model_.faults().silent = true;
  EXPECT_TRUE(Ask(B({0x1D, 0x49, 0x42})).empty());
  EXPECT_TRUE(NoteContains("silent"));
}

TEST_F(ModelTest, ExtraDelayAppliesOnlyToTheChosenCommands) {
  model_.config().reply_delay_ms = 5;
  model_.faults().extra_delay_ms = 700;
  model_.faults().only = {Command::kVersion};
  Send(B({0x1D, 0x49, 0x41}));
  EXPECT_EQ(model_.NextDueMs(), now_ + 705);
  Drain();
  Send(B({0x1D, 0x49, 0x43}));
  EXPECT_EQ(model_.NextDueMs(), now_ + 5);
}

TEST_F(ModelTest, SplitReplyComesInSpacedPiecesThatJoinToTheWhole) {
  model_.config().reply_delay_ms = 0;
  model_.faults().split_pieces = 3;
  model_.faults().split_gap_ms = 50;
  Send(B({0x1D, 0x49, 0x43}));  // 10 reply bytes: 4 + 3 + 3
  EXPECT_EQ(model_.TakeDue(now_, 100), Text("_TMQ"));
  EXPECT_TRUE(model_.TakeDue(now_ + 49, 100).empty());
  EXPECT_EQ(model_.TakeDue(now_ + 50, 100), Text("-D5"));
  EXPECT_EQ(model_.TakeDue(now_ + 100, 100), Cat(Text("50"), B({0x00})));
}

TEST_F(ModelTest, WrongHeaderChangesOnlyTheFirstByte) {
  model_.faults().wrong_header = true;
  EXPECT_EQ(Ask(B({0x1B, 0x4D, 0x49})), B({0x38, 0x80, 0x06, 0x00}));
}

TEST_F(ModelTest, StaleReplyPrecedesTheModelReplyAsItsOwnPiece) {
  model_.faults().stale_model_reply = true;
  Send(B({0x1D, 0x49, 0x43}));
  now_ += 100;
  EXPECT_EQ(model_.TakeDue(now_, 100), B({0x37, 0x20, 0x00}));
  EXPECT_EQ(model_.TakeDue(now_, 100), Framed('_', "TMQ-D550"));
  // Only the model query has the stale answer before it.
  EXPECT_EQ(Ask(B({0x1D, 0x49, 0x42})), Framed('_', "KORVANE"));
}

TEST_F(ModelTest, DropAfterBytesStopsTheConnectionUntilTheNextOne) {
  model_.faults().drop_after_bytes = 4;
  Send(B({0x1D, 0x49, 0x43}));
  EXPECT_FALSE(model_.Dropped());
  Send(B({0x1B, 0x4D, 0x49}));  // the fourth byte ends the connection; ESC M I never completes
  EXPECT_TRUE(model_.Dropped());
  EXPECT_TRUE(Drain().empty());
  model_.OnConnect(now_);
  EXPECT_FALSE(model_.Dropped());
  EXPECT_EQ(Ask(B({0x1B, 0x4D, 0x49})).size(), 4u);
}

TEST(FirmwareGenerationTest, FollowsTheHostsVersionReading) {
  struct Row {
    std::string firmware;
    bool newer;
  } rows[] = {{kNewerFirmware, true}, {kOlderFirmware, false}, {"X 090116", false},
              {"X 090216", true},     {"no digits", false},    {"", false}};
  for (const auto& row : rows) {
    PrinterConfig config;
    config.firmware = row.firmware;
    EXPECT_EQ(PrinterModel(config).NewerFirmware(), row.newer) << row.firmware;
  }
}

// --- Memory switches, serial items, tear-off.

Bytes GsE(std::initializer_list<uint8_t> bytes) { return Cat(B({0x1D, 0x28, 0x45}), Bytes(bytes)); }
Bytes WriteSwitchFirstHalf() { return GsE({0x0B, 0x00, 0x03}); }
Bytes ReadSwitch(uint8_t a) { return GsE({0x02, 0x00, 0x04, a}); }
Bytes SwitchReply(const std::string& c) { return Cat(Cat(B({0x37, 0x21}), Text(c)), B({0x00})); }

TEST_F(ModelTest, SwitchWriteInTwoHalvesKeepsBitsWrittenAsTwo) {
  model_.state().switches[7] = 0b10100101;
  Send(WriteSwitchFirstHalf());
  now_ += 500;
  Send(Cat(B({7}), Text("01112222")));
  EXPECT_EQ(model_.state().switches[7], 0b01110101);
  EXPECT_EQ(Ask(ReadSwitch(7)), SwitchReply("01110101"));
}

TEST_F(ModelTest, SwitchWriteDoesNotSwallowTheNextCommand) {
  // The length byte says 11 while 10 bytes follow; the next command must still be understood.
  EXPECT_EQ(Ask(Cat(Cat(WriteSwitchFirstHalf(), Cat(B({5}), Text("00000011"))), ReadSwitch(5))),
            SwitchReply("00000011"));
}

TEST_F(ModelTest, SwitchWriteWithBadCharacterChangesNothing) {
  const uint8_t before = model_.state().switches[1];
  Send(Cat(WriteSwitchFirstHalf(), Cat(B({1}), Text("1111111x"))));
  EXPECT_EQ(model_.state().switches[1], before);
  EXPECT_TRUE(NoteContains("bad characters"));
}

TEST_F(ModelTest, SettingModeEntersWithAcknowledgementAndLeavesSilently) {
  EXPECT_EQ(Ask(GsE({0x03, 0x00, 0x01, 'I', 'N'})), B({0x37, 0x20, 0x00}));
  EXPECT_TRUE(model_.state().setting_mode);
  EXPECT_TRUE(Ask(GsE({0x04, 0x00, 0x02, 'O', 'U', 'T'})).empty());
  EXPECT_FALSE(model_.state().setting_mode);
}

TEST_F(ModelTest, StrictSettingModeIgnoresWritesOutsideIt) {
  model_.config().strict_setting_mode = true;
  const uint8_t before = model_.state().switches[6];
  Send(Cat(WriteSwitchFirstHalf(), Cat(B({6}), Text("11111111"))));
  EXPECT_EQ(model_.state().switches[6], before);
  Send(GsE({0x03, 0x00, 0x01, 'I', 'N'}));
  Send(Cat(WriteSwitchFirstHalf(), Cat(B({6}), Text("11111111"))));
  EXPECT_EQ(model_.state().switches[6], 0xFF);
}

TEST_F(ModelTest, SerialItemsWriteThenRead) {
  Send(Cat(GsE({0x07, 0x00, 0x0B, 0x01}), Text("19200")));
  Send(Cat(GsE({0x03, 0x00, 0x0B, 0x02}), Text("2")));
  EXPECT_EQ(Ask(GsE({0x02, 0x00, 0x0C, 0x01})),
            Cat(B({0x37, 0x33, 0x31, 0x1F}), Framed('1', "9200")));
  EXPECT_EQ(Ask(GsE({0x02, 0x00, 0x0C, 0x02})), B({0x37, 0x33, 0x32, 0x1F, '2', 0x00}));
  EXPECT_EQ(Ask(GsE({0x02, 0x00, 0x0C, 0x04})), B({0x37, 0x33, 0x34, 0x1F, '8', 0x00}));
}

TEST(TearOffTest, AnsweredOnlyByTheNewerGeneration) {
  for (const char* firmware : {kNewerFirmware, kOlderFirmware}) {
    PrinterConfig config;
    config.firmware = firmware;
    PrinterModel model(config);
    const Bytes write = {0x1D, 0x28, 0x45, 0x04, 0x00, 0x20, 0x00, 0x00, 0x01};  // 256
    const Bytes read = {0x1D, 0x28, 0x45, 0x02, 0x00, 0x21, 0x00};
    model.Receive(write, 0);
    model.Receive(read, 10);
    const Bytes reply = model.TakeDue(1000, 100);
    if (firmware == std::string(kNewerFirmware)) {
      EXPECT_EQ(reply, Bytes({0x37, 0x35, 0x30, 0x1F, 0x00, 0x01, 0x00}));
      EXPECT_EQ(model.state().tear_off, 256);
    } else {
      EXPECT_TRUE(reply.empty());
      EXPECT_EQ(model.state().tear_off, 0);
    }
  }
}

TEST_F(ModelTest, RadioInterfaceIsSwitchP) {
  Send(Cat(WriteSwitchFirstHalf(), Cat(B({'P'}), Text("00000010"))));
  EXPECT_EQ(Ask(ReadSwitch('P')), SwitchReply("00000010"));
}

// --- Bluetooth and sentinels.

TEST_F(ModelTest, BluetoothWriteThenReadEachItem) {
  Send(Cat(Cat(B({0x1F, 0x1F, 'p', '0', '2'}), Text("1234\rShop 7\r")), B({})));
  struct Row {
    uint8_t kind;
    std::string value;
  } rows[] = {{'s', "0"}, {'c', "2"}, {'k', "1234"}, {'d', "Shop 7"}};
  for (const auto& row : rows) {
    EXPECT_EQ(Ask(B({0x1F, 0x1F, 'i', row.kind})),
              Cat(B({0x37, 0x42, row.kind}),
                  Framed(row.value.empty() ? 0 : row.value[0], row.value.substr(1))));
  }
}

TEST_F(ModelTest, BluetoothWriteArrivingInPiecesWaitsForTheSecondCr) {
  Send(
      Text("\x1F\x1Fp13"
           "9999\r"));
  EXPECT_EQ(model_.state().bt_pin, "4862");
  Send(Text("Name\r"));
  EXPECT_EQ(model_.state().bt_pin, "9999");
  EXPECT_EQ(model_.state().bt_name, "Name");
}

TEST_F(ModelTest, UnterminatedBluetoothWriteIsGivenUpAndParsingRecovers) {
  Send(Cat(B({0x1F, 0x1F, 'p', '1', '1'}), Bytes(200, 'A')));
  EXPECT_TRUE(NoteContains("closing CR"));
  EXPECT_EQ(model_.state().bt_name, "TMQ-D550");
  EXPECT_EQ(Ask(B({0x1D, 0x49, 0x42})), Framed('_', "KORVANE"));
}

Bytes Sentinel(uint8_t fn, uint8_t track, const Bytes& data) {
  return Cat(B({0x08, 0x4D, 0x53, static_cast<uint8_t>(data.size() + 2), 0x00, fn,
                static_cast<uint8_t>('0' + track)}),
             data);
}

TEST_F(ModelTest, SentinelWritesThenReadIncludingTheEmptyEnd) {
  Send(Sentinel('2', 2, Text("%B")));
  Send(Sentinel('3', 2, B({0x00})));  // the host's way of writing an empty sentinel
  EXPECT_EQ(Ask(Sentinel('4', 2, {})), B({0x37, 0x81, '2', '%', 'B', 0x1F, 0x00}));
  EXPECT_EQ(Ask(Sentinel('4', 3, {})), Cat(B({0x37, 0x81, '3'}), Cat(Text("START3\x1F"
                                                                          "END3"),
                                                                     B({0}))));
}

TEST_F(ModelTest, OverlongSentinelIsRefused) {
  Send(Sentinel('2', 1, Text("ABCDEFGHIJK")));
  EXPECT_EQ(model_.state().sentinel_start[0], "START1");
  EXPECT_TRUE(NoteContains("refused"));
}

// The factory-default block exactly as hosts send it, in one write.
Bytes FactoryBlock() {
  Bytes block = GsE({0x03, 0x00, 0x01, 'I', 'N'});
  const std::pair<uint8_t, const char*> switches[] = {
      {1, "00001100"}, {2, "00000000"}, {3, "22220001"}, {5, "00001111"},
      {6, "00001010"}, {7, "01110000"}, {8, "00000000"}};
  for (const auto& [a, c] : switches)
    block = Cat(Cat(block, WriteSwitchFirstHalf()), Cat(B({a}), Text(c)));
  block = Cat(block, Cat(GsE({0x08, 0x00, 0x0B, 0x01}), Text("115200")));
  block = Cat(block, Cat(GsE({0x03, 0x00, 0x0B, 0x02}), Text("0")));
  block = Cat(block, Cat(GsE({0x03, 0x00, 0x0B, 0x03}), Text("0")));
  block = Cat(block, Cat(GsE({0x03, 0x00, 0x0B, 0x04}), Text("8")));
  block = Cat(block, GsE({0x04, 0x00, 0x02, 'O', 'U', 'T'}));
  for (uint8_t t = 1; t <= 3; ++t) {
    block = Cat(block, Sentinel('2', t, Text("START" + std::to_string(t))));
    block = Cat(block, Sentinel('3', t, Text("END" + std::to_string(t))));
  }
  return Cat(block, Cat(B({0x1F, 0x1F, 'p', '1', '2'}), Text("4862\rTMQ-D550\r")));
}

TEST_F(ModelTest, FactoryDefaultBlockRestoresTheDefaultsAndAcknowledges) {
  ASSERT_EQ(FactoryBlock().size(), 250u);
  PrinterState& state = model_.state();
  for (auto& [number, bits] : state.switches) bits = 0b11110110;
  state.serial = {"9600", "2", "1", "7"};
  state.sentinel_start = {"a", "b", "c"};
  state.sentinel_end = {"", "", ""};
  state.bt_pin = "0000";
  state.bt_name = "x";
  state.bt_security = "0";
  EXPECT_EQ(Ask(FactoryBlock()), B({0x37, 0x20, 0x00}));
  PrinterState expected = FactoryState("TMQ-D550");
  // Switches the block does not touch keep their bits; switch 3 keeps its upper four.
  for (uint8_t untouched : {uint8_t{4}, kBleSwitch, kRadioSwitch}) {
    expected.switches[untouched] = 0b11110110;
  }
  expected.switches[3] = 0b11110001;
  EXPECT_EQ(state, expected);
  EXPECT_TRUE(model_.notes().empty()) << model_.notes().front();
}

TEST_F(ModelTest, StateGenerationCountsChangesOnly) {
  const uint64_t before = model_.state_generation();
  Ask(ReadSwitch(1));
  EXPECT_EQ(model_.state_generation(), before);
  Send(Cat(WriteSwitchFirstHalf(), Cat(B({1}), Text("22222221"))));
  EXPECT_GT(model_.state_generation(), before);
}

}  // namespace
}  // namespace sim
