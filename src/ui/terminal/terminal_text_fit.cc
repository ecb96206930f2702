#include "ui/terminal/terminal_text_fit.h"

#include "ui/terminal/terminal_render.h"
#include "ui/terminal/terminal_screen.h"

namespace ui {
namespace {

// The cells a caption needs beside what the kind draws around it, or -1 when the kind's text is
// not a caption (edits and lists scroll their contents).
int CaptionCells(ControlKind kind, int text_cells) {
  switch (kind) {
    case ControlKind::kButton:
      return text_cells + 2;  // "[" and "]" at the least; the blanks go first when narrow
    case ControlKind::kCheckBox:
    case ControlKind::kRadio:
      return text_cells + 4;  // "[x] " / "( ) "
    case ControlKind::kGroupBox:
      return text_cells + 4;  // the corners and a blank either side
    default:
      return -1;
  }
}

// Whether a control of `t` other than `label` begins on `r`'s row in the cell just right of it, so
// a text filling `r` would run into it ("Bits :8").
bool TouchesRight(const Template& t, const ControlTemplate& label, const CellRect& r) {
  for (const ControlTemplate& c : t.controls) {
    const CellRect o = ToCells(c.rect);
    if (&c != &label && o.x == r.x + r.w && o.y == r.y) return true;
  }
  return false;
}

}  // namespace

std::vector<CutText> FindCutTexts(const Template& english, const Resources& res,
                                  const std::map<int, std::string>& texts) {
  const Template t = res.LaidOut(english);
  std::vector<CutText> cut;
  for (const ControlTemplate& c : t.controls) {
    const auto given = texts.find(c.id);
    const std::string text =
        given != texts.end() ? given->second : res.ControlCaption(t.id, c.id, c.caption);
    const std::string shown = StripMnemonic(text);
    if (shown.empty()) continue;
    const CellRect r = ToCells(c.rect);
    if (c.kind == ControlKind::kStatic) {
      const bool one_row = c.rect.h <= kUnitsPerCellY + kUnitsPerCellY / 2;
      const int rows = one_row ? 1 : r.h;
      const int needed = static_cast<int>(WrapText(shown, r.w).size());
      if (needed > rows) {
        cut.push_back(
            {t.id, c.id, text, one_row ? TextCells(shown) : needed, one_row ? r.w : rows});
      } else if (one_row && TextCells(shown) == r.w && shown.back() != ' ' &&
                 TouchesRight(t, c, r)) {  // a closing blank keeps the two apart
        cut.push_back({t.id, c.id, text, r.w + 1, r.w});
      }
      continue;
    }
    const int needed = CaptionCells(c.kind, TextCells(shown));
    if (needed > r.w) cut.push_back({t.id, c.id, text, needed, r.w});
  }
  return cut;
}

}  // namespace ui
