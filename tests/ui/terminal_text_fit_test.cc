// Texts measured against their controls by the terminal's rule: 4 dialog units a cell, two cells
// a wide character, and what each kind draws around its caption.

#include "ui/terminal/terminal_text_fit.h"

#include <gtest/gtest.h>

#include "ui/core/string_table.h"

namespace {

using ui::ControlKind;

std::vector<int> CutIds(const ui::Template& t, const ui::Resources& res,
                        const std::map<int, std::string>& texts = {}) {
  std::vector<int> ids;
  for (const ui::CutText& c : ui::FindCutTexts(t, res, texts)) ids.push_back(c.control_id);
  return ids;
}

TEST(TerminalTextFit, EachKindCountsWhatItDrawsAroundItsCaption) {
  // Each pair: one that just fits (4 or 9 cells wide), one a cell too long.
  const ui::Template t{700,
                       "Fit",
                       100,
                       100,
                       {
                           {1, ControlKind::kButton, "&Go", {0, 0, 16, 14}},
                           {2, ControlKind::kButton, "Gone", {0, 16, 16, 14}},
                           {3, ControlKind::kCheckBox, "Check", {0, 32, 36, 10}},
                           {4, ControlKind::kRadio, "Checks", {0, 44, 36, 10}},
                           {5, ControlKind::kGroupBox, "Größe", {40, 0, 36, 30}},
                           {6, ControlKind::kGroupBox, "Frames", {40, 32, 36, 30}},
                           {7, ControlKind::kStatic, "Label :", {0, 56, 28, 8}},
                           {8, ControlKind::kStatic, "Labels :", {0, 66, 28, 8}},
                           {9, ControlKind::kStatic, "one two three", {40, 64, 28, 16}},
                           {10, ControlKind::kStatic, "one two three four", {40, 82, 28, 16}},
                           {11, ControlKind::kEdit, "an edit scrolls its text", {0, 80, 8, 12}},
                       }};
  const ui::Resources english;
  EXPECT_EQ(CutIds(t, english), (std::vector<int>{2, 4, 6, 8, 10}));

  // A text the dialog sets when it opens is measured instead of the caption.
  EXPECT_EQ(CutIds(t, english, {{7, "Port :"}, {9, "a\r\nb\r\nc"}}),
            (std::vector<int>{2, 4, 6, 8, 9, 10}));

  // A translation that runs longer is cut until the pack gives it room.
  ui::Resources german;
  german.SetPack(ui::ParseResourcePack(
      "pelliset-pack 1\ncaption 700/1 = Los geht's\nrect 700/2 = 0 16 24 14\n"));
  EXPECT_EQ(CutIds(t, german), (std::vector<int>{1, 4, 6, 8, 10}));
  german.SetPack(ui::ParseResourcePack(
      "pelliset-pack 1\ncaption 700/1 = Los geht's\nrect 700/1 = 0 0 48 14\n"));
  const std::vector<ui::CutText> cut = ui::FindCutTexts(t, german);
  ASSERT_EQ(cut.size(), 5u);
  EXPECT_EQ(cut[0].control_id, 2);
  EXPECT_EQ(cut[0].needed_cells, 6);
  EXPECT_EQ(cut[0].cells, 4);

  // A one-row label that fills its cells runs into a field starting in the very next cell.
  const ui::Template row{701,
                         "Row",
                         100,
                         40,
                         {
                             {1, ControlKind::kStatic, "Bits :", {0, 0, 24, 8}},
                             {2, ControlKind::kComboBox, "", {24, 0, 20, 40}},
                             {3, ControlKind::kStatic, "Bits :", {0, 16, 24, 8}},
                             {4, ControlKind::kComboBox, "", {28, 16, 20, 40}},
                             {5, ControlKind::kStatic, "Bit :", {0, 30, 24, 8}},
                             {6, ControlKind::kComboBox, "", {24, 30, 20, 40}},
                         }};
  EXPECT_EQ(CutIds(row, english), (std::vector<int>{1}));
}

}  // namespace
