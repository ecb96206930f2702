// The MSR sentinel dialog: hexadecimal entry, the length checks in their order, the modes and
// the entry-format box, and the hand-back on OK only.

#include "desktop/msr_advance_dlg.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/vmsm_tab_strings.h"
#include "platform/system/clock.h"
#include "ui/automation/scripted_host.h"

namespace desktop {
namespace {

using Codes = std::array<std::string, protocol::kSentinelTracks>;

const char kLengthMessage[] =
    "Invalid value!\r\nSentinel length is over 10 ( length range : 1~10 )";
const char kHexMessage[] = "Invalid value!\r\nInvalid HEXA Format!!";
const char kByteMessage[] = "Invalid value!\r\n00 and 1F cannot be part of a sentinel code!";

TEST(SentinelHexToBytes, ConvertsPairsAndRefusesBrokenOnes) {
  struct Case {
    const char* text;
    std::optional<std::string> bytes;
  };
  const std::vector<Case> cases = {
      {"0A 1F 10 4C", std::string("\x0A\x1F\x10\x4C")},
      {" 41 42 ", std::string("AB")},
      {"0A1F", std::string("\x0A\x1F")},
      {"0a1f", std::string("\x0A\x1F")},
      {"41  42", std::string("AB")},
      {"FF", std::string("\xFF")},
      {"", std::string()},
      {"   ", std::string()},
      {"\t\f41\f\r\n", std::string("A")},  // any white space around the pairs
      {"4", std::nullopt},                 // half a pair alone
      {"41 4", std::nullopt},              // a trailing half pair
      {"4G", std::nullopt},
      {"4 1", std::nullopt},  // a space inside a pair
      {"G4", std::nullopt},
      {"41 -2", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(settings::SentinelHexToBytes(c.text, false), c.bytes) << '"' << c.text << '"';
  }
}

TEST(SentinelHexToBytes, TakesInputOfAnyLength) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "7E ";
  const auto bytes = settings::SentinelHexToBytes(text, false);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, std::string(5000, '\x7E'));
  EXPECT_FALSE(settings::SentinelCodeFits(*bytes, false));
}

// Records what the controls showed when the dialog closed.
class ProbeMsrDialog : public CDlg_MsrAdvance {
 public:
  std::vector<std::string> shown;
  std::vector<bool> enabled;
  std::string format_caption;
  bool format_checked = false;
  int radio = -2;

 protected:
  void OnDestroy() override {
    for (int id : {1072, 1073, 1074, 1075, 1076, 1077}) {
      shown.push_back(GetDlgItemText(id));
      enabled.push_back(GetControl(id).IsEnabled());
    }
    format_caption = GetDlgItemText(1081);
    format_checked = IsDlgButtonChecked(1081);
    radio = GetRadioIndex(1078);
  }
};

class MsrDialogTest : public ::testing::Test {
 protected:
  MsrDialogTest() : host_(clock_, Resources()) {}

  static ui::Resources Resources() {
    ui::StringTable table;
    desktop::AddVmsmTabStrings(table);
    return ui::Resources(table, "Pelliset");
  }

  int Run(std::initializer_list<std::string_view> commands) {
    EXPECT_TRUE(host_.Queue(commands));
    return dlg_.DoModal(host_);
  }

  std::vector<ui::Event> Messages() const { return host_.EventsOf(ui::EventKind::kMessageBox); }

