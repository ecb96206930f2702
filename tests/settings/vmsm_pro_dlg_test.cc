// The read-all / write-all / factory-default progress dialog against the virtual printer.

#include "settings/dialogs/vmsm_pro_dlg.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string_view>

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

const std::vector<uint8_t> kReadTearOff = {0x1D, 0x28, 0x45, 0x02, 0x00, 0x21, 0x00};
const std::vector<uint8_t> kWriteTearOff = {0x1D, 0x28, 0x45, 0x04, 0x00, 0x20, 0x00};
const std::vector<uint8_t> kWriteBt = {0x1F, 0x1F, 0x70};
const std::vector<uint8_t> kReadSwitch116 = {0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 0x74};
const std::vector<uint8_t> kWriteSwitch116Body = {0x74, '0', '0', '0', '0', '0', '0', '0'};
const std::vector<uint8_t> kEndSetting = {0x1D, 0x28, 0x45, 0x04, 0x00, 0x02, 'O', 'U', 'T'};

// A printer whose settings differ from the factory block and from the record's defaults.
void GiveDistinctSettings(sim::PrinterState& s) {
  s.switches[1] = 0b00011011;  // Speed 1, LCharMode 1, Density 3
  s.switches[2] = 0b00101100;  // CodePage 5 + 32
  s.switches[5] = 0b00101101;  // TimeOff 45
  s.switches[6] = 0b11001000;  // TimeSave 200
  s.switches[7] = 0b00110000;  // Msr 2
  s.switches[8] = 0b01011110;  // Sentinel 2, Service 1, BeepLowBat 1, BeepPaper 1, FontType 2
  s.switches[116] = 0b00000001;
  s.switches['P'] = 0b00000010;  // RfInterface 2
  s.serial = {"9600", "2", "2", "7"};
  s.tear_off = 288;
  s.bt_security = "0";
  s.bt_conn_mode = "3";
  s.bt_pin = "0000";
  s.bt_name = "Counter 4";
  s.sentinel_start = {"%", ";", "+"};
  s.sentinel_end = {"?", "", "!"};
}

class VmsmProDlgTest : public TransferFixture {};

TEST_F(VmsmProDlgTest, ReadAllFillsTheRecordAndRunsTheChainInOrder) {
  GiveDistinctSettings(printer_.state());
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDOK);
  EXPECT_EQ(last_->message(), "");
  EXPECT_EQ(last_->Events(), (std::vector<int>{1000, 101, 9999}));
  EXPECT_EQ(last_->seen[0].text, "Get status : 15 %");
  EXPECT_EQ(last_->seen[1].position, 100);
  EXPECT_EQ(last_->seen[1].text, "Get status : 100 %");
  EXPECT_EQ(host_.EventsOf(ui::EventKind::kDialog).at(0).caption, "Virtual Memory Switch Manager");

  protocol::PrinterSettings expected;
  expected.Density = 3;
  expected.Speed = 1;
  expected.LCharMode = 1;
  expected.CodePage = 37;
  expected.TimeOff = 45;
  expected.TimeSave = 200;
  expected.Msr = 2;
  expected.Sentinel = 2;
  expected.Service = 1;
  expected.BeepLowBat = 1;
  expected.BeepPaper = 1;
  expected.FontType = 2;
  expected.BleMode = 1;
  expected.CuttingPosition = 288;
  expected.Baudrate = 9600;
  expected.Parity = 2;
  expected.Flowcontrol = 2;
  expected.Databit = 7;
  expected.SentinelStart = {"%", ";", "+"};
  expected.SentinelEnd = {"?", "", "!"};
  expected.RfInterface = 2;
  expected.BtConnMode = 2;
  expected.BtSecurity = 0;
  expected.BtPin = "0000";
  expected.BtName = "Counter 4";
  EXPECT_EQ(vmsm_.settings(), expected);
  // The link stays open for the write that may follow.
  EXPECT_TRUE(util_.dev().is_open());
}

