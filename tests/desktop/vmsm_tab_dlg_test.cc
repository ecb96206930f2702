// The settings tab dialog with its three pages, driven as a user would: list encodings both
// ways, the tear-off rule, the checked number edits, the Bluetooth toggle, Save, Default and
// Cancel, and the record handed in and back around a run.

#include "desktop/vmsm_tab_dlg.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "desktop/vmsm_tab_strings.h"
#include "fakes/test_services.h"
#include "protocol/common_util.h"
#include "settings/vmsm_strings.h"
#include "ui/automation/scripted_host.h"

namespace desktop {
namespace {

class VmsmTabTest : public ::testing::Test {
 protected:
  VmsmTabTest() : host_(clock_, Resources()) {
    util_.SetIdentityForTest(
        {.firmware_version_text = "2.00 ESC/POS", .firmware_version = protocol::kFirmwareNewer});
    host_.SetEventCallback([this](const ui::Event& e, ui::ScriptedHost&) {
      if (e.kind == ui::EventKind::kSnapshot && !probes_.empty()) {
        auto probe = std::move(probes_.front());
        probes_.pop_front();
        probe();
      }
    });
  }

  // A probe that never ran would skip its checks silently.
  void TearDown() override {
    EXPECT_TRUE(probes_.empty()) << probes_.size() << " probe(s) never ran";
  }

  static ui::Resources Resources() {
    ui::StringTable table;
    desktop::AddVmsmTabStrings(table);
    return ui::Resources(table, "Pelliset");
  }

  // Queues `lines`; a line "probe" becomes a snapshot whose moment runs the next probe.
  void Queue(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines)
      ASSERT_TRUE(host_.Queue(line == "probe" ? "snapshot" : line));
  }
  void AddProbe(std::function<void()> probe) { probes_.push_back(std::move(probe)); }

  // One launch as the main dialog makes it: the record in, the dialog's record back after OK.
  int Launch() {
    const protocol::PrinterIdentity& id = util_.identity();
    CDlgVMSM dlg(record_, {id.firmware_version, id.firmware_version_text, id.code_page_text});
    dlg_ = &dlg;
    const int result = dlg.DoModal(host_);
    dlg_ = nullptr;
    restore_defaults_ = dlg.restore_defaults();
    title_ = dlg.GetWindowText();
    if (result == ui::IDOK) record_ = dlg.values();
    return result;
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& e : host_.EventsOf(ui::EventKind::kMessageBox)) texts.push_back(e.text);
    return texts;
  }

  fakes::TestServices services_;
  protocol::CCommonUtil util_{services_.services};
  platform::VirtualClock clock_;
  ui::ScriptedHost host_;
  CDlgVMSM* dlg_ = nullptr;
  protocol::PrinterSettings record_;
  std::deque<std::function<void()>> probes_;
  int restore_defaults_ = -1;
  std::string title_;
};

struct DensityCase {
  uint32_t value;
  int row;
  const char* text;
};
const DensityCase kDensityCases[] = {
    {3, 0, "print density 150%"}, {5, 1, "print density 140%"}, {0, 2, "print density 130%"},
    {1, 3, "print density 120%"}, {2, 4, "print density 110%"}, {4, 5, "print density 100%"},
    {6, 6, "print density  90%"}, {7, 7, "print density  80%"},
};

