// The same scenario through the window host and through the scripted host, against the virtual
// printer in virtual time: read every setting, change the density, Save, the success message,
// Exit. Under the window host a player performs each command of the script on the widgets, as a
// user would; both runs must send the printer the same bytes and leave the same state.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QTabBar>
#include <QWidget>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/main_dlg.h"
#include "fakes/sim_services.h"
#include "nvimage/bmp_files.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"
#include "ui/automation/scripted_host.h"
#include "ui/core/command.h"
#include "ui/qt/qt_host.h"

namespace {

struct NullLog : devlink::DiscoveryLog {
  void Line(const std::string&) override {}
};

constexpr uint8_t kPrintSwitch = 1;

// Reads every setting, chooses the first density row (150%) on the first page, saves, answers
// the success message and exits.
const std::vector<std::string> kScript = {
    "wait dialog 102", "select 1006 3",   "type 1074 \"127.0.0.1\"",
    "click 1000",      "wait dialog 133", "select 140:1092 0",
    "click 1",         "wait messagebox", "answer OK",
    "wait dialog 102", "click 1"};

// What a run leaves behind.
struct Outcome {
  std::vector<uint8_t> sent;
  uint8_t density_switch = 0;
  std::optional<uint32_t> stored_port_type;
  std::vector<std::string> messages;
  std::map<sim::NvKeyCode, sim::NvImage> images;
};

// The control a command names in the active dialog (TEMPLATE:ID for a page's control).
ui::Control* Target(ui::Dialog& top, const ui::ControlRef& ref, ui::Dialog** owner) {
  std::vector<ui::Dialog*> family{&top};
  for (size_t i = 0; i < family.size(); ++i) {
    for (ui::Dialog* page : family[i]->Pages()) family.push_back(page);
  }
  for (ui::Dialog* d : family) {
    if (ref.template_id != 0 && d->TemplateId() != ref.template_id) continue;
    ui::Control* c = d->FindControl(ref.id);
    if (c != nullptr && (ref.template_id != 0 || d->IsControlShown(*c))) {
      *owner = d;
      return c;
    }
  }
  return nullptr;
}

// Performs the script's commands on the window host's widgets, one input a turn; a wait that is
// not met yet lets virtual time pass up to the next timer.
class Player {
 public:
  Player(ui::QtHost& host, platform::VirtualClock& clock, std::vector<std::string> lines,
         std::vector<std::string>* messages)
      : host_(host), clock_(clock), messages_(messages) {
    for (const std::string& line : lines) commands_.push_back(*ui::ParseCommand(line).command);
    host.SetUserTurn([this](uint32_t timeout) { return Turn(timeout); });
  }
  bool Done() const { return commands_.empty(); }

 private:
  bool Turn(uint32_t timeout) {
    if (++turns_ > 100000) {
      ADD_FAILURE() << "the scenario does not advance";
      return false;
    }
    while (!commands_.empty()) {
      const ui::Command& c = commands_.front();
      ui::Dialog* top = host_.TopDialog();
      if (c.kind == ui::CommandKind::kWaitDialog) {
        if (host_.MessageBoxActive() || top == nullptr || top->TemplateId() != c.number) break;
        commands_.pop_front();
        continue;
      }
      if (c.kind == ui::CommandKind::kWaitMessageBox) {
        if (host_.ActiveMessageBox() == nullptr) break;
        commands_.pop_front();
        continue;
      }
      Perform(c, top);
      commands_.pop_front();
      return false;
    }
    if (timeout != ui::QtHost::kNoTimeout) clock_.Advance(timeout);
    return true;
  }

  void Perform(const ui::Command& c, ui::Dialog* top) {
    if (c.kind == ui::CommandKind::kFiles) {
      auto* files = dynamic_cast<QFileDialog*>(host_.ActiveFileDialog());
      ASSERT_NE(files, nullptr) << c.source;
      EXPECT_EQ(files->nameFilters(), QStringList{"Image Files(*.bmp)"});
      QStringList chosen;
      for (const std::string& path : c.paths) chosen << QString::fromStdString(path);
      files->filesSelected(chosen);
      return;
    }
    if (c.kind == ui::CommandKind::kAnswer) {
      auto* box = dynamic_cast<QMessageBox*>(host_.ActiveMessageBox());
      ASSERT_NE(box, nullptr) << c.source;
      messages_->push_back(box->text().toStdString());
      box->button(c.number == ui::IDOK ? QMessageBox::Ok : QMessageBox::Cancel)->click();
      return;
    }
    ASSERT_NE(top, nullptr) << c.source;
    ui::Dialog* owner = nullptr;
    ui::Control* control = Target(*top, c.target, &owner);
    ASSERT_NE(control, nullptr) << c.source;
    QWidget* w = host_.WidgetOf(*top, *control);
    ASSERT_NE(w, nullptr) << c.source;
    switch (c.kind) {
      case ui::CommandKind::kClick:
        dynamic_cast<QAbstractButton&>(*w).click();
        return;
      case ui::CommandKind::kSelect:
        if (auto* combo = dynamic_cast<QComboBox*>(w)) {
          combo->activated(c.by_text ? combo->findText(QString::fromStdString(c.text)) : c.rows[0]);
        } else if (auto* tabs = dynamic_cast<QTabBar*>(w)) {
          tabs->setCurrentIndex(c.rows[0]);
        } else if (auto* list = dynamic_cast<QListWidget*>(w)) {
          list->clearSelection();
          list->item(c.rows[0])->setSelected(true);
        } else {
          ADD_FAILURE() << c.source << ": no list widget";
        }
        return;
      case ui::CommandKind::kType: {
        // One keystroke at a time, the first replacing what the edit shows.
        auto& edit = dynamic_cast<QLineEdit&>(*w);
        const QString text = QString::fromStdString(c.text);
        for (int n = 1; n <= text.size(); ++n) edit.textEdited(text.left(n));
        return;
      }
      default:
        ADD_FAILURE() << c.source << ": the player does not perform this command";
    }
  }