TEST_F(VmsmProDlgTest, TearOffIsReadOnlyFromTheNewerFirmware) {
  for (bool newer : {true, false}) {
    SCOPED_TRACE(newer ? "160902" : "101001");
    util_.dev().Close();
    printer_.config().firmware = newer ? sim::kNewerFirmware : sim::kOlderFirmware;
    printer_.state().tear_off = 300;
    vmsm_.settings().CuttingPosition = 7;
    factory_.line().sent.clear();
    ASSERT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
    EXPECT_EQ(Occurrences(Sent(), kReadTearOff), newer ? 1 : 0);
    EXPECT_EQ(vmsm_.settings().CuttingPosition, newer ? 300u : 7u);
    // Read after switch 116, before the serial items.
    if (newer) {
      auto tear =
          std::search(Sent().begin(), Sent().end(), kReadTearOff.begin(), kReadTearOff.end());
      auto sw116 =
          std::search(Sent().begin(), Sent().end(), kReadSwitch116.begin(), kReadSwitch116.end());
      EXPECT_LT(sw116, tear);
    }
    EXPECT_EQ(last_->position(), 100);
  }
}

TEST_F(VmsmProDlgTest, ReadAllPausesHalfASecondBeforeTheFirstSwitchQuery) {
  std::optional<uint64_t> first_switch_query_ms;
  printer_.SetLogSink([&](uint64_t now_ms, std::string_view line) {
    if (!first_switch_query_ms && line.find("<- 1D 28 45 02 00 04 01") == 0) {
      first_switch_query_ms = now_ms;
    }
  });
  ASSERT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDOK);
  ASSERT_TRUE(first_switch_query_ms.has_value());
  // Event 1000 ended at seen[0] and armed event 101 100 ms ahead; that event advances 4 steps
  // of 2 ms and waits 500 ms before its first query, which the link sends after its own 10 ms.
  const uint64_t read_event_ms = last_->seen.at(0).at_ms + 100;
  EXPECT_EQ(*first_switch_query_ms - read_event_ms, 4u * 2u + 500u + 10u);
}

TEST_F(VmsmProDlgTest, WriteAllSendsTheEditedRecord) {
  ReadAll();
  vmsm_.settings().Density = 6;
  vmsm_.settings().Speed = 1;
  vmsm_.settings().CodePage = 36;
  vmsm_.settings().TimeOff = 90;
  vmsm_.settings().TimeSave = 30;
  vmsm_.settings().Msr = 3;
  vmsm_.settings().FontType = 1;
  vmsm_.settings().Sentinel = 1;
  vmsm_.settings().BleMode = 1;
  vmsm_.settings().Baudrate = 38400;
  vmsm_.settings().Parity = 1;
  vmsm_.settings().Flowcontrol = 2;
  vmsm_.settings().Databit = 7;
  vmsm_.settings().CuttingPosition = 512;
  vmsm_.settings().SentinelStart = {"A", "BB", ""};
  vmsm_.settings().SentinelEnd = {"Z", "", "YY"};
  vmsm_.settings().RfInterface = 1;
  vmsm_.settings().BtSecurity = 0;
  vmsm_.settings().BtConnMode = 2;
  vmsm_.settings().BtPin = "123456789012";
  vmsm_.settings().BtName = "Front desk";

  ASSERT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDOK) << last_->message();
  EXPECT_EQ(last_->Events(), (std::vector<int>{2000, 102, 9999}));
  EXPECT_EQ(last_->seen[0].text, "Set status : 5 %");
  const sim::PrinterState& s = printer_.state();
  EXPECT_FALSE(s.setting_mode);
  EXPECT_EQ(s.switches.at(1), 0b00011110);
  EXPECT_EQ(s.switches.at(2), 0b00100100);  // 36 = 32 + 4
  EXPECT_EQ(s.switches.at(5) & 0x7F, 90);
  EXPECT_EQ(s.switches.at(6), 30);
  EXPECT_EQ(s.switches.at(7) >> 4, 4);
  EXPECT_EQ(s.switches.at(8) & 0b01100011, 0b00100001);  // Sentinel 1, FontType 1
  EXPECT_EQ(s.switches.at(116), 1);
  EXPECT_EQ(s.switches.at('P'), 0b00000001);
  EXPECT_EQ(s.serial, (std::array<std::string, 4>{"38400", "1", "2", "7"}));
  EXPECT_EQ(s.tear_off, 512);
  EXPECT_EQ(s.sentinel_start, (std::array<std::string, 3>{"A", "BB", ""}));
  EXPECT_EQ(s.sentinel_end[0], "Z");
  EXPECT_EQ(s.sentinel_end[2], "YY");
  EXPECT_EQ(s.bt_security, "0");
  EXPECT_EQ(s.bt_conn_mode, "3");
  EXPECT_EQ(s.bt_pin, "123456789012");
  EXPECT_EQ(s.bt_name, "Front desk");

  // Read back, the printer gives the record that was written.
  protocol::PrinterSettings written = vmsm_.settings();
  ASSERT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
  EXPECT_EQ(vmsm_.settings(), written);
}

