// Every dialog of both programs (deskutil's in each of its languages) in a window on Qt's
// offscreen platform: a screenshot of each under build/screenshots/ for people to look at, and a
// failure when a control lies outside its window, two controls (frames and tab rows aside) are
// drawn over each other, or a caption is wider than its control by the font's metrics.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QWidget>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/shipped_languages.h"
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

// The pixels `w` lacks to show its caption whole on one line (a label: wrapped in its height), 0
// when it fits. Buttons need their margin, check boxes and radios their mark, a group box's
// title where the style places it.
int MissingPixels(QWidget* w) {
  const QFontMetrics fm(w->font());
  const auto wide = [&](const QString& text, int around) {
    QString shown = text;
    shown.remove(QRegularExpression("&(?!&)"));
    return std::max(0, fm.horizontalAdvance(shown) + around - w->width());
  };
  QStyle* style = w->style();
  if (auto* label = dynamic_cast<QLabel*>(w); label != nullptr && label->pixmap().isNull()) {
    const QRect need = fm.boundingRect(
        QRect(0, 0, w->width(), 10000),
        Qt::TextWordWrap | (label->buddy() != nullptr ? Qt::TextShowMnemonic : 0), label->text());
    // The last line counts as shown when only its descent is cut: the CJK fallback fonts' lines
    // run a pixel taller than the dialog's rows, with nothing drawn there.
    return std::max({0, need.width() - w->width(), need.height() - fm.descent() - w->height()});
  }
  if (auto* box = dynamic_cast<QGroupBox*>(w)) {  // where the style puts the title
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.textAlignment = box->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect title =
        style->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, w);
    return std::max(0, title.right() + 1 - w->width());
  }
  if (auto* button = dynamic_cast<QPushButton*>(w)) {
    return wide(button->text(), style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w));
  }
  if (auto* button = dynamic_cast<QAbstractButton*>(w)) {  // a check box or radio button
    const bool check = dynamic_cast<QCheckBox*>(w) != nullptr;
    return wide(button->text(), style->pixelMetric(check ? QStyle::PM_IndicatorWidth
                                                         : QStyle::PM_ExclusiveIndicatorWidth,
                                                   nullptr, w) +
                                    style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing
                                                             : QStyle::PM_RadioButtonLabelSpacing,
                                                       nullptr, w));
  }
  if (auto* tabs = dynamic_cast<QTabBar*>(w); tabs != nullptr && tabs->count() > 0) {
    return std::max(0, tabs->tabRect(tabs->count() - 1).right() + 1 - w->width());
  }
  return 0;
}

// Checks the window as it stands and saves its picture as `name`.png; `widths`: whether captions
// are measured (not where the font for the language's script is missing).
void CheckWindow(ui::QtHost& host, const std::vector<ui::Dialog*>& family, const std::string& name,
                 bool widths) {
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
      if (widths) {
        EXPECT_EQ(MissingPixels(w), 0)
            << "control " << c->id() << " cuts \"" << c->GetText() << "\"";
      }
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

// Opens `t` (with `pages` embedded, each shown in turn) in a window and checks it; `opened` sets
// what the dialog itself sets when it opens.
void Check(const ui::Template& t, const std::string& name,
           std::vector<std::pair<const ui::Template*, ui::Rect>> pages = {},
           const ui::Resources& resources = {}, bool widths = true,
           const std::function<void(Shown&)>& opened = {}) {
  platform::RealClock clock;
  ui::QtHost host(clock, resources);
  std::vector<std::unique_ptr<Shown>> page_dialogs;
  for (const auto& p : pages) page_dialogs.push_back(std::make_unique<Shown>(*p.first));
  Shown dlg(t);
  dlg.init = [&](Shown& d) {
    for (size_t i = 0; i < pages.size(); ++i) {
      d.CreatePage(*page_dialogs[i], pages[i].second.x, pages[i].second.y);
    }
    if (opened) opened(d);
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
      CheckWindow(host, family, pages.empty() ? name : name + "_" + std::to_string(shown + 1),
                  widths);
    }
    host.WindowOf(dlg)->close();  // the title-bar close ends the dialog
    return false;
  });
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_TRUE(looked);
}