  platform::VirtualClock clock_;
  ui::ScriptedHost host_;
  ProbeMsrDialog dlg_;
};

TEST_F(MsrDialogTest, HexadecimalCodesAreConvertedOnOkAndShownAsBytes) {
  dlg_.SetValues(2, {"a", "b", "c"}, {"d", "e", "f"});
  const int result =
      Run({"click 1081", "type 1072 \"0A 1E 10 4C\"", "type 1074 \" 41 42 \"", "type 1076 \"3132\"",
           "type 1073 \"\"", "type 1075 \" \"", "type 1077 \"7e\"", "click 1"});
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(dlg_.start_codes(), (Codes{"\x0A\x1E\x10\x4C", "AB", "12"}));
  EXPECT_EQ(dlg_.end_codes(), (Codes{"", "", "~"}));
  EXPECT_EQ(dlg_.mode(), 2);
  EXPECT_EQ(dlg_.shown, (std::vector<std::string>{"\x0A\x1E\x10\x4C", "", "AB", "", "12", "~"}));
}

TEST_F(MsrDialogTest, FailedChecksShowTheirDetailAndKeepTheDialogOpen) {
  struct Case {
    const char* name;
    std::vector<std::string> commands;  // after the codes are handed in, before OK
    const char* message;
  };
  const std::vector<Case> cases = {
      {"half pair as start code", {"click 1081", "type 1072 \"4\""}, kHexMessage},
      {"half pair as end code",
       {"click 1081", "type 1072 \"41\"", "type 1075 \"3F0\""},
       kHexMessage},
      {"letter G", {"click 1081", "type 1072 \"41\"", "type 1077 \"4G\""}, kHexMessage},
      {"space inside a pair", {"click 1081", "type 1072 \"41\"", "type 1074 \"4 1\""}, kHexMessage},
      // The hexadecimal check of all six comes before the first length check.
      {"hex before length", {"click 1081", "type 1072 \"\"", "type 1076 \"4G\""}, kHexMessage},
      {"eleven characters", {"type 1074 \"ABCDEFGHIJK\""}, kLengthMessage},
      {"eleven bytes in pairs",
       {"click 1081", "type 1072 \"4142434445464748494A4B\"", "type 1074 \"41\"",
        "type 1076 \"41\""},
       kLengthMessage},
      {"empty start code", {"type 1076 \"\""}, kLengthMessage},
      // Bytes the printer would not keep as they are.
      {"1F in a start code", {"click 1081", "type 1072 \"0A 1F\""}, kByteMessage},
      {"00 in an end code",
       {"click 1081", "type 1072 \"41\"", "type 1074 \"41\"", "type 1076 \"41\"",
        "type 1077 \"00\""},
       kByteMessage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::VirtualClock clock;
    ui::ScriptedHost host(clock, Resources());
    CDlg_MsrAdvance dlg;
    const Codes before{"S1", "S2", "S3"};
    dlg.SetValues(2, before, {"E1", "E2", "E3"});
    for (const std::string& line : c.commands) ASSERT_TRUE(host.Queue(line));
    ASSERT_TRUE(host.Queue({"click 1", "answer OK", "click 2"}));
    EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
    EXPECT_EQ(host.ErrorCount(), 0);
    const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(boxes[0].caption, "Virtual Memory Switch Manager");
  }
}

TEST_F(MsrDialogTest, TenCharactersPassInPlainEntry) {
  dlg_.SetValues(2, {"x", "y", "z"}, {"", "", ""});
  EXPECT_EQ(Run({"type 1072 \"ABCDEFGHIJ\"", "type 1077 \"0123456789\"", "click 1"}), ui::IDOK);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(dlg_.start_codes()[0], "ABCDEFGHIJ");
  EXPECT_EQ(dlg_.end_codes()[2], "0123456789");
}

TEST_F(MsrDialogTest, ModeNoneStillChecksTheDisabledCodesUntilDynamicMakesThemEditable) {
  dlg_.SetValues(0, {"%", "", ";"}, {"?", "?", "?"});
  // The edits are disabled in mode None: typing is refused (one error event).
  const int result =
      Run({"type 1074 \"X\"", "click 1", "answer OK", "click 1080", "type 1074 \";\"", "click 1"});
  EXPECT_EQ(result, ui::IDOK);
  EXPECT_EQ(host_.ErrorCount(), 1);
  const auto boxes = Messages();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kLengthMessage);
  EXPECT_EQ(dlg_.mode(), 2);
  EXPECT_EQ(dlg_.start_codes(), (Codes{"%", ";", ";"}));
  EXPECT_EQ(dlg_.enabled, std::vector<bool>(6, true));
}

TEST_F(MsrDialogTest, ModeRadiosSwitchTheCodeEditsAndCodesGoBackUnchanged) {
  dlg_.SetValues(2, {"%", ";", ";"}, {"?", "?", "?"});
  EXPECT_EQ(Run({"click 1079", "click 1"}), ui::IDOK);
  EXPECT_EQ(dlg_.mode(), 1);
  EXPECT_EQ(dlg_.radio, 1);
  EXPECT_EQ(dlg_.enabled, std::vector<bool>(6, false));
  EXPECT_EQ(dlg_.start_codes(), (Codes{"%", ";", ";"}));
  EXPECT_EQ(dlg_.end_codes(), (Codes{"?", "?", "?"}));
}

TEST_F(MsrDialogTest, FormatBoxEmptiesTheCodesOnEveryClick) {
  dlg_.SetValues(2, {"%", ";", ";"}, {"?", "?", "?"});
  EXPECT_EQ(Run({"click 1081", "snapshot", "type 1072 \"41\"", "click 1081", "click 2"}),
            ui::IDCANCEL);
  EXPECT_EQ(dlg_.shown, std::vector<std::string>(6, ""));
  EXPECT_EQ(dlg_.format_caption, "ASCII (ex: \"START(1)\")");
  EXPECT_FALSE(dlg_.format_checked);
  EXPECT_EQ(dlg_.hex_entry(), 0);
  // The snapshot after the first click shows the hexadecimal caption.
  const auto snaps = host_.EventsOf(ui::EventKind::kSnapshot);
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_NE(snaps[0].json.find("HEXA (ex: \\\"0A 1F 10 4C\\\")"), std::string::npos);
}

TEST_F(MsrDialogTest, NothingOfAFailedHexadecimalOkSurvives) {
  dlg_.SetValues(2, {"", "", ""}, {"", "", ""});
  // Track 1 converts to "A" before track 2 fails; the next OK converts the typed "41" again
  // instead of the half-converted "A".
  const int result = Run({"click 1081", "type 1072 \"41\"", "type 1074 \"4G\"", "type 1076 \"43\"",
                          "click 1", "answer OK", "type 1074 \"42\"", "click 1"});
  EXPECT_EQ(result, ui::IDOK);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(dlg_.start_codes(), (Codes{"A", "B", "C"}));
}

TEST_F(MsrDialogTest, EveryRunStartsWithPlainEntryAndShowsTheCodes) {
  dlg_.SetValues(1, {"%", ";", ";"}, {"?", "", "?"});
  EXPECT_EQ(Run({"click 1081", "click 2"}), ui::IDCANCEL);
  ProbeMsrDialog second;
  second.SetValues(1, {"%", ";", ";"}, {"?", "", "?"});
  EXPECT_EQ(second.DoModal(host_), ui::IDCANCEL);
  EXPECT_EQ(second.shown, (std::vector<std::string>{"%", "?", ";", "", ";", "?"}));
  EXPECT_FALSE(second.format_checked);
  EXPECT_EQ(second.radio, 1);
}

}  // namespace
}  // namespace desktop
