// Drawing dialogs on a cell buffer: layout at 4 x 8 dialog units a cell, what each kind of
// control looks like, and what is dimmed or left out.

#include "ui/terminal/terminal_render.h"

#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/scripted_host.h"
#include "ui/terminal/terminal_buffer_screen.h"

namespace {

using ui::BufferScreen;
using ui::CellRect;
using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

TEST(TerminalLayout, DialogUnitsToCells) {
  struct Case {
    ui::Rect units;
    CellRect cells;
  };
  const Case cases[] = {
      {{0, 0, 40, 8}, {0, 0, 10, 1}},
      {{150, 25, 40, 14}, {38, 3, 10, 2}},
      {{5, 5, 1, 1}, {1, 1, 1, 1}},  // never smaller than a cell
      {{7, 11, 30, 12}, {2, 1, 7, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::ToCells(c.units), c.cells) << c.units.x;
  EXPECT_EQ(ui::DialogCellsWide(EveryKindTemplate()), 52);  // 200 units + frame
  EXPECT_EQ(ui::DialogCellsHigh(EveryKindTemplate()), 21);  // 150 units + frame
}

TEST(TerminalLayout, MnemonicsAndWrapping) {
  char m = 0;
  int at = -2;
  EXPECT_EQ(ui::StripMnemonic("E&xit", &m, &at), "Exit");
  EXPECT_EQ(m, 'x');
  EXPECT_EQ(at, 1);
  EXPECT_EQ(ui::StripMnemonic("Save && &Quit", &m, &at), "Save & Quit");
  EXPECT_EQ(m, 'q');
  EXPECT_EQ(at, 7);
  EXPECT_EQ(ui::StripMnemonic("Plain", &m, &at), "Plain");
  EXPECT_EQ(m, 0);
  EXPECT_EQ(ui::WrapText("one two three four", 9),
            (std::vector<std::string>{"one two", "three", "four"}));
  EXPECT_EQ(ui::WrapText("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(ui::WrapText("a\nb", 10), (std::vector<std::string>{"a", "b"}));
  // Wide characters take two cells each.
  EXPECT_EQ(ui::WrapText("\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad", 4),
            (std::vector<std::string>{"\xe4\xb8\xad\xe4\xb8\xad", "\xe4\xb8\xad"}));
}

TEST(TerminalLayout, CharacterCellsAndHalvesOfWideCharacters) {
  EXPECT_EQ(ui::CharCells("a"), 1);
  EXPECT_EQ(ui::CharCells("ж"), 1);
  EXPECT_EQ(ui::CharCells("中"), 2);
  EXPECT_EQ(ui::CharCells("한"), 2);
  EXPECT_EQ(ui::CharCells("Ａ"), 2);            // full-width Latin
  EXPECT_EQ(ui::CharCells("\xCC\x81"), 0);      // U+0301, a combining acute
  EXPECT_EQ(ui::CharCells("\xE3\x82\x99"), 0);  // U+3099, the kana voicing mark
  EXPECT_EQ(ui::CharCells("\xFF"), 1);          // a stray byte
  EXPECT_EQ(ui::TextCells("Größe 大小\xE4\xB8"), 12);
  // Writing over half of a wide character blanks its other half; one that does not fit is left out.
  BufferScreen s(6, 1);
  s.Put(0, 0, "中文", ui::kAttrNone);
  s.Put(1, 0, "x", ui::kAttrNone);
  s.Put(3, 0, "y", ui::kAttrNone);
  s.Put(5, 0, "中", ui::kAttrNone);
  EXPECT_EQ(s.Row(0), " x y  ");
  s.Put(0, 0, "中\x01", ui::kAttrNone);
  EXPECT_EQ(s.Row(0), "中?y  ");
}

// Draws the every-kind dialog once, from inside its run, and hands the screen to `check`.
void DrawEveryKind(BufferScreen& screen, const std::function<void(ProbeDialog&)>& setup,
                   const std::function<void(BufferScreen&, ui::TerminalRenderer&)>& check) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  bool checked = false;  // the checks run inside the dialog's run: make sure they ran at all
  dlg.init = [&](ProbeDialog& d) {
    checked = true;
    if (setup) setup(d);
    ui::TerminalRenderer r(screen);
    ui::ViewMap views;
    r.Begin();
    r.DrawDialog(d, true, &d, d.GetFocusId(), views);
    r.End();
    check(screen, r);
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_TRUE(checked);
}

TEST(TerminalRender, EveryKindOfControlIsDrawnInItsCells) {
  BufferScreen screen(80, 30);
  DrawEveryKind(
      screen,
      [](ProbeDialog& d) {
        d.GetComboBox(10).AddString("Bluetooth");
        d.GetComboBox(10).SetCurSel(0);
        d.GetListBox(11).AddString("first row");
        d.GetListBox(11).AddString("second row");
        d.GetListBox(11).SetSel(1, true);
        // 30 pixels make 5 cells; the last column takes the rest of the control's 25.
        d.GetListView(12).InsertColumn(0, "Name", 30);
        d.GetListView(12).InsertItem(0, "logo-of-the-shop.bmp");
        d.CheckDlgButton(23, true);
        d.SetRadioIndex(20, 1);
        d.GetProgress(25).SetRange(0, 200);
        d.GetProgress(25).SetPos(90);
        d.GetEdit(14).SetText("typed");
        d.GotoDlgCtrl(1000);
      },
      [](BufferScreen& s, ui::TerminalRenderer&) {
        // Centred: 52 x 21 on 80 x 30.
        EXPECT_EQ(s.Row(4).substr(0, 14 + 3), std::string(14, ' ') + "┌");
        int x = 0, y = 0;
        ASSERT_TRUE(s.Find(" Every Kind ", &x, &y));
        EXPECT_EQ(y, 4);
        EXPECT_TRUE(s.At(x + 1, y).attrs & ui::kAttrReverse);  // the active title
        ASSERT_TRUE(s.Find("Label :", &x, &y));
        EXPECT_EQ(x, 14 + 1 + 1);  // frame + 5 units -> 1 cell
        EXPECT_EQ(y, 4 + 1 + 1);
        EXPECT_TRUE(s.Contains("Bluetooth"));
        EXPECT_TRUE(s.Contains("second row"));
        ASSERT_TRUE(s.Find("second row", &x, &y));
        EXPECT_TRUE(s.At(x, y).attrs & ui::kAttrReverse);  // the selected row
        ASSERT_TRUE(s.Find("first row", &x, &y));
        EXPECT_FALSE(s.At(x, y).attrs & ui::kAttrReverse);
        EXPECT_TRUE(s.Contains("Name"));
        EXPECT_TRUE(s.Contains("logo-of-the-shop.bmp"));
        EXPECT_TRUE(s.Contains("[x] Check"));
        EXPECT_TRUE(s.Contains("( ) A"));
        EXPECT_TRUE(s.Contains("(*) B"));
        EXPECT_TRUE(s.Contains("45%"));  // 90 of 0..200
        EXPECT_TRUE(s.Contains(" 10.  0.  0.  1"));
        EXPECT_TRUE(s.Contains("typed"));
        EXPECT_TRUE(s.Contains("┌ Group "));
        EXPECT_TRUE(s.Contains("[>Go<]"));  // the focus mark
        EXPECT_TRUE(s.Contains("[ OK ]"));
        ASSERT_TRUE(s.Find("OK", &x, &y));
        EXPECT_TRUE(s.At(x, y).attrs & ui::kAttrBold);  // the default button
        EXPECT_FALSE(s.Contains("Hidden"));
      });
}

TEST(TerminalRender, AnEmptyListShowsItsOutline) {
  BufferScreen screen(80, 30);
  DrawEveryKind(
      screen,
      [](ProbeDialog& d) {
        d.GetListView(12).InsertColumn(0, "Name", 30);
        d.GetListView(12).InsertItem(0, "logo.bmp");
        d.GotoDlgCtrl(1000);
      },
      [](BufferScreen& s, ui::TerminalRenderer&) {
        // List box 11 fills cells (16, 8) to (30, 12) of the dialog placed at (14, 4): empty, it
        // is outlined, dimmed as it has no focus.
        EXPECT_EQ(s.At(16, 8).glyph + s.At(30, 8).glyph, "┌┐");
        EXPECT_EQ(s.At(16, 12).glyph + s.At(30, 12).glyph, "└┘");
        EXPECT_EQ(s.At(16, 10).glyph + s.At(30, 10).glyph, "││");
        EXPECT_TRUE(s.At(16, 8).attrs & ui::kAttrDim);
        // The list view beside it, from (33, 8), has a row under its header and no outline.
        EXPECT_EQ(s.At(33, 9).glyph + s.At(34, 9).glyph, " l");
      });
}

TEST(TerminalRender, DisabledControlsAreDimmedAndHiddenOnesAbsent) {
  BufferScreen screen(80, 30);
  DrawEveryKind(
      screen,
      [](ProbeDialog& d) {
        d.EnableDlgItem(2, false);
        d.ShowDlgItem(1000, false);
      },
      [](BufferScreen& s, ui::TerminalRenderer& r) {
        int x = 0, y = 0;
        ASSERT_TRUE(s.Find("Cancel", &x, &y));
        EXPECT_TRUE(s.At(x, y).attrs & ui::kAttrDim);
        ASSERT_TRUE(s.Find("OK", &x, &y));
        EXPECT_FALSE(s.At(x, y).attrs & ui::kAttrDim);
        EXPECT_FALSE(s.Contains("Go"));
        // Nothing to click where the hidden button was.
        int ok_hits = 0;
        for (const auto& hit : r.Hits()) {
          if (hit.control != nullptr) {
            EXPECT_NE(hit.control->id(), 1000);
            if (hit.control->id() == 1) ++ok_hits;
          }
        }
        EXPECT_GE(ok_hits, 1);  // the visible buttons are still there to click
      });
}

TEST(TerminalRender, PictureUsesHalfBlocksInTheImageColours) {
  BufferScreen screen(80, 30, ui::ColorDepth::kTrueColor);
  DrawEveryKind(
      screen,
      [](ProbeDialog& d) {
        // 5 x 4, the size of the frame's inside (5 x 2 cells): rows red, blue, green, white.
        ui::RgbImage img{5, 4, {}};
        const uint8_t rows[4][3] = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 255, 255}};
        for (int y = 0; y < 4; ++y) {
          for (int x = 0; x < 5; ++x) img.rgb.insert(img.rgb.end(), rows[y], rows[y] + 3);
        }
        ASSERT_TRUE(d.GetPicture(27).SetImage(img));
      },
      [](BufferScreen& s, ui::TerminalRenderer&) {
        int red_over_blue = 0;
        int green_over_white = 0;
        for (int y = 0; y < s.Height(); ++y) {
          for (int x = 0; x < s.Width(); ++x) {
            const auto& c = s.At(x, y);
            if (!c.colored) continue;
            EXPECT_EQ(c.glyph, "▀");
            if (c.fg == ui::Rgb{255, 0, 0} && c.bg == ui::Rgb{0, 0, 255}) ++red_over_blue;
            if (c.fg == ui::Rgb{0, 255, 0} && c.bg == ui::Rgb{255, 255, 255}) {
              ++green_over_white;
            }
          }
        }
        EXPECT_EQ(red_over_blue, 5);  // one row of cells each
        EXPECT_EQ(green_over_white, 5);
      });
}

TEST(TerminalRender, AShortTerminalSqueezesOutBlankRowsThenScrolls) {
  // 52 x 21 on 60 x 20 (19 rows above the key line): client rows 0 and 2, the blank ones
  // nearest the top of the gaps, go; every control keeps its own rows.
  BufferScreen fits(60, 20);
  DrawEveryKind(fits, nullptr, [](BufferScreen& s, ui::TerminalRenderer& r) {
    EXPECT_FALSE(r.LastDialogScrolls());
    EXPECT_EQ(r.LastDialogRect(), (CellRect{4, 0, 52, 19}));
    int x = 0, y = 0;
    ASSERT_TRUE(s.Find("Label :", &x, &y));
    EXPECT_EQ(y, 1);
    ASSERT_TRUE(s.Find("[ Go ]", &x, &y));
    EXPECT_EQ(y, 3);
    ASSERT_TRUE(s.Find("Cancel", &x, &y));
    EXPECT_EQ(y, 8);
    ASSERT_TRUE(s.Find("( ) A", &x, &y));
    EXPECT_EQ(y, 9);
    ASSERT_TRUE(s.Find(" Group ", &x, &y));
    EXPECT_EQ(y, 12);
    EXPECT_EQ(s.At(x - 1, 16).glyph, "└");  // the group keeps its five rows
    EXPECT_EQ(s.At(4, 18).glyph, "└");      // the dialog's bottom line, above the key line
  });
  // 40 x 12: too small even squeezed; it scrolls to the focus.
  BufferScreen small(40, 12);
  DrawEveryKind(
      small, [](ProbeDialog& d) { d.GotoDlgCtrl(2); },
      [](BufferScreen& s, ui::TerminalRenderer& r) {
        EXPECT_TRUE(r.LastDialogScrolls());
        EXPECT_TRUE(s.Contains("Cancel"));  // the focused button is in view
      });
}

TEST(TerminalRender, MessageBoxIsACentredOverlayWithIconAndButtons) {
  BufferScreen screen(60, 20);
  ui::TerminalRenderer r(screen);
  r.Begin();
  r.DrawMessageBox(
      {"Pelliset", "Not connected USB printer!", ui::MB_YESNO | ui::MB_ICONQUESTION, 1});
  r.End();
  EXPECT_TRUE(screen.Contains(" Pelliset "));
  int icon_x = 0, icon_y = 0;
  ASSERT_TRUE(screen.Find("(?)", &icon_x, &icon_y));
  EXPECT_TRUE(screen.Row(icon_y).find("Not connected USB printer!") != std::string::npos);
  EXPECT_TRUE(screen.Contains("[ Yes ]"));
  EXPECT_TRUE(screen.Contains("[>No<]"));
  int x = 0, y = 0;
  ASSERT_TRUE(screen.Find("Not connected", &x, &y));
  EXPECT_NEAR(y, 10, 2);
}

}  // namespace
