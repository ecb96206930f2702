// The handheld settings wizard end to end in virtual time: the scripted host drives the five
// steps, the virtual printer answers behind a simulated TCP link in the handheld's link mode.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/sim_services.h"
#include "fakes/snapshot_reader.h"
#include "handheld/settings_wizard.h"
#include "platform/registry/registry.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "settings/dialogs/sentinel_dlg.h"
#include "ui/automation/scripted_host.h"

namespace {

using fakes::ControlShows;

// A printer whose settings differ from the factory block and from the record's defaults.
void GiveDistinctSettings(sim::PrinterState& s) {
  s.switches[1] = 0b00011011;  // Speed 1, LCharMode 1, Density 3 (the 150% row, row 0)
  s.switches[2] = 0b00110000;  // CodePage 6
  s.switches[5] = 0b00101101;  // TimeOff 45
  s.switches[6] = 0b11001000;  // TimeSave 200
  s.switches[7] = 0b01100000;  // Msr 5
  s.switches[8] = 0b01011110;  // Sentinel 2, Service 1, BeepLowBat 1, BeepPaper 1, FontType 2
  s.switches[116] = 0b00000001;
  s.switches['P'] = 0b00000010;        // RfInterface 2
  s.serial = {"9600", "2", "0", "7"};  // flow control 0: no row of the list says so
  s.tear_off = 288;
  s.bt_security = "0";
  s.bt_conn_mode = "3";
  s.bt_pin = "0000";
  s.bt_name = "Counter 4";
  s.sentinel_start = {"%", ";", "+"};
  s.sentinel_end = {"?", "", "!"};
}

class WizardTest : public ::testing::Test, protected fakes::SimServices {
 protected:
  WizardTest() : host(clock, ui::Resources(ui::StringTable{}, "Pelliset")) {
    util.SetLinkSettings(
        {.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET127.0.0.1", .tcp_port = 9100});
    GiveDistinctSettings(model.state());
    // Every closing message comes after the link was closed.
    host.SetEventCallback([this](const ui::Event& e, ui::ScriptedHost&) {
      const bool closing = e.caption == "VMSM Manager Utility" ||
                           e.caption == "Total Manager Utility" || e.text == "Success to Set VMSM!";
      if (e.kind == ui::EventKind::kMessageBox && closing) {
        EXPECT_EQ(devices.line().open_transports, 0) << e.text;
      }
    });
  }

  void Run(const std::vector<std::string>& script) {
    for (const std::string& line : script) ASSERT_TRUE(host.Queue(line)) << line;
    pda::RunSettingsWizard(vmsm, host, registry);
    EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
    EXPECT_EQ(devices.line().open_transports, 0);
  }
  // The message boxes shown, as "caption: text".
  std::vector<std::string> Boxes() const {
    std::vector<std::string> boxes;
    for (const ui::Event& e : host.EventsOf(ui::EventKind::kMessageBox)) {
      boxes.push_back(e.caption + ": " + e.text);
    }
    return boxes;
  }
  // The dialogs in the order they came up; a dialog active again after a message box counts once.
  std::vector<int> Dialogs() const {
    std::vector<int> ids;
    for (const ui::Event& e : host.EventsOf(ui::EventKind::kDialog)) {
      if (ids.empty() || ids.back() != e.template_id) ids.push_back(e.template_id);
    }
    return ids;
  }
  std::string Snapshot(size_t index) const {
    const std::vector<ui::Event> shots = host.EventsOf(ui::EventKind::kSnapshot);
    return index < shots.size() ? shots[index].json : std::string();
  }

  protocol::CCommonUtil util{services, /*handheld=*/true};
  protocol::CCommonVmsm vmsm{&util, clock};
  ui::ScriptedHost host;
};

constexpr char kSaved[] = "Pelliset: Success to Set VMSM!";
// Next on every step and Save on the last, with a snapshot of the steps in `snapshots`; the
// closing message box answered.
std::vector<std::string> NextThroughAll(std::initializer_list<int> snapshots = {}) {
  std::vector<std::string> script;
  for (int step : {136, 137, 144, 138, 139}) {
    script.push_back("wait dialog " + std::to_string(step));
    if (std::find(snapshots.begin(), snapshots.end(), step) != snapshots.end()) {
      script.emplace_back("snapshot");
    }
    script.emplace_back("click 1");
  }
  script.emplace_back("wait messagebox 60");
  script.emplace_back("answer OK");
  return script;
}

TEST_F(WizardTest, NextThroughEveryStepWritesBackWhatWasReadInTheHandheldOrder) {
  std::vector<std::string> received;
  model.SetLogSink([&](uint64_t, std::string_view line) {
    if (line.rfind("<- ", 0) == 0) received.emplace_back(line.substr(3));
  });
  Run(NextThroughAll({136, 137, 138}));

  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
  EXPECT_EQ(Dialogs(), (std::vector<int>{146, 136, 137, 144, 138, 139, 146}));
  const std::vector<std::string> expected = {
      // Read all: identification, code page and open check, then the settings.
      "1D 49 43", "1D 49 41", "1D 49 45", "1B 4D 49", "1D 28 45 02 00 04 01",
      "1D 28 45 02 00 04 02", "1D 28 45 02 00 04 03", "1D 28 45 02 00 04 05",
      "1D 28 45 02 00 04 06", "1D 28 45 02 00 04 07", "1D 28 45 02 00 04 08",
      "1D 28 45 02 00 21 00", "1D 28 45 02 00 04 51", "1D 28 45 02 00 0C 01",
      "1D 28 45 02 00 0C 02", "1D 28 45 02 00 0C 03", "1D 28 45 02 00 0C 04",
      "08 4D 53 02 00 34 31", "08 4D 53 02 00 34 32", "08 4D 53 02 00 34 33",
      "1D 28 45 02 00 04 50", "1F 1F 69 63", "1F 1F 69 64", "1F 1F 69 6B", "1F 1F 69 73",
      // Write all: the values read, serial item 1 before switch 51h, no tear-off position, no
      // Bluetooth items (the box was left unchecked).
      "1D 28 45 03 00 01 49 4E", "1D 28 45 0B 00 03",
      "01 32 32 32 31 31 30 31 31",                       // Density 3, Speed 1, LCharMode 1
      "1D 28 45 0B 00 03", "02 30 30 31 31 30 30 32 32",  // CodePage 6
      "1D 28 45 0B 00 03", "03 32 32 32 32 32 32 32 32", "1D 28 45 0B 00 03",
      "05 32 30 31 30 31 31 30 31",                       // 45 min
      "1D 28 45 0B 00 03", "06 31 31 30 30 31 30 30 30",  // 200 s
      "1D 28 45 0B 00 03", "07 30 31 31 30 32 32 32 32",  // Msr 5
      "1D 28 45 0B 00 03", "08 32 31 30 31 31 31 31 30", "1D 28 45 06 00 0B 01", "39 36 30 30",
      "1D 28 45 0B 00 03", "51 32 32 32 32 32 32 32 32", "1D 28 45 03 00 0B 02", "32",
      "1D 28 45 03 00 0B 03", "30",  // flow control 0, although the list shows "2"
      "1D 28 45 03 00 0B 04", "37", "08 4D 53 03 00 32 31", "25", "08 4D 53 03 00 33 31", "3F",
      "08 4D 53 03 00 32 32", "3B", "08 4D 53 03 00 33 32", "00", "08 4D 53 03 00 32 33", "2B",
      "08 4D 53 03 00 33 33", "21", "1D 28 45 0B 00 03", "50 30 30 30 30 30 30 31 30",
      "1D 28 45 04 00 02 4F 55 54"};
  EXPECT_EQ(received, expected);

  EXPECT_TRUE(ControlShows(Snapshot(0), 1023, R"({"text":"print density 150%"})"));
  const std::string step2 = Snapshot(1);
  EXPECT_TRUE(ControlShows(step2, 1046, R"({"text":"WPC1252 - Latin I"})"));
  // Older printers (open check below "9") list nine trigger modes; value 5 keeps its row.
  EXPECT_TRUE(ControlShows(step2, 1028,
                           R"({"text":"MSR trigger mode 5","selection":[5],"items":[)"
                           R"("Track 1/2 read mode command","Track 2/3 read mode command",)"
                           R"("Track 1 read mode AUTO trigger","Track 2 read mode AUTO trigger",)"
                           R"("Track 1/2 read mode AUTO trigger","MSR trigger mode 5",)"
                           R"("Track 3 read mode AUTO trigger","Track 2/3 read mode AUTO trigger",)"
                           R"("Not used MSR trigger"]})"));
  EXPECT_TRUE(ControlShows(step2, 1076, R"({"text":"288","enabled":false})"));
  const std::string step4 = Snapshot(2);
  EXPECT_TRUE(ControlShows(step4, 1049, R"({"text":"9600","enabled":false})"));
  EXPECT_TRUE(ControlShows(step4, 1025, R"({"text":"2"})"));
  EXPECT_TRUE(ControlShows(step4, 1033, R"({"text":"45"})"));
  EXPECT_EQ(platform::ReadDword(registry, platform::kPellisetKey, "Density"), 3u);
  EXPECT_EQ(platform::ReadDword(registry, platform::kPellisetKey, "Flowcontrol"), 0u);
}

TEST_F(WizardTest, DefaultOnStepOneAsksThenSendsTheFactoryBlockWithoutOtherSteps) {
  Run({"wait dialog 136", "select 1023 7", "click 1056", "wait messagebox", "answer No",
       "click 1056", "wait messagebox", "answer Yes", "wait messagebox 60", "answer OK"});
  const std::string question =
      "Pelliset: Restore the printer's factory settings? Its Bluetooth PIN, name and sentinels are "
      "reset too.";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{question, question, kSaved}));
  EXPECT_EQ(Dialogs(), (std::vector<int>{146, 136, 146}));
  EXPECT_EQ(model.state().bt_name, "TMQ-D550");
  EXPECT_EQ(model.state().sentinel_start[0], "START1");
  // The list was not read back: the profile keeps the printer's density.
  EXPECT_EQ(platform::ReadDword(registry, platform::kPellisetKey, "Density"), 3u);
}

TEST_F(WizardTest, AProfileThatCannotBeStoredIsReported) {
  registry.SetFailWrites(true);
  Run({"wait dialog 136", "click 1056", "wait messagebox", "answer Yes", "wait messagebox 60",
       "answer OK", "wait messagebox", "answer OK"});
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[2], "Pelliset: Settings could not be saved: memory: no space left on device");
}