TEST_F(VmsmProDlgTest, TearOffIsWrittenOnlyToTheNewerFirmwareAfterTheSerialItems) {
  for (bool newer : {true, false}) {
    SCOPED_TRACE(newer ? "160902" : "101001");
    util_.dev().Close();
    printer_.config().firmware = newer ? sim::kNewerFirmware : sim::kOlderFirmware;
    printer_.state().tear_off = 0;
    ReadAll();
    vmsm_.settings().CuttingPosition = 400;
    ASSERT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDOK) << last_->message();
    EXPECT_EQ(Occurrences(Sent(), kWriteTearOff), newer ? 1 : 0);
    EXPECT_EQ(printer_.state().tear_off, newer ? 400 : 0);
    if (newer) {
      const std::vector<uint8_t> serial4 = {0x1D, 0x28, 0x45, 0x03, 0x00, 0x0B, 0x04};
      auto s4 = std::search(Sent().begin(), Sent().end(), serial4.begin(), serial4.end());
      auto tear =
          std::search(Sent().begin(), Sent().end(), kWriteTearOff.begin(), kWriteTearOff.end());
      EXPECT_LT(s4, tear);
    }
  }
}

TEST_F(VmsmProDlgTest, BtSkipLeavesSwitch116AndTheBluetoothItemsAlone) {
  ReadAll();
  const sim::PrinterState before = printer_.state();
  vmsm_.settings().BtSkip = 1;
  vmsm_.settings().BleMode = 1;
  vmsm_.settings().BtPin = "9999";
  vmsm_.settings().BtName = "Changed";
  ASSERT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDOK) << last_->message();
  EXPECT_EQ(Occurrences(Sent(), kWriteSwitch116Body), 0);
  EXPECT_EQ(Occurrences(Sent(), {0x74, '0', '0', '0', '0', '0', '0', '0', '1'}), 0);
  EXPECT_EQ(Occurrences(Sent(), kWriteBt), 0);
  EXPECT_EQ(printer_.state().switches.at(116), before.switches.at(116));
  EXPECT_EQ(printer_.state().bt_pin, before.bt_pin);
  EXPECT_EQ(printer_.state().bt_name, before.bt_name);
  // 5 + 76 from the stages; the closing stage fills the rest.
  EXPECT_EQ(last_->seen.at(1).position, 81);
  EXPECT_EQ(last_->seen.at(2).text, "Completed....: 100 %");
  EXPECT_EQ(last_->position(), 100);
}

TEST_F(VmsmProDlgTest, WriteAllProgressAndTheClosingStageWaitForTheBluetoothWrite) {
  ReadAll();
  ASSERT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDOK) << last_->message();
  const auto& seen = last_->seen;
  ASSERT_EQ(seen.size(), 3u);
  // 5 + 76 + 20 would pass 100: the bar stops there.
  EXPECT_EQ(seen[1].position, 100);
  EXPECT_EQ(seen[1].text, "Set status : 100 %");
  const std::vector<uint8_t>& sent = Sent();
  auto end = std::search(sent.begin(), sent.end(), kEndSetting.begin(), kEndSetting.end());
  auto bt = std::search(sent.begin(), sent.end(), kWriteBt.begin(), kWriteBt.end());
  ASSERT_NE(bt, sent.end());
  EXPECT_LT(end, bt);  // the Bluetooth items go after setting mode was left
}

