// The NV image manager's launch sequence (button 1001) in virtual time: the main dialog under the
// scripted host, the virtual printer behind a simulated TCP link.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/main_dlg.h"
#include "fakes/sim_services.h"
#include "ui/automation/scripted_host.h"

namespace {

struct NullLog : devlink::DiscoveryLog {
  void Line(const std::string&) override {}
};

class NvManagerLaunchTest : public ::testing::Test, protected fakes::SimServices {
 protected:
  NvManagerLaunchTest() : host(clock, desktop::DesktopResources(std::nullopt)) {
    // Whether the link is open whenever the main dialog waits for the user again.
    host.SetEventCallback([this](const ui::Event& e, ui::ScriptedHost&) {
      if (e.kind == ui::EventKind::kSnapshot && e.template_id == 102) {
        open_at_main.push_back(devices.line().open_transports);
      }
      if (e.kind == ui::EventKind::kMessageBox) boxes.push_back(e.caption + ": " + e.text);
      if (e.kind == ui::EventKind::kDialog && e.template_id == 151) ++managers;
    });
  }
  void Run(std::vector<std::string> tail) {
    std::vector<std::string> script = {"wait dialog 102", "select 1006 3",
                                       "type 1074 \"127.0.0.1\"", "click 1001"};
    script.insert(script.end(), tail.begin(), tail.end());
    for (const std::string& c : script) ASSERT_TRUE(host.Queue(c)) << c;
    dlg.DoModal(host);
  }

  ui::ScriptedHost host;
  NullLog log;
  desktop::CM500QXUtilityDlg dlg{services, log};
  std::vector<int> open_at_main;
  std::vector<std::string> boxes;
  int managers = 0;
};

TEST_F(NvManagerLaunchTest, ManagerShowsThePrintersKeyCodesAndTheLinkClosesAfter) {
  model.state().nv_images[{'A', 'B'}] = sim::NvImage{8, 1, {0x80}};
  Run({"wait dialog 151", "snapshot", "click 1", "wait dialog 102", "snapshot"});
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
  EXPECT_EQ(managers, 1);
  const std::string manager = host.EventsOf(ui::EventKind::kSnapshot).front().json;
  EXPECT_NE(manager.find("\"items\":[\"AB\"]"), std::string::npos);
  EXPECT_EQ(open_at_main, std::vector<int>{0});
  EXPECT_EQ(boxes, std::vector<std::string>{});
}

// The image list is stored as the manager closes; when that fails the user hears of it then.
TEST_F(NvManagerLaunchTest, AnImageListThatCannotBeStoredIsToldAfterTheManagerCloses) {
  registry.SetFailWrites(true, "read-only file system");
  Run({"wait dialog 151", "click 1", "wait messagebox 3", "answer OK", "wait dialog 102", "click 1",
       "answer OK"});
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0],
            "NV Image Manager: The image list could not be saved for the next start: memory: "
            "read-only file system");
}

TEST_F(NvManagerLaunchTest, FailedFirstJobShowsItsMessageAndNoManager) {
  devices.line().printer_on = false;
  Run({"wait messagebox 30", "answer OK", "wait dialog 102", "snapshot"});
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
  EXPECT_EQ(managers, 0);
  EXPECT_EQ(boxes, std::vector<std::string>{"Pelliset: Port open error!\n127.0.0.1:9100: "
                                            "connection refused; check the port number (most "
                                            "printers use 9100)"});
  EXPECT_EQ(open_at_main, std::vector<int>{0});
}

}  // namespace