struct FixedReaderCase {
  const char* name;
  uint8_t open_check;
  const char* row;
  bool advance_enabled;
  uint8_t switch7;  // as written back
  uint8_t switch8;
};
void PrintTo(const FixedReaderCase& c, std::ostream* os) { *os << c.name; }

class FixedReaderTest : public WizardTest, public ::testing::WithParamInterface<FixedReaderCase> {};

TEST_P(FixedReaderTest, OffersTheOneModeAndWritesWhatTheUserCouldNotChoose) {
  const FixedReaderCase& c = GetParam();
  model.config().open_check_value = c.open_check;
  Run(NextThroughAll({137}));

  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
  const std::string step2 = Snapshot(0);
  EXPECT_TRUE(ControlShows(
      step2, 1028,
      R"({"items":[")" + std::string(c.row) + R"("],"selection":[0],"enabled":false})"));
  EXPECT_TRUE(ControlShows(step2, 1058,
                           c.advance_enabled ? R"({"enabled":true})" : R"({"enabled":false})"));
  EXPECT_EQ(model.state().switches.at(7) >> 4, c.switch7);
  EXPECT_EQ(model.state().switches.at(8), c.switch8);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedReaderTest,
                         ::testing::Values(
                             // "P": Msr 5 goes back as read, the dynamic sentinels too.
                             FixedReaderCase{"EncryptionOnly", 0x50, "Only Encription MSR", true, 6,
                                             0b01011110},
                             // IC card: Msr 0 (high nibble 1) and no sentinels.
                             FixedReaderCase{"IcCard", 0x60, "IC card mode", false, 1, 0b00011110}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WizardTest, CancelAnsweredNoKeepsTheStepAndYesEndsWithoutWriting) {
  Run({"wait dialog 136", "click 2", "wait messagebox", "answer No", "click 1", "wait dialog 137",
       "click 1", "wait dialog 144", "click 1045", "click 2", "wait messagebox", "answer No",
       "snapshot", "click 2", "wait messagebox", "answer Yes"});
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"Pelliset: VMSM Manager Cancel?",
                                               "VMSM Manager: VMSM Manager Cancel?",
                                               "VMSM Manager: VMSM Manager Cancel?"}));
  EXPECT_TRUE(ControlShows(Snapshot(0), 1045, R"({"template":144,"checked":true})"));
  EXPECT_EQ(Dialogs(), (std::vector<int>{146, 136, 137, 144}));
  EXPECT_EQ(model.state().switches.at(8), 0b01011110);
  EXPECT_FALSE(platform::ReadDword(registry, platform::kPellisetKey, "Density").has_value());
}

