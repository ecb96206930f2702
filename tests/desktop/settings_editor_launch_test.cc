// The settings editor's launch sequence in virtual time: the main dialog under the scripted host,
// the virtual printer behind a simulated TCP link.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/main_dlg.h"
#include "fakes/sim_services.h"
#include "fakes/snapshot_reader.h"
#include "platform/registry/registry.h"
#include "sim/printer_model.h"
#include "ui/automation/scripted_host.h"

namespace {

struct NullLog : devlink::DiscoveryLog {
  void Line(const std::string&) override {}
};

constexpr char kSetDone[] = "Success to set VMSM configuration! \r\nPlease reset printer power.";
constexpr char kSaveFailed[] =
    "Failed to save VMSM configuration!\r\nPlease check your printer state.";
constexpr uint8_t kPrintSwitch = 1;

class SettingsEditorLaunchTest : public ::testing::Test, protected fakes::SimServices {
 protected:
  SettingsEditorLaunchTest() : host(clock, desktop::DesktopResources(std::nullopt)) {
    Watch(nullptr);
  }

  // The sequence closes the link before any message and before the main dialog waits for the
  // user again (a "snapshot" of template 102 in the script); `also` sees each event too.
  void Watch(std::function<void(const ui::Event&)> also) {
    host.SetEventCallback([this, also](const ui::Event& e, ui::ScriptedHost&) {
      // Default's question is asked from the tab dialog, while the link is rightly open.
      const bool question = e.kind == ui::EventKind::kMessageBox &&
                            e.text.rfind("Restore the printer's factory settings?", 0) == 0;
      if ((e.kind == ui::EventKind::kMessageBox && !question) ||
          (e.kind == ui::EventKind::kSnapshot && e.template_id == 102)) {
        links_open_at_main.push_back(devices.line().open_transports);
      }
      if (also) also(e);
    });
  }
  void ExpectLinkClosedWhenBackAtMain(size_t samples) const {
    EXPECT_EQ(links_open_at_main.size(), samples);
    for (int open : links_open_at_main) EXPECT_EQ(open, 0);
  }

  // Sets the main dialog to TCP/IP and presses the settings editor's button.
  static std::vector<std::string> Launch() {
    return {"wait dialog 102", "select 1006 3", "type 1074 \"127.0.0.1\"", "click 1000"};
  }
  void Run(const std::vector<std::string>& commands) {
    for (const std::string& c : commands) ASSERT_TRUE(host.Queue(c)) << c;
    dlg.DoModal(host);
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const ui::Event& e : host.EventsOf(ui::EventKind::kMessageBox)) {
      EXPECT_EQ(e.caption, "Pelliset");
      texts.push_back(e.text);
    }
    return texts;
  }
  int TabDialogs() const {
    int n = 0;
    for (const ui::Event& e : host.EventsOf(ui::EventKind::kDialog)) n += e.template_id == 133;
    return n;
  }
  std::optional<uint32_t> Profile(const char* name) {
    return platform::ReadDword(registry, platform::kPellisetKey, name);
  }

  ui::ScriptedHost host;
  NullLog log;
  desktop::CM500QXUtilityDlg dlg{services, log};
  std::vector<int> links_open_at_main;
};

TEST_F(SettingsEditorLaunchTest, SecondUseShowsTheFreshlyReadRecordAndCancelWritesNothing) {
  model.state().switches[kPrintSwitch] = 0b00001100;  // Density 4: the 100% row
  std::vector<std::string> script = Launch();
  for (const char* c :
       {"wait dialog 133", "select 140:1092 0", "click 1", "wait messagebox", "answer OK",
        "click 1000", "wait dialog 133", "snapshot", "click 2", "wait dialog 102", "snapshot"}) {
    script.emplace_back(c);
  }
  // Between the two uses someone else sets the printer to 80% (Density 7).
  Watch([this](const ui::Event& e) {
    if (e.kind == ui::EventKind::kMessageBox) model.state().switches[kPrintSwitch] = 0b00001111;
  });
  Run(script);
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());

  EXPECT_EQ(Boxes(), std::vector<std::string>{kSetDone});  // the tab Cancel shows nothing
  EXPECT_EQ(TabDialogs(), 2);
  const std::vector<ui::Event> snapshots = host.EventsOf(ui::EventKind::kSnapshot);
  ASSERT_EQ(snapshots.size(), 2u);
  ASSERT_EQ(snapshots[0].template_id, 133);
  // The printer's 80%, not the earlier 150%.
  EXPECT_TRUE(fakes::ControlShows(snapshots[0].json, 1092, R"({"selection":[7]})"));
  EXPECT_EQ(model.state().switches[kPrintSwitch], 0b00001111);  // nothing written
  EXPECT_EQ(Profile("Density"), 3u);                            // still the first use's profile
  ExpectLinkClosedWhenBackAtMain(2);
  EXPECT_EQ(devices.line().opens, 2);
}

struct ReadFailureCase {
  const char* name;
  bool printer_on;
  std::string model_name;
  bool user_cancels;
  std::vector<std::string> boxes;
};
void PrintTo(const ReadFailureCase& c, std::ostream* os) { *os << c.name; }

class ReadFailureTest : public SettingsEditorLaunchTest,
                        public ::testing::WithParamInterface<ReadFailureCase> {};

TEST_P(ReadFailureTest, ShowsTheReadsOwnMessageAndNoTabDialog) {
  const ReadFailureCase& c = GetParam();
  devices.line().printer_on = c.printer_on;
  model.config().model = c.model_name;
  std::vector<std::string> script = Launch();
  if (c.user_cancels) {
    script.emplace_back("wait dialog 136");
    script.emplace_back("click 2");
  } else {
    script.emplace_back("wait messagebox");
    script.emplace_back("answer OK");
  }
  script.emplace_back("wait dialog 102");
  script.emplace_back("snapshot");
  Run(script);
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());

  EXPECT_EQ(Boxes(), c.boxes);
  EXPECT_EQ(TabDialogs(), 0);
  ExpectLinkClosedWhenBackAtMain(c.boxes.size() + 1);
  EXPECT_FALSE(Profile("Density").has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadFailureTest,
    ::testing::Values(ReadFailureCase{"PrinterOff",
                                      false,
                                      "TMQ-D550",
                                      false,
                                      {"Port open error!\n127.0.0.1:9100: connection refused; "
                                       "check the port number (most printers use 9100)"}},
                      ReadFailureCase{
                          "OtherModel",
                          true,
                          "TMQ-X100",
                          false,
                          {"Printer model is not matched!\nThe printer says it is a TMQ-X100."}},
                      ReadFailureCase{"UserCancels", true, "TMQ-D550", true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsEditorLaunchTest, FailedDefaultShowsTheSaveFailureAndClosesTheLink) {
  model.faults().silent_for.insert(sim::Command::kSettingIn);
  std::vector<std::string> script = Launch();
  for (const char* c : {"wait dialog 133", "click 1000", "answer Yes", "wait messagebox 60",
                        "answer OK", "wait dialog 102", "snapshot"}) {
    script.emplace_back(c);
  }
  Run(script);
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());

  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0],
            "Restore the printer's factory settings? Its Bluetooth PIN, name and sentinels are "
            "reset too.");
  EXPECT_EQ(boxes[1].rfind(kSaveFailed, 0), 0u) << boxes[1];
  ExpectLinkClosedWhenBackAtMain(2);
  EXPECT_FALSE(Profile("Density").has_value());
}

}  // namespace