  ui::QtHost& host_;
  platform::VirtualClock& clock_;
  std::vector<std::string>* messages_;
  std::deque<ui::Command> commands_;
  int turns_ = 0;
};

class Scenario : public fakes::SimServices {
 public:
  Scenario() { model.state().switches[kPrintSwitch] = 0b00001100; }  // density 100%
  Outcome Result(std::vector<std::string> messages) {
    return {devices.line().sent, model.state().switches[kPrintSwitch],
            platform::ReadDword(registry, platform::kPellisetKey, "uPortType"), std::move(messages),
            model.state().nv_images};
  }
  NullLog log;
};

// Runs `script` on the main dialog under the scripted host, then under the window host.
std::pair<Outcome, Outcome> RunBoth(const std::vector<std::string>& script) {
  Scenario scripted;
  ui::ScriptedHost script_host(scripted.clock, desktop::DesktopResources(std::nullopt));
  for (const std::string& line : script) EXPECT_TRUE(script_host.Queue(line)) << line;
  desktop::CM500QXUtilityDlg script_dialog(scripted.services, scripted.log);
  EXPECT_EQ(script_dialog.DoModal(script_host), ui::IDOK);
  EXPECT_EQ(script_host.ErrorCount(), 0);
  std::vector<std::string> script_messages;
  for (const ui::Event& e : script_host.EventsOf(ui::EventKind::kMessageBox)) {
    script_messages.push_back(e.text);
  }
  const Outcome by_script = scripted.Result(script_messages);

  Scenario windowed;
  ui::QtHost window_host(windowed.clock, desktop::DesktopResources(std::nullopt));
  std::vector<std::string> window_messages;
  Player player(window_host, windowed.clock, script, &window_messages);
  desktop::CM500QXUtilityDlg window_dialog(windowed.services, windowed.log);
  EXPECT_EQ(window_dialog.DoModal(window_host), ui::IDOK);
  EXPECT_TRUE(player.Done());
  EXPECT_EQ(window_host.ErrorCount(), 0);
  return {by_script, windowed.Result(window_messages)};
}

TEST(HostEquivalence, SettingsEditorThroughWindowsAndThroughTheScriptedHost) {
  const auto [by_script, by_windows] = RunBoth(kScript);

  // Density 150% is c6c7c8 = 011; c1..c5 stay as they were.
  EXPECT_EQ(by_script.density_switch, 0b00001011);
  EXPECT_EQ(by_script.messages,
            std::vector<std::string>{
                "Success to set VMSM configuration! \r\nPlease reset printer power."});
  EXPECT_EQ(by_script.stored_port_type, std::optional<uint32_t>(3));  // TCP/IP
  EXPECT_EQ(by_windows.density_switch, by_script.density_switch);
  EXPECT_EQ(by_windows.messages, by_script.messages);
  EXPECT_EQ(by_windows.stored_port_type, by_script.stored_port_type);
  EXPECT_EQ(by_windows.sent.size(), by_script.sent.size());
  EXPECT_TRUE(by_windows.sent == by_script.sent) << "the printer got other bytes";
}

// Two pictures added through the file dialog, automatic addressing, Download, Exit.
TEST(HostEquivalence, NvManagerDownloadThroughWindowsAndThroughTheScriptedHost) {
  platform_test::TempDir dir;
  const std::string a = dir.File("a.bmp"), b = dir.File("b.bmp");
  nv_test::WriteBmp(a, 16, 2,
                    [](int, int y) { return y == 0 ? nv_test::kBlack : nv_test::kWhite; });
  nv_test::WriteBmp(b, 8, 1, [](int x, int) { return x < 4 ? nv_test::kBlack : nv_test::kWhite; });
  const auto [by_script, by_windows] =
      RunBoth({"wait dialog 102", "select 1006 3", "type 1074 \"127.0.0.1\"", "click 1001",
               "wait dialog 151", "click 1043", "files \"" + a + "\" \"" + b + "\"", "click 1047",
               "click 1046", "wait dialog 151", "click 1", "wait dialog 102", "click 1"});
  // Key codes 10 and 11 hold the two pictures: 16 x 2 and 8 x 1 dots.
  ASSERT_EQ(by_script.images.size(), 2u);
  EXPECT_EQ(by_script.images.begin()->second.width, 16);
  EXPECT_EQ(by_script.images.rbegin()->second.width, 8);
  EXPECT_TRUE(by_script.messages.empty());
  EXPECT_TRUE(by_windows.images == by_script.images);
  EXPECT_EQ(by_windows.messages, by_script.messages);
  EXPECT_TRUE(by_windows.sent == by_script.sent) << "the printer got other bytes";
}

}  // namespace