TEST_F(WizardTest, GoingBackKeepsEditsAndTheSerialValuesWhileRangesAreChecked) {
  model.state().serial[0] = "1200";  // not listed: shown, and so written, as 19200
  Run({"wait dialog 136", "click 1",   "wait dialog 137",    "click 1",          "wait dialog 144",
       "click 1042",      "click 1",   "wait dialog 138",    "type 1033 \"91\"", "click 1031",
       "wait messagebox", "answer OK", "type 1033 \"30\"",   "click 1031",       "wait dialog 144",
       "snapshot",        "click 1",   "wait dialog 138",    "snapshot",         "click 1",
       "wait dialog 139", "click 1",   "wait messagebox 60", "answer OK"});
  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{"Pelliset: Enter an integer between 0 and 90.", kSaved}));
  EXPECT_TRUE(ControlShows(Snapshot(0), 1042, R"({"checked":true})"));
  const std::string step4 = Snapshot(1);
  EXPECT_TRUE(ControlShows(step4, 1033, R"({"text":"30"})"));
  EXPECT_TRUE(ControlShows(step4, 1049, R"({"selection":[3]})"));
  EXPECT_TRUE(ControlShows(step4, 1024, R"({"text":"7"})"));
  EXPECT_TRUE(ControlShows(step4, 1025, R"({"selection":[1]})"));
  EXPECT_EQ(model.state().switches.at(5) & 0x7F, 30);
  EXPECT_EQ(model.state().switches.at(8), 0b01011010);  // BeepPaper 0: "True", the beep sounds
  EXPECT_EQ(model.state().serial, (std::array<std::string, 4>{"19200", "2", "0", "7"}));
}