TEST_F(VmsmProDlgTest, OverlongBluetoothTextsAreRefusedWithTheBluetoothMessage) {
  struct Row {
    std::string pin;
    std::string name;
  } rows[] = {{std::string(13, '1'), "ok"}, {"1234", std::string(31, 'n')}};
  for (const Row& row : rows) {
    util_.dev().Close();
    ReadAll();
    vmsm_.settings().BtPin = row.pin;
    vmsm_.settings().BtName = row.name;
    EXPECT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDCANCEL);
    EXPECT_EQ(last_->message(), "Failed to set Bluetooth infomation!");
    EXPECT_EQ(Occurrences(Sent(), kWriteBt), 0);
    // The closing stage armed before the write never ran.
    EXPECT_EQ(last_->Events(), (std::vector<int>{2000, 102}));
    EXPECT_EQ(host_.TimerCount(), 0u);
  }
}

TEST_F(VmsmProDlgTest, FactoryDefaultRestoresThePrinterAndLeavesTheRecord) {
  GiveDistinctSettings(printer_.state());
  vmsm_.settings().Density = 7;
  vmsm_.settings().BtName = "Mine";
  const protocol::PrinterSettings record = vmsm_.settings();
  ASSERT_EQ(Run(settings::CVmsmProDlg::kModeFactoryDefault), ui::IDOK) << last_->message();
  EXPECT_EQ(last_->Events(), (std::vector<int>{3000, 9999}));
  EXPECT_EQ(last_->seen[0].position, 100);
  EXPECT_EQ(vmsm_.settings(), record);
  sim::PrinterState expected = sim::FactoryState("TMQ-D550");
  sim::PrinterState got = printer_.state();
  // The block does not touch switch 116, the radio interface or the tear-off position.
  got.switches[116] = expected.switches[116];
  got.switches['P'] = expected.switches['P'];
  got.tear_off = expected.tear_off;
  EXPECT_EQ(got, expected);
}

// A mode no transfer has never falls into the factory default: the dialog and the command line's
// runner both end at once with a failure, and nothing reaches the printer.
TEST_F(VmsmProDlgTest, ModeZeroAndUnknownModesEndAtOnceAndSendNothing) {
  for (const settings::TransferMode mode :
       {settings::CVmsmProDlg::kModeNone, static_cast<settings::TransferMode>(7)}) {
    EXPECT_EQ(Run(mode), ui::IDCANCEL);
    EXPECT_EQ(last_->message(), "");
    EXPECT_TRUE(last_->seen.empty());
  }
  struct NoProgress : jobs::JobProgress {
    void Show(int, const std::string&) override {}
  } progress;
  settings::TransferActions actions(vmsm_);
  jobs::JobRunner runner(&util_, settings::DesktopTransferPlan(), actions, progress, clock_,
                         settings::EnglishTransferText,
                         settings::FirstTransferEvent(static_cast<settings::TransferMode>(7)));
  EXPECT_FALSE(runner.RunToEnd());
  EXPECT_EQ(runner.position(), 0);
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(util_.dev().is_open());
}

TEST_F(VmsmProDlgTest, UserCancelBetweenEventsEndsWithCancelAndNoMessage) {
  struct Row {
    settings::TransferMode mode;
    int cancel_after;
    std::vector<int> events;
  } rows[] = {
      {settings::CVmsmProDlg::kModeReadAll, 1000, {1000}},
      {settings::CVmsmProDlg::kModeReadAll, 101, {1000, 101}},
      {settings::CVmsmProDlg::kModeWriteAll, 2000, {2000}},
      {settings::CVmsmProDlg::kModeFactoryDefault, 3000, {3000}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cancel_after);
    util_.dev().Close();
    ProbeDlg dlg(row.mode, &vmsm_);
    dlg.cancel_after = row.cancel_after;
    EXPECT_EQ(Run(dlg), ui::IDCANCEL);
    EXPECT_EQ(dlg.message(), "");
    EXPECT_EQ(dlg.Events(), row.events);
    EXPECT_EQ(host_.ErrorCount(), 0);
  }
}

