// Every deskutil dialog drawn on an 80 x 24 terminal: each control the focus can reach is on the
// screen inside the dialog's frame, no two controls are drawn over each other, and the dialogs
// that fit once their blank rows are squeezed out do not scroll.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/shipped_languages.h"
#include "desktop/vmsm_templates.h"
#include "firmware/dialogs/firmware_template.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "platform/system/clock.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "ui/automation/scripted_host.h"
#include "ui/terminal/terminal_buffer_screen.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_render.h"

namespace {

class Shown : public ui::Dialog {
 public:
  explicit Shown(const ui::Template& t) : ui::Dialog(t) {}
  std::function<void(Shown&)> init;
  bool OnInitDialog() override {
    init(*this);
    return true;
  }
};

bool TakesFocus(const ui::Dialog& d, const ui::Control& c) {
  if (c.id() == -1 || !d.IsControlShown(c) || !c.IsEnabled()) return false;
  switch (c.kind()) {
    case ui::ControlKind::kStatic:
    case ui::ControlKind::kGroupBox:
    case ui::ControlKind::kProgress:
    case ui::ControlKind::kPicture:
      return false;
    default:
      return true;
  }
}

bool Frame(const ui::Control* c) {
  return c->kind() == ui::ControlKind::kGroupBox || c->kind() == ui::ControlKind::kTab;
}

bool Overlap(const ui::CellRect& a, const ui::CellRect& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// Draws `t` (with `pages` embedded, one shown at a time) focused on every control in turn and
// checks each frame; `scrolls`: whether the dialog may scroll at 80 x 24.
void CheckAt80x24(const ui::Template& t, bool scrolls,
                  std::vector<std::pair<const ui::Template*, ui::Rect>> pages = {},
                  const ui::Resources& resources = {}) {
  SCOPED_TRACE(t.caption);
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock, resources);
  std::vector<std::unique_ptr<Shown>> page_dialogs;
  for (const auto& p : pages) {
    page_dialogs.push_back(std::make_unique<Shown>(*p.first));
    page_dialogs.back()->init = [](Shown&) {};
  }
  Shown dlg(t);
  int frames = 0;
  dlg.init = [&](Shown& d) {
    for (size_t i = 0; i < pages.size(); ++i) {
      d.CreatePage(*page_dialogs[i], pages[i].second.x, pages[i].second.y);
    }
    for (size_t shown = 0; shown < std::max<size_t>(1, pages.size()); ++shown) {
      std::vector<ui::Dialog*> family{&d};
      for (size_t i = 0; i < page_dialogs.size(); ++i) {
        page_dialogs[i]->ShowWindow(i == shown);
        if (i == shown) family.push_back(page_dialogs[i].get());
      }
      // No focus (a progress dialog has nothing to focus), then each control in turn.
      std::vector<std::pair<ui::Dialog*, const ui::Control*>> focus{{&d, nullptr}};
      for (ui::Dialog* owner : family) {
        for (const auto& c : owner->Controls()) {
          if (TakesFocus(*owner, *c)) focus.push_back({owner, c.get()});
        }
      }
      for (const auto& [owner, c] : focus) {
        {
          SCOPED_TRACE(c != nullptr ? c->id() : 0);
          ui::BufferScreen screen(80, 24);
          ui::TerminalRenderer r(screen);
          ui::ViewMap views;
          if (c != nullptr) owner->GotoDlgCtrl(c->id());
          r.Begin();
          r.DrawDialog(d, true, owner, c != nullptr ? c->id() : -1, views);
          r.End();
          ++frames;
          EXPECT_EQ(r.LastDialogScrolls(), scrolls);
          const ui::CellRect& outer = r.LastDialogRect();
          const ui::CellRect screen_rect{0, 0, 80, 23};  // the last row is the key line
          std::vector<const ui::HitArea*> drawn;
          for (const auto& h : r.Hits()) {
            if (h.what != ui::HitArea::What::kControl || h.control == nullptr) continue;
            drawn.push_back(&h);
            if (h.control == c) {
              EXPECT_TRUE(screen_rect.Contains(h.rect.x, h.rect.y) &&
                          screen_rect.Contains(h.rect.x + h.rect.w - 1, h.rect.y + h.rect.h - 1))
                  << "the focused control is off the screen";
            }
            // Inside the frame, never on it.
            EXPECT_GT(h.rect.x, outer.x);
            EXPECT_GT(h.rect.y, outer.y);
            EXPECT_LT(h.rect.x + h.rect.w, outer.x + outer.w) << h.control->id();
            EXPECT_LT(h.rect.y + h.rect.h, outer.y + outer.h) << h.control->id();
          }
          for (size_t i = 0; i < drawn.size(); ++i) {
            for (size_t j = i + 1; j < drawn.size(); ++j) {
              if (Frame(drawn[i]->control) || Frame(drawn[j]->control)) continue;
              EXPECT_FALSE(Overlap(drawn[i]->rect, drawn[j]->rect))
                  << drawn[i]->control->id() << " and " << drawn[j]->control->id();
            }
          }
        }
      }
    }
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_GT(frames, 0);
}

// Every dialog in English and in each shipped language (its pack may lay a dialog out anew).
TEST(TerminalFit, EveryDialogIsUsableAt80x24) {
  for (const auto& [code, res] : desktop_test::EveryLanguage()) {
    SCOPED_TRACE(code);
    CheckAt80x24(desktop::MainDialogTemplate(), false, {}, res);  // 65 x 28 cells as laid out
    CheckAt80x24(desktop::AboutTemplate(), false, {}, res);
    CheckAt80x24(desktop::MsrAdvanceTemplate(), false, {}, res);
    CheckAt80x24(firmware::FirmwareTemplate(), false, {}, res);
    CheckAt80x24(settings::VmsmProTemplate(), false, {}, res);
    CheckAt80x24(nv::NvProTemplate(), false, {}, res);
    CheckAt80x24(nv::NvAddrTemplate(), false, {}, res);
    CheckAt80x24(nv::NvManagerTemplate(), true, {}, res);  // 112 x 37 cells: it scrolls
    CheckAt80x24(*nv::NvManagerTemplate().small_screen, false, {}, res);
    // The pages sit where the frame's tab control lies in the language's layout.
    const ui::Rect area = res.LaidOut(desktop::VmsmTemplate()).Find(desktop::vmsm_ctl::kTab)->rect;
    const ui::Rect at{area.x + desktop::vmsm_ctl::kPageOffsetX,
                      area.y + desktop::vmsm_ctl::kPageOffsetY, 0, 0};
    CheckAt80x24(desktop::VmsmTemplate(), false,
                 {{&desktop::VmsmTab1Template(), at},
                  {&desktop::VmsmTab2Template(), at},
                  {&desktop::VmsmTab3Template(), at}},
                 res);
  }
}

// A terminal too small for the NV manager opens it in its small layout; a large one in the full,
// in every language.
TEST(TerminalFit, TheNvManagerTakesItsSmallLayoutOnlyWhereTheFullOneDoesNotFit) {
  for (const auto& [code, res] : desktop_test::EveryLanguage()) {
    for (const auto& [cols, rows, width] : {std::tuple{80, 24, 312}, std::tuple{100, 30, 312},
                                            std::tuple{112, 38, 440}, std::tuple{120, 40, 440}}) {
      platform::VirtualClock clock;
      ui::BufferScreen screen(cols, rows);
      ui::TerminalHost host(clock, screen, res);
      Shown dlg(nv::NvManagerTemplate());
      int opened_width = 0;
      dlg.init = [&](Shown& d) {
        opened_width = d.GetTemplate().width;
        d.EndDialog(ui::IDOK);
      };
      dlg.DoModal(host);
      EXPECT_EQ(opened_width, width) << code << " " << cols << " x " << rows;
    }
  }
}

}  // namespace