TEST_F(WizardTest, OverlongPinIsRefusedOnSaveAndPrevOnlyWhileBluetoothIsToBeChanged) {
  model.state().bt_pin = "1234567890123";
  std::vector<std::string> received;
  model.SetLogSink([&](uint64_t, std::string_view line) {
    if (line.rfind("<- ", 0) == 0) received.emplace_back(line.substr(3, 8));
  });
  std::vector<std::string> script = NextThroughAll();
  script.resize(script.size() - 3);  // stay on step 5
  for (const char* c :
       {"click 1055", "click 1", "wait messagebox", "answer OK", "click 1031", "wait messagebox",
        "answer OK", "click 1055", "click 1055", "snapshot", "type 1036 \"43\\x0121ÄÄÄÄÄ\"",
        "click 1", "wait messagebox 60", "answer OK"}) {
    script.emplace_back(c);
  }
  Run(script);

  const std::string refused = "Pelliset: Enter no more than 12 characters.";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{refused, refused, kSaved}));
  // The BLE box stays off and unusable with the Bluetooth controls enabled.
  EXPECT_TRUE(ControlShows(Snapshot(0), 1078, R"({"enabled":false,"checked":false})"));
  EXPECT_TRUE(ControlShows(Snapshot(0), 1036, R"({"enabled":true})"));
  // The control character went, typing stopped at the printer's 12 bytes, and Save took what
  // was shown.
  EXPECT_EQ(model.state().bt_pin, "4321ÄÄÄÄ");
  EXPECT_EQ(model.state().bt_name, "Counter 4");
  EXPECT_EQ(model.state().switches.at(116), 1);
  // The Bluetooth items go inside setting mode, after the radio interface.
  const auto at = [&](std::string_view head) {
    return std::find(received.begin(), received.end(), head) - received.begin();
  };
  EXPECT_LT(at("50 30 30"), at("1F 1F 70"));
  EXPECT_LT(at("1F 1F 70"), at("1D 28 45 04 00 02"));
}

TEST_F(WizardTest, TheBluetoothBoxKeepsItsStateWithTheEditsAcrossPrevAndNext) {
  std::vector<std::string> script = NextThroughAll();
  script.resize(script.size() - 3);  // stay on step 5
  for (const char* c :
       {"snapshot", "click 1055", "type 1036 \"4321\"", "click 1031", "wait dialog 138", "click 1",
        "wait dialog 139", "snapshot", "click 1", "wait messagebox 60", "answer OK"}) {
    script.emplace_back(c);
  }
  Run(script);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
  EXPECT_TRUE(ControlShows(Snapshot(0), 1055, R"({"checked":false})"));
  EXPECT_TRUE(ControlShows(Snapshot(0), 1036, R"({"text":"0000","enabled":false})"));
  // Back on step 5: ticked, with the PIN as typed, and Save writes what is shown.
  EXPECT_TRUE(ControlShows(Snapshot(1), 1055, R"({"checked":true})"));
  EXPECT_TRUE(ControlShows(Snapshot(1), 1036, R"({"text":"4321","enabled":true})"));
  EXPECT_EQ(model.state().bt_pin, "4321");
  EXPECT_EQ(model.state().bt_name, "Counter 4");
}