// Whether some installed font draws `code`'s script; without one the glyphs fall back to boxes
// whose widths say nothing about the real text's.
bool ScriptFontInstalled(const std::string& code) {
  const std::map<std::string, QFontDatabase::WritingSystem> scripts{
      {"ja", QFontDatabase::Japanese},
      {"ko", QFontDatabase::Korean},
      {"zh_CN", QFontDatabase::SimplifiedChinese},
      {"zh_TW", QFontDatabase::TraditionalChinese}};
  const auto script = scripts.find(code);
  return script == scripts.end() || !QFontDatabase::families(script->second).isEmpty();
}

// English as deskutil_*, every shipped language (with its pack's layout) as deskutil_CODE_*.
TEST(QtLayout, EveryDeskutilDialogInEveryLanguage) {
  for (const auto& [code, res] : desktop_test::EveryLanguage()) {
    SCOPED_TRACE(code);
    const std::string prefix = code == "English" ? "deskutil_" : "deskutil_" + code + "_";
    const bool widths = ScriptFontInstalled(code);
    if (!widths) std::cout << "No font for " << code << "'s script: caption widths not checked\n";
    // Texts by hand-written string ids: the description, the port label, the sentinel formats
    // and the page names.
    Check(desktop::MainDialogTemplate(), prefix + "main", {}, res, widths, [&](Shown& d) {
      d.SetDlgItemText(1003, res.String(102));
      d.SetDlgItemText(1077, res.String(104) + " :");
    });
    Check(desktop::AboutTemplate(), prefix + "about", {}, res, widths);
    for (int format : {236, 237}) {
      Check(desktop::MsrAdvanceTemplate(), prefix + "msr_sentinels_" + std::to_string(format), {},
            res, widths, [&](Shown& d) { d.SetDlgItemText(1081, res.String(format)); });
    }
    Check(firmware::FirmwareTemplate(), prefix + "firmware", {}, res, widths);
    Check(settings::VmsmProTemplate(), prefix + "settings_progress", {}, res, widths);
    Check(nv::NvProTemplate(), prefix + "nv_progress", {}, res, widths);
    Check(nv::NvAddrTemplate(), prefix + "nv_key_code", {}, res, widths);
    Check(nv::NvManagerTemplate(), prefix + "nv_manager", {}, res, widths);
    // The pages sit where the frame's tab control lies in the language's layout.
    const ui::Rect area = res.LaidOut(desktop::VmsmTemplate()).Find(desktop::vmsm_ctl::kTab)->rect;
    const ui::Rect at{area.x + desktop::vmsm_ctl::kPageOffsetX,
                      area.y + desktop::vmsm_ctl::kPageOffsetY, 0, 0};
    Check(desktop::VmsmTemplate(), prefix + "settings",
          {{&desktop::VmsmTab1Template(), at},
           {&desktop::VmsmTab2Template(), at},
           {&desktop::VmsmTab3Template(), at}},
          res, widths, [&](Shown& d) {
            for (int page : {0, 1, 2}) {
              d.GetTab(desktop::vmsm_ctl::kTab).InsertItem(page, res.String(243 + page));
            }
          });
  }
}

TEST(QtLayout, EveryPdautilDialog) {
  Check(pda::MainDialogTemplate(), "pdautil_main");
  Check(pda::wizard::Step1Template(), "pdautil_wizard_1");
  Check(pda::wizard::Step2Template(), "pdautil_wizard_2");
  Check(pda::wizard::Step3Template(), "pdautil_wizard_3");
  Check(pda::wizard::Step4Template(), "pdautil_wizard_4");
  Check(pda::wizard::Step5Template(), "pdautil_wizard_5");
  Check(pda::wizard::SentinelTemplate(), "pdautil_sentinels");
  Check(pda::wizard::ProgressTemplate(), "pdautil_settings_progress");
  Check(pda::PdaNvProTemplate(), "pdautil_nv_progress");
  Check(pda::PdaNvTemplate(), "pdautil_nv_manager");
  Check(pda::PdaNvAddrTemplate(), "pdautil_nv_key_code");
}

}  // namespace
