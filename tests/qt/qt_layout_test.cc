// Every dialog of both programs in a window on Qt's offscreen platform: a screenshot of each under
// build/screenshots/ for people to look at, and a failure when a control lies outside its window
// or two controls (frames and tab rows aside) are drawn over each other.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"
#include "desktop/vmsm_templates.h"
#include "firmware/dialogs/firmware_template.h"
#include "handheld/pda_nv_templates.h"
#include "handheld/pda_templates.h"
#include "handheld/wizard_templates.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "platform/system/clock.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "ui/qt/qt_host.h"

namespace {

class Shown : public ui::Dialog {
 public:
  explicit Shown(const ui::Template& t) : ui::Dialog(t) {}
  std::function<void(Shown&)> init;
  bool OnInitDialog() override {
    if (init) init(*this);
    return true;
  }
};

bool Frame(const ui::Control& c) {
  return c.kind() == ui::ControlKind::kGroupBox || c.kind() == ui::ControlKind::kTab;
}

// Checks the window as it stands and saves its picture as `name`.png.
void CheckWindow(ui::QtHost& host, const std::vector<ui::Dialog*>& family,
                 const std::string& name) {
  SCOPED_TRACE(name);
  QWidget* window = host.WindowOf(*family.front());
  ASSERT_NE(window, nullptr);
  const QString folder = QStringLiteral(PELLISET_BINARY_DIR "/screenshots");
  QDir().mkpath(folder);
  EXPECT_TRUE(window->grab().save(folder + "/" + QString::fromStdString(name) + ".png"));
  std::vector<std::pair<const ui::Control*, QRect>> shown;
  for (ui::Dialog* d : family) {
    for (const auto& c : d->Controls()) {
      QWidget* w = host.WidgetOf(*family.front(), *c);
      ASSERT_NE(w, nullptr) << c->id();
      // Shown, enabled and captioned as the dialog has them.
      EXPECT_EQ(w->isVisibleTo(window), d->IsControlShown(*c)) << c->id();
      EXPECT_EQ(w->isEnabled(), c->IsEnabled()) << c->id();
      if (auto* button = dynamic_cast<QAbstractButton*>(w)) {
        EXPECT_EQ(button->text().toStdString(), c->GetText()) << c->id();
      }
      if (!w->isVisibleTo(window)) continue;
      EXPECT_TRUE(window->rect().contains(w->geometry())) << "control " << c->id() << " outside";
      if (!Frame(*c)) shown.push_back({c.get(), w->geometry()});
    }
  }
  for (size_t i = 0; i < shown.size(); ++i) {
    for (size_t j = i + 1; j < shown.size(); ++j) {
      EXPECT_FALSE(shown[i].second.intersects(shown[j].second))
          << "controls " << shown[i].first->id() << " and " << shown[j].first->id() << " overlap";
    }
  }
}

// Opens `t` (with `pages` embedded, each shown in turn) in a window and checks it.
void Check(const ui::Template& t, const std::string& name,
           std::vector<std::pair<const ui::Template*, ui::Rect>> pages = {},
           const ui::Resources& resources = {}) {
  platform::RealClock clock;
  ui::QtHost host(clock, resources);
  std::vector<std::unique_ptr<Shown>> page_dialogs;
  for (const auto& p : pages) page_dialogs.push_back(std::make_unique<Shown>(*p.first));
  Shown dlg(t);
  dlg.init = [&](Shown& d) {
    for (size_t i = 0; i < pages.size(); ++i) {
      d.CreatePage(*page_dialogs[i], pages[i].second.x, pages[i].second.y);
    }
  };
  bool looked = false;
  host.SetUserTurn([&](uint32_t) {
    if (looked) return false;
    looked = true;
    for (size_t shown = 0; shown < std::max<size_t>(1, pages.size()); ++shown) {
      std::vector<ui::Dialog*> family{&dlg};
      for (size_t i = 0; i < page_dialogs.size(); ++i) {
        page_dialogs[i]->ShowWindow(i == shown);
        if (i == shown) family.push_back(page_dialogs[i].get());
      }
      host.Repaint(dlg);
      CheckWindow(host, family, pages.empty() ? name : name + "_" + std::to_string(shown + 1));
    }
    host.WindowOf(dlg)->close();  // the title-bar close ends the dialog
    return false;
  });
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_TRUE(looked);
}

TEST(QtLayout, EveryDeskutilDialog) {
  Check(desktop::MainDialogTemplate(), "deskutil_main");
  Check(desktop::AboutTemplate(), "deskutil_about");
  Check(desktop::MsrAdvanceTemplate(), "deskutil_msr_sentinels");
  Check(FirmwareTemplate(), "deskutil_firmware");
  Check(VmsmProTemplate(), "deskutil_settings_progress");
  Check(NvProTemplate(), "deskutil_nv_progress");
  Check(NvAddrTemplate(), "deskutil_nv_key_code");
  Check(NvManagerTemplate(), "deskutil_nv_manager");
  const ui::Template& tabs = desktop::VmsmTemplate();
  const ui::Rect area = tabs.Find(desktop::vmsm_ctl::kTab)->rect;
  const ui::Rect at{area.x + desktop::vmsm_ctl::kPageOffsetX,
                    area.y + desktop::vmsm_ctl::kPageOffsetY, 0, 0};
  Check(tabs, "deskutil_settings",
        {{&desktop::VmsmTab1Template(), at},
         {&desktop::VmsmTab2Template(), at},
         {&desktop::VmsmTab3Template(), at}});
}

// The German pack's longer captions and its own layout must fit as well.
TEST(QtLayout, EveryDeskutilDialogInGerman) {
  auto pack = desktop::LoadLanguagePack(
      0x0407, {{PELLISET_BINARY_DIR "/share/locale"}, {PELLISET_SOURCE_DIR "/src/desktop/lang"}});
  ASSERT_TRUE(pack.has_value());
  const ui::Resources german = desktop::DesktopResources(std::move(pack));
  Check(desktop::MainDialogTemplate(), "deskutil_de_main", {}, german);
  Check(desktop::AboutTemplate(), "deskutil_de_about", {}, german);
  Check(desktop::MsrAdvanceTemplate(), "deskutil_de_msr_sentinels", {}, german);
  Check(FirmwareTemplate(), "deskutil_de_firmware", {}, german);
  Check(VmsmProTemplate(), "deskutil_de_settings_progress", {}, german);
  Check(NvProTemplate(), "deskutil_de_nv_progress", {}, german);
  Check(NvAddrTemplate(), "deskutil_de_nv_key_code", {}, german);
  Check(NvManagerTemplate(), "deskutil_de_nv_manager", {}, german);
  // The pages sit where the frame's tab control lies in the pack's layout.
  const ui::Template tabs = german.LaidOut(desktop::VmsmTemplate());
  const ui::Rect area = tabs.Find(desktop::vmsm_ctl::kTab)->rect;
  const ui::Rect at{area.x + desktop::vmsm_ctl::kPageOffsetX,
                    area.y + desktop::vmsm_ctl::kPageOffsetY, 0, 0};
  Check(desktop::VmsmTemplate(), "deskutil_de_settings",
        {{&desktop::VmsmTab1Template(), at},
         {&desktop::VmsmTab2Template(), at},
         {&desktop::VmsmTab3Template(), at}},
        german);
}

TEST(QtLayout, EveryPdautilDialog) {
  Check(pda::MainDialogTemplate(), "pdautil_main");
  Check(wizard::Step1Template(), "pdautil_wizard_1");
  Check(wizard::Step2Template(), "pdautil_wizard_2");
  Check(wizard::Step3Template(), "pdautil_wizard_3");
  Check(wizard::Step4Template(), "pdautil_wizard_4");
  Check(wizard::Step5Template(), "pdautil_wizard_5");
  Check(wizard::SentinelTemplate(), "pdautil_sentinels");
  Check(wizard::ProgressTemplate(), "pdautil_settings_progress");
  Check(PdaNvProTemplate(), "pdautil_nv_progress");
  Check(PdaNvTemplate(), "pdautil_nv_manager");
  Check(PdaNvAddrTemplate(), "pdautil_nv_key_code");
}

}  // namespace