TEST_F(VmsmTabTest, DensityShowsItsRowAndEachRowSavesItsValue) {
  for (const DensityCase& c : kDensityCases) {
    SCOPED_TRACE(c.text);
    // Value -> row: open on the record's value.
    record_ = protocol::PrinterSettings{};
    record_.Density = c.value;
    AddProbe([&] {
      const ui::ComboBox& list = dlg_->tab1().GetComboBox(1092);
      EXPECT_EQ(list.GetCurSel(), c.row);
      EXPECT_EQ(list.GetText(), c.text);
      EXPECT_EQ(list.GetCount(), 8);
    });
    Queue({"probe", "click 2"});
    EXPECT_EQ(Launch(), ui::IDCANCEL);
    // Row -> value: start from another density and choose the row.
    record_.Density = c.value == 4 ? 3 : 4;
    Queue({"select 140:1092 \"" + std::string(c.text) + "\"", "click 1"});
    ASSERT_EQ(Launch(), ui::IDOK);
    EXPECT_EQ(record_.Density, c.value);
  }
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, FrameTitleTabsAndPageSwitching) {
  AddProbe([&] {
    const ui::TabControl& tab = host_.TopDialog()->GetTab(1022);
    EXPECT_EQ(tab.Items(), (std::vector<std::string>{"Printer Setting 1", "Printer Setting 2",
                                                     "Printer interface"}));
    EXPECT_TRUE(dlg_->tab1().IsWindowVisible());
    EXPECT_FALSE(dlg_->tab2().IsWindowVisible());
    EXPECT_FALSE(dlg_->tab3().IsWindowVisible());
    EXPECT_EQ(dlg_->tab1().PageX(), 7 + 10);
    EXPECT_EQ(dlg_->tab1().PageY(), 7 + 25);
  });
  AddProbe([&] {
    EXPECT_FALSE(dlg_->tab1().IsWindowVisible());
    EXPECT_TRUE(dlg_->tab2().IsWindowVisible());
  });
  // A control of a hidden page cannot be used: page 2's list before its tab is chosen.
  Queue({"probe", "select 141:1008 1", "select 1022 1", "probe", "select 141:1008 1", "click 2"});
  EXPECT_EQ(Launch(), ui::IDCANCEL);
  EXPECT_EQ(host_.ErrorCount(), 1);
  EXPECT_EQ(title_, "Virtual Memory Switch Manager  (fw:2.00 ESC/POS)");
  EXPECT_EQ(restore_defaults_, 0);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, PageOneListsRadiosAndCodePageText) {
  record_.Speed = 1;
  record_.CodePage = 36;
  record_.FontType = 2;
  record_.LCharMode = 1;
  util_.SetIdentityForTest({.firmware_version_text = "2.00 ESC/POS",
                            .firmware_version = protocol::kFirmwareNewer,
                            .code_page_text = "(PC437)"});
  AddProbe([&] {
    CDlgVMSMTab1& p = dlg_->tab1();
    EXPECT_EQ(p.GetComboBox(1093).GetText(), "50mm/s");
    EXPECT_EQ(p.GetComboBox(1094).GetCount(), 37);
    EXPECT_EQ(p.GetComboBox(1094).GetText(), "WPC1250 - Latin 2");
    EXPECT_EQ(p.GetComboBox(1094).GetItemText(21), "Reserved");
    EXPECT_EQ(p.GetComboBox(1094).GetItemText(30), "WPC1258 - Vietnamese");
    EXPECT_EQ(p.GetComboBox(1094).GetItemText(35), "Reserved");
    EXPECT_EQ(p.GetRadioIndex(1003), 2);
    EXPECT_EQ(p.GetRadioIndex(1006), 1);
    EXPECT_EQ(p.GetDlgItemText(1108), "(PC437)");
  });
  Queue({"probe", "select 140:1093 0", "select 140:1094 \"KHMER\"", "click 140:1004",
         "click 140:1006", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_EQ(record_.Speed, 0u);
  EXPECT_EQ(record_.CodePage, 31u);
  EXPECT_EQ(record_.FontType, 1u);
  EXPECT_EQ(record_.LCharMode, 0u);
}

TEST_F(VmsmTabTest, TearOffRuleByFirmwareGenerationAndService) {
  struct Case {
    const char* name;
    uint32_t firmware;
    uint32_t service;
    bool enabled_at_open;
    const char* shown;
    bool enabled_after_switch;  // after choosing the other service
    uint32_t saved;
  };
  const Case cases[] = {
      {"older, receipt", protocol::kFirmwareOlder, 0, false, "0", false, 0},
      {"older, black mark", protocol::kFirmwareOlder, 1, false, "0", false, 0},
      {"newer, receipt", protocol::kFirmwareNewer, 0, false, "300", true, 300},
      {"newer, black mark", protocol::kFirmwareNewer, 1, true, "300", false, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    util_.SetIdentityForTest(
        {.firmware_version_text = "2.00 ESC/POS", .firmware_version = c.firmware});
    record_ = protocol::PrinterSettings{};
    record_.Service = c.service;
    record_.CuttingPosition = 300;
    AddProbe([&] {
      EXPECT_EQ(dlg_->tab2().GetControl(1014).IsEnabled(), c.enabled_at_open);
      EXPECT_EQ(dlg_->tab2().GetDlgItemText(1014), c.shown);
    });
    AddProbe([&] {
      EXPECT_EQ(dlg_->tab2().GetControl(1014).IsEnabled(), c.enabled_after_switch);
      EXPECT_EQ(dlg_->tab2().GetDlgItemText(1014), c.shown);
    });
    Queue({"select 1022 1", "probe", c.service == 0 ? "select 141:1007 1" : "select 141:1007 0",
           "probe", "click 1"});
    ASSERT_EQ(Launch(), ui::IDOK);
    EXPECT_EQ(record_.CuttingPosition, c.saved);
    EXPECT_EQ(record_.Service, 1 - c.service);
  }
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, TearOffEditTakesTypedValuesWithBlackMarkOnNewerFirmware) {
  record_.Service = 1;
  record_.CuttingPosition = 288;
  Queue(
      {"select 1022 1", "type 141:1014 \"641\"", "answer OK", "type 141:1014 \"640\"", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Enter an integer between 0 and 640."}));
  EXPECT_EQ(record_.CuttingPosition, 640u);
}

TEST_F(VmsmTabTest, RangeMessageOncePerEditAndSaveRefusedWhileAnEditIsOutOfRange) {
  record_.TimeOff = 30;
  record_.TimeSave = 100;
  AddProbe([&] {
    EXPECT_EQ(dlg_->tab2().GetFocusId(), 1101);
    EXPECT_TRUE(dlg_->tab2().IsWindowVisible());
  });
  // "300": one message at the third keystroke. "95": one for the other edit. Save is refused
  // for the first edit out of range, then for the next; "2999" warns at "299" only and emptying
  // the still wrong edit does not warn again, but Save does.
  Queue({"select 1022 1", "type 141:1101 \"300\"", "answer OK", "type 141:1100 \"95\"", "answer OK",
         "select 1022 0", "click 1", "answer OK", "type 141:1100 \"45\"", "click 1", "answer OK",
         "probe", "type 141:1101 \"2999\"", "answer OK", "type 141:1101 \"\"", "click 1",
         "answer OK", "type 141:1101 \"25\"", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  const std::string to90 = "Enter an integer between 0 and 90.";
  const std::string to255 = "Enter an integer between 0 and 255.";
  const std::string positive = "Enter a positive integer.";
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{to255, to90, to90, to255, to255, positive}));
  EXPECT_EQ(host_.EventsOf(ui::EventKind::kMessageBox)[0].caption, "Pelliset");
  EXPECT_EQ(record_.TimeOff, 45u);
  EXPECT_EQ(record_.TimeSave, 25u);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, PrinterValuesAboveRangeNeitherTrapThePageNorBlockADisabledEdit) {
  record_.TimeOff = 100;
  record_.Service = 0;  // receipt: the tear-off edit is disabled
  record_.CuttingPosition = 700;
  Queue({"select 1022 1", "select 141:1008 1", "type 141:1101 \"20\"", "click 1", "answer OK",
         "type 141:1100 \"60\"", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Enter an integer between 0 and 90."}));
  EXPECT_EQ(record_.TimeOff, 60u);
  EXPECT_EQ(record_.TimeSave, 20u);
  EXPECT_EQ(record_.CuttingPosition, 700u);
}

TEST_F(VmsmTabTest, PageTwoListsSaveTheirRows) {
  record_.Msr = 6;
  AddProbe([&] {
    EXPECT_EQ(dlg_->tab2().GetComboBox(1102).GetText(), "Track 1/2/3 read mode AUTO trigger");
    EXPECT_EQ(dlg_->tab2().GetComboBox(1007).GetText(), "Receipt");
    EXPECT_EQ(dlg_->tab2().GetComboBox(1008).GetText(), "On");
  });
  Queue({"probe", "select 1022 1", "select 141:1008 \"Off\"", "select 141:1107 1",
         "select 141:1102 \"Track 3 read mode AUTO trigger\"", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_EQ(record_.BeepPaper, 1u);
  EXPECT_EQ(record_.BeepLowBat, 1u);
  EXPECT_EQ(record_.Msr, 3u);
}

TEST_F(VmsmTabTest, BluetoothFieldsStayUntouchedWhileTheBoxIsUnchecked) {
  record_.BtConnMode = 2;
  record_.BtSecurity = 1;
  record_.BtPin = "4862";
  record_.BtName = "Counter 3";
  record_.BleMode = 1;
  record_.RfInterface = 2;
  AddProbe([&] {
    CDlgVMSMTab3& p = dlg_->tab3();
    EXPECT_FALSE(p.IsDlgButtonChecked(1091));
    EXPECT_TRUE(p.IsDlgButtonChecked(1016));
    for (int id : {1012, 1021, 1014, 1020, 1016}) EXPECT_FALSE(p.GetControl(id).IsEnabled()) << id;
    EXPECT_EQ(p.GetDlgItemText(1020), "Counter 3");
  });
  // The disabled PIN edit refuses typing (one error event).
  Queue({"select 1022 2", "probe", "type 138:1014 \"0000\"", "click 1"});
  const protocol::PrinterSettings before = record_;
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 1);
  EXPECT_EQ(record_.BtConnMode, before.BtConnMode);
  EXPECT_EQ(record_.BtSecurity, before.BtSecurity);
  EXPECT_EQ(record_.BtPin, before.BtPin);
  EXPECT_EQ(record_.BtName, before.BtName);
  EXPECT_EQ(record_.BtSkip, 1u);
  EXPECT_EQ(record_.BleMode, 1u);
  EXPECT_EQ(record_.RfInterface, 2u);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, TickedBluetoothBoxSavesTheBluetoothFields) {
  record_.BtPin = "4862";
  record_.BtName = "TMQ-D550";
  AddProbe([&] {
    for (int id : {1012, 1021, 1014, 1020, 1016})
      EXPECT_TRUE(dlg_->tab3().GetControl(id).IsEnabled());
  });
  Queue({"select 1022 2", "click 138:1091", "probe", "select 138:1021 \"Mode 3\"",
         "select 138:1012 \"Enable\"", "type 138:1014 \"1234567890123456\"",
         "type 138:1020 \"Kitchen printer number one, the long name\"", "click 138:1016",
         "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_EQ(record_.BtSkip, 0u);
  EXPECT_EQ(record_.BtConnMode, 2u);
  EXPECT_EQ(record_.BtSecurity, 1u);
  // The edits stop at what one Bluetooth command can carry.
  EXPECT_EQ(record_.BtPin, "123456789012");
  EXPECT_EQ(record_.BtName, "Kitchen printer number one, th");
  EXPECT_EQ(record_.BleMode, 1u);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, PinAndNameCountTheBytesSent) {
  // Two bytes per character: twelve typed, six taken, and Save takes them.
  Queue(
      {"select 1022 2", "click 138:1091",
       "type 138:1014 \"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\"",
       "type 138:1020 \"ab\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\"",
       "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(record_.BtPin, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
  // 2 + 9 x 3 = 29 bytes; a tenth euro sign would make 32.
  EXPECT_EQ(record_.BtName.size(), 29u);
}

TEST_F(VmsmTabTest, TogglingBluetoothTwiceSkipsItAgainAndKeepsTheTypedText) {
  record_.BtPin = "4862";
  AddProbe([&] { EXPECT_EQ(dlg_->tab3().GetDlgItemText(1014), "1111"); });
  Queue({"select 1022 2", "click 138:1091", "type 138:1014 \"1111\"", "click 138:1091", "probe",
         "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(record_.BtSkip, 1u);
  EXPECT_EQ(record_.BtPin, "4862");
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, OverlongBluetoothTextFromThePrinterIsRefusedOnSave) {
  record_.BtName = std::string(31, 'n');
  AddProbe([&] {
    EXPECT_TRUE(dlg_->tab3().IsWindowVisible());
    EXPECT_EQ(host_.TopDialog()->GetTab(1022).GetCurSel(), 2);
    EXPECT_EQ(dlg_->tab3().GetFocusId(), 1020);
  });
  // Save stays refused while the name is too long; with Bluetooth switched off again it goes.
  Queue({"select 1022 2", "click 138:1091", "select 1022 0", "click 1", "answer OK", "probe",
         "click 138:1091", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Enter no more than 30 bytes."}));
  EXPECT_EQ(record_.BtSkip, 1u);
  EXPECT_EQ(record_.BtName, std::string(31, 'n'));
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, SerialListsShowTheRecordAndHandBackWhatWasRead) {
  struct Case {
    uint32_t baud, databit, parity, flow;
    const char *baud_text, *databit_text, *parity_text, *flow_text;
    uint32_t baud_back;
  };
  // The lists cannot be changed, so even values they show as another row are written back as
  // read; only a rate the serial command cannot carry goes back as the row shown.
  const Case cases[] = {
      {1200, 8, 0, 0, "19200", "8", "None", "2", 19200},
      {2400, 7, 1, 1, "2400", "7", "Odd", "1", 2400},
      {115200, 5, 9, 2, "115200", "8", "Even", "2", 115200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.baud);
    record_ = protocol::PrinterSettings{};
    record_.Baudrate = c.baud;
    record_.Databit = c.databit;
    record_.Parity = c.parity;
    record_.Flowcontrol = c.flow;
    AddProbe([&] {
      CDlgVMSMTab3& p = dlg_->tab3();
      EXPECT_EQ(p.GetComboBox(1103).GetText(), c.baud_text);
      EXPECT_EQ(p.GetComboBox(1105).GetText(), c.databit_text);
      EXPECT_EQ(p.GetComboBox(1104).GetText(), c.parity_text);
      EXPECT_EQ(p.GetComboBox(1106).GetText(), c.flow_text);
      for (int id : {1103, 1104, 1105, 1106}) EXPECT_FALSE(p.GetControl(id).IsEnabled());
    });
    Queue({"select 1022 2", "probe", "click 1"});
    ASSERT_EQ(Launch(), ui::IDOK);
    EXPECT_EQ(record_.Baudrate, c.baud_back);
    EXPECT_EQ(record_.Databit, c.databit);
    EXPECT_EQ(record_.Parity, c.parity);
    EXPECT_EQ(record_.Flowcontrol, c.flow);
  }
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_TRUE(probes_.empty());
}

TEST_F(VmsmTabTest, DefaultAsksFirstThenLosesListChangesButKeepsEditedValues) {
  record_.Density = 4;
  record_.Speed = 0;
  record_.Msr = 6;
  record_.TimeOff = 0;
  record_.FontType = 0;
  AddProbe([&] { EXPECT_EQ(restore_defaults_, -1); });
  Queue({"select 140:1092 0", "select 140:1093 1", "click 140:1005", "select 1022 1",
         "select 141:1102 0", "type 141:1100 \"30\"", "click 1000", "answer No", "probe",
         "click 1000", "answer Yes"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  const auto boxes = host_.EventsOf(ui::EventKind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text,
            "Restore the printer's factory settings? Its Bluetooth PIN, name and sentinels are "
            "reset too.");
  EXPECT_EQ(boxes[0].buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(boxes[0].flags & 0xF0F, 0x104u);  // Yes/No with No focused
  EXPECT_EQ(restore_defaults_, 1);
  EXPECT_EQ(record_.Density, 4u);
  EXPECT_EQ(record_.Speed, 0u);
  EXPECT_EQ(record_.Msr, 6u);
  EXPECT_EQ(record_.TimeOff, 30u);
  EXPECT_EQ(record_.FontType, 2u);
}

TEST_F(VmsmTabTest, SentinelDialogChangesThePageOnlyOnOk) {
  record_.Sentinel = 2;
  record_.SentinelStart = {"%", ";", ";"};
  record_.SentinelEnd = {"?", "?", "?"};
  // Cancel after editing: nothing changes.
  Queue({"select 1022 1", "click 141:1000", "wait dialog 137", "type 1072 \"#\"", "click 1079",
         "click 2", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(record_.Sentinel, 2u);
  EXPECT_EQ(record_.SentinelStart[0], "%");
  // OK hands back the mode and all six codes.
  Queue({"select 1022 1", "click 141:1000", "wait dialog 137", "click 1081", "type 1072 \"25 41\"",
         "type 1074 \"3B\"", "type 1076 \"3B\"", "type 1077 \"3F\"", "click 1", "click 1"});
  ASSERT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_EQ(record_.Sentinel, 2u);
  EXPECT_EQ(record_.SentinelStart, (std::array<std::string, 3>{"%A", ";", ";"}));
  EXPECT_EQ(record_.SentinelEnd, (std::array<std::string, 3>{"", "", "?"}));
}

TEST_F(VmsmTabTest, CancelLeavesTheRecordAlone) {
  record_.TimeOff = 12;
  const protocol::PrinterSettings before = record_;
  Queue({"select 140:1092 0", "select 1022 1", "type 141:1100 \"40\"", "click 2"});
  EXPECT_EQ(Launch(), ui::IDCANCEL);
  EXPECT_EQ(record_, before);
}

TEST(VmsmTabStrings, IdsAreUniqueInTheTableRangeAndFreeOfTheTransferTexts) {
  std::set<int> ids;
  for (const auto& s : vmsm_tab::VmsmTabStrings()) {
    EXPECT_TRUE(ids.insert(s.id).second) << s.id;
    EXPECT_GE(s.id, 101);
    EXPECT_LE(s.id, 251);
    EXPECT_FALSE(s.text.empty()) << s.id;
  }
  for (const auto& t : settings::TransferStrings()) EXPECT_EQ(ids.count(t.id), 0u) << t.id;
  for (int row = 0; row < vmsm_tab::kCodePageRowCount; ++row) {
    EXPECT_EQ(ids.count(vmsm_tab::CodePageStringId(row)), 1u) << row;
  }
}

}  // namespace
}  // namespace desktop