TEST_F(WizardTest, UncheckedBluetoothKeepsAnOverlongPinAndWritesNoBluetoothItems) {
  model.state().bt_pin = "1234567890123";
  Run(NextThroughAll());
  EXPECT_EQ(Boxes(), std::vector<std::string>{kSaved});
  EXPECT_EQ(model.state().bt_pin, "1234567890123");
  EXPECT_EQ(vmsm.settings().BtSkip, 1u);
  EXPECT_EQ(vmsm.settings().BtPin, "1234567890123");
}

TEST_F(WizardTest, FailuresEndWithTheirOwnMessageAndCaption) {
  struct Case {
    const char* name;
    std::function<void(sim::PrinterModel&)> fault;
    std::vector<std::string> script;
    std::string box;
  };
  const std::vector<Case> cases = {
      {"printer off",
       [this](sim::PrinterModel&) { devices.line().printer_on = false; },
       {"wait messagebox 60", "answer OK"},
       "VMSM Manager Utility: Port Open Error!!!\n127.0.0.1:9100: connection refused; check the "
       "port number (most printers use 9100)"},
      {"write refused",
       [](sim::PrinterModel& m) { m.faults().silent_for.insert(sim::Command::kSettingIn); },
       NextThroughAll(),
       "Total Manager Utility: Failed to save Virtual memory switch!!\r\nPlease Check your printer "
       "state\nno answer from the printer at 127.0.0.1:9100; check that it is switched on and set "
       "to this interface, and that no other program is using it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.ClearEvents();
    c.fault(model);
    Run(c.script);
    EXPECT_EQ(Boxes(), std::vector<std::string>{c.box});
    EXPECT_FALSE(platform::ReadDword(registry, platform::kPellisetKey, "Density").has_value());
    devices.line().printer_on = true;
  }
}

TEST_F(WizardTest, SentinelDialogTakesHexPairsAndRefusesAnEmptyStartCode) {
  std::vector<std::string> script = NextThroughAll();
  const std::vector<std::string> sentinels = {
      "click 1058",          "wait dialog 140",  "click 1062",       "snapshot",
      "type 1020 \"41 42\"", "type 1022 \"3B\"", "type 1024 \"\"",   "click 1",
      "wait messagebox",     "answer OK",        "type 1024 \"2B\"", "click 1",
      "wait dialog 137"};
  script.insert(script.begin() + 3, sentinels.begin(), sentinels.end());
  Run(script);

  EXPECT_EQ(Boxes(),
            (std::vector<std::string>{
                "Pelliset: Invalid value!\r\nSentinel length is over 10 ( length range : 1~10 )",
                kSaved}));
  EXPECT_TRUE(ControlShows(Snapshot(0), 1062, R"({"text":"HEXA","checked":true})"));
  EXPECT_TRUE(ControlShows(Snapshot(0), 1021, R"({"text":"","enabled":true})"));
  EXPECT_EQ(model.state().sentinel_start, (std::array<std::string, 3>{"AB", ";", "+"}));
  EXPECT_EQ(model.state().sentinel_end, (std::array<std::string, 3>{"", "", ""}));
}

TEST(HandheldHex, ReadsPairsByTheLowByteOfEachCharacter) {
  EXPECT_EQ(settings::SentinelHexToBytes(" 0A 1F104c ", true), std::string("\x0A\x1F\x10\x4C", 4));
  EXPECT_EQ(settings::SentinelHexToBytes("41 4", true), std::nullopt);  // a trailing half pair
  EXPECT_EQ(settings::SentinelHexToBytes("4 1", true), std::nullopt);
  EXPECT_EQ(settings::SentinelHexToBytes("4G", true), std::nullopt);
  // U+0141 and U+0130 have the low bytes of "A" and "0".
  EXPECT_EQ(settings::SentinelHexToBytes("\xC5\x81\xC4\xB0", true), "\xA0");
}

}  // namespace