TEST_F(VmsmProDlgTest, CancelDuringTheWriteBeatsTheOverdueClosingStage) {
  // The closing stage is armed 1 s ahead before the Bluetooth items and their 4 s of settling,
  // so it is long overdue when the user's Cancel, pressed meanwhile, reaches the loop.
  for (bool bt_skip : {false, true}) {
    SCOPED_TRACE(bt_skip ? "BtSkip" : "Bluetooth written");
    util_.dev().Close();
    ReadAll();
    const std::string name_before = printer_.state().bt_name;
    vmsm_.settings().BtSkip = bt_skip ? 1 : 0;
    vmsm_.settings().BtName = bt_skip ? "Skipped" : "Written anyway";
    ProbeDlg dlg(settings::CVmsmProDlg::kModeWriteAll, &vmsm_);
    dlg.cancel_after = settings::kEventWrite;
    EXPECT_EQ(Run(dlg), ui::IDCANCEL);
    EXPECT_EQ(dlg.message(), "");
    EXPECT_EQ(dlg.Events(), (std::vector<int>{2000, 102}));
    EXPECT_EQ(host_.ErrorCount(), 0);
    EXPECT_EQ(host_.TimerCount(), 0u);
    // The stage that was running when Cancel was pressed ran to its end.
    EXPECT_EQ(Occurrences(Sent(), kEndSetting), 1);
    EXPECT_EQ(Occurrences(Sent(), kWriteBt), bt_skip ? 0 : 1);
    EXPECT_EQ(printer_.state().bt_name, bt_skip ? name_before : "Written anyway");
    vmsm_.settings().BtSkip = 0;
  }
}

TEST_F(VmsmProDlgTest, CancelBeforeTheFirstEventSendsNothing) {
  host_.Queue("click 2");
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDCANCEL);
  EXPECT_EQ(last_->message(), "");
  EXPECT_TRUE(last_->seen.empty());
  EXPECT_TRUE(Sent().empty());
}

TEST_F(VmsmProDlgTest, SilentPrinterEndsTheReadWithAMessageInBoundedTime) {
  printer_.faults().silent = true;
  const uint64_t start = clock_.NowMs();
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDCANCEL);
  // Silence is told apart from a wrong model.
  EXPECT_EQ(last_->message(),
            "Printer model is not matched!\nno answer from the printer at 127.0.0.1:9100; check "
            "that it is switched on and set to this interface, and that no other program is "
            "using it");
  EXPECT_LT(clock_.NowMs() - start, 60000u);
  EXPECT_FALSE(util_.dev().is_open());
}

TEST(TransferStrings, IdsAreUniqueInTheTransferRangesAndAllLoad) {
  std::set<int> ids;
  for (const settings::TransferString& s : settings::TransferStrings()) {
    EXPECT_TRUE((s.id >= 173 && s.id <= 233) || (s.id >= 239 && s.id <= 246)) << s.id;
    EXPECT_TRUE(ids.insert(s.id).second) << "repeated id " << s.id;
    EXPECT_FALSE(s.text.empty()) << s.id;
  }
  ui::StringTable table;
  settings::AddTransferStrings(table);
  EXPECT_EQ(table.size(), ids.size());
  // Every id a plan step names has a text.
  for (const jobs::JobEvent& e : settings::DesktopTransferPlan().events) {
    EXPECT_TRUE(table.Find(e.stage_name_id).has_value()) << e.id;
    for (const jobs::JobStep& step : e.steps) {
      if (step.kind != jobs::StepKind::kAdvance && step.kind != jobs::StepKind::kPause &&
          step.kind != jobs::StepKind::kArm) {
        EXPECT_TRUE(table.Find(step.message_id)) << e.id;
      }
    }
  }
}

}  // namespace
}  // namespace transfer_test
