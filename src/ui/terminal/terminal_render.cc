#include "ui/terminal/terminal_render.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/system/ascii_case.h"
#include "ui/core/utf8.h"
#include "ui/terminal/terminal_file_browser.h"

namespace ui {
namespace {

// Box-drawing pieces.
constexpr const char* kH = "─";
constexpr const char* kV = "│";
constexpr const char* kTL = "┌";
constexpr const char* kTR = "┐";
constexpr const char* kBL = "└";
constexpr const char* kBR = "┘";
// Drop-down lists show at most this many rows when open.
constexpr int kDropRows = 8;
// List view column widths come in pixels; a character cell is about this wide.
constexpr int kPixelsPerCell = 6;

std::string Repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string Centered(std::string_view text, int width) {
  const int cells = std::min(TextCells(text), width);
  const int left = std::max(0, (width - cells) / 2);
  return FitToCells(std::string(static_cast<size_t>(left), ' ') + std::string(text), width);
}

bool SingleLine(ControlKind kind) {
  return kind != ControlKind::kStatic && kind != ControlKind::kGroupBox &&
         kind != ControlKind::kListBox && kind != ControlKind::kListView &&
         kind != ControlKind::kTab && kind != ControlKind::kPicture;
}

const char* IconMark(unsigned flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
      return "(X)";
    case MB_ICONQUESTION:
      return "(?)";
    case MB_ICONEXCLAMATION:
      return "(!)";
    case MB_ICONINFORMATION:
      return "(i)";
    default:
      return "";
  }
}

int Percent(int pos, int min, int max) {
  if (max <= min) return 0;
  const long long p =
      (static_cast<long long>(pos) - min) * 100 / (static_cast<long long>(max) - min);
  return static_cast<int>(std::clamp<long long>(p, 0, 100));
}

// 256-colour terminals: the nearest entry of the 6x6x6 cube or the grey ramp is the screen's
// business; here the pixel stays RGB and the adapter maps it.
Rgb Pixel(const RgbImage& img, int x, int y) {
  const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(img.width) + x) * 3;
  return {img.rgb[at], img.rgb[at + 1], img.rgb[at + 2]};
}

}  // namespace

std::string FitToCells(std::string_view text, int width) {
  std::string out;
  int cells = 0;
  for (const auto& c : Utf8Characters(text)) {
    const int w = CharCells(c);
    if (cells + w > width) break;
    out += c;
    cells += w;
  }
  out.append(static_cast<size_t>(std::max(0, width - cells)), ' ');
  return out;
}

CellRect ToCells(const Rect& u) {
  CellRect r;
  r.x = (u.x + kUnitsPerCellX / 2) / kUnitsPerCellX;
  r.y = (u.y + kUnitsPerCellY / 2) / kUnitsPerCellY;
  const int right = (u.x + u.w + kUnitsPerCellX / 2) / kUnitsPerCellX;
  const int bottom = (u.y + u.h + kUnitsPerCellY / 2) / kUnitsPerCellY;
  r.w = std::max(1, right - r.x);
  r.h = std::max(1, bottom - r.y);
  return r;
}

int DialogCellsWide(const Template& t) {
  return (t.width + kUnitsPerCellX - 1) / kUnitsPerCellX + 2;
}
int DialogCellsHigh(const Template& t) {
  return (t.height + kUnitsPerCellY - 1) / kUnitsPerCellY + 2;
}

std::string StripMnemonic(std::string_view caption, char* mnemonic, int* index) {
  std::string out;
  char letter = 0;
  int at = -1;
  int chars = 0;
  const auto parts = Utf8Characters(caption);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i] == "&" && i + 1 < parts.size()) {
      ++i;
      if (parts[i] != "&" && letter == 0 && parts[i].size() == 1) {
        letter = platform::AsciiLower(parts[i][0]);
        at = chars;
      }
    }
    out += parts[i];
    ++chars;
  }
  if (mnemonic) *mnemonic = letter;
  if (index) *index = at;
  return out;
}

std::vector<std::string> WrapText(std::string_view text, int width) {
  std::vector<std::string> lines;
  width = std::max(1, width);
  // Blanks and line feeds are single bytes, never part of a longer UTF-8 sequence.
  for (size_t start = 0, feed = 0; feed != text.npos; start = feed + 1) {
    feed = text.find('\n', start);
    std::string_view paragraph = text.substr(start, feed - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    std::string line;
    int line_cells = 0;
    auto new_line = [&] {
      lines.push_back(std::exchange(line, {}));
      line_cells = 0;
    };
    auto add_word = [&](std::string_view word) {
      if (word.empty()) return;
      if (line_cells > 0 && line_cells + 1 + TextCells(word) > width) new_line();
      if (line_cells > 0) {
        line += ' ';
        ++line_cells;
      }
      for (const auto& c : Utf8Characters(word)) {
        const int w = CharCells(c);
        if (line_cells > 0 && line_cells + w > width) new_line();
        line += c;
        line_cells += w;
      }
    };
    for (size_t at = 0, blank = 0; blank != paragraph.npos; at = blank + 1) {
      blank = paragraph.find(' ', at);
      add_word(paragraph.substr(at, blank - at));
    }
    lines.push_back(line);
  }
  return lines;
}

namespace {

// Key hints ("Enter open/choose  Tab path  Esc cancel") wrapped between their groups, which stand
// two blanks apart, so that a key stays on the line of what it does; a group wider than `width`
// is wrapped at its blanks.
std::vector<std::string> WrapKeyGroups(std::string_view text, int width) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t at = text.find_first_not_of(' '); at != text.npos;) {
    const size_t gap = std::min(text.find("  ", at), text.size());
    const std::string group(text.substr(at, gap - at));
    at = text.find_first_not_of(' ', gap);
    const std::string joined = line.empty() ? group : line + "  " + group;
    if (TextCells(joined) <= width) {
      line = joined;
      continue;
    }
    if (!line.empty()) lines.push_back(std::exchange(line, {}));
    std::vector<std::string> parts = WrapText(group, width);
    line = parts.back();
    parts.pop_back();
    lines.insert(lines.end(), parts.begin(), parts.end());
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

int ScrollToCaret(const std::vector<std::string>& chars, int caret, int width, int* first) {
  caret = std::clamp(caret, 0, static_cast<int>(chars.size()));
  *first = std::clamp(*first, 0, caret);
  const size_t at = static_cast<size_t>(caret);
  const int caret_cells = at < chars.size() ? std::max(1, CharCells(chars[at])) : 1;
  int cells = 0;
  for (int i = *first; i < caret; ++i) cells += CharCells(chars[static_cast<size_t>(i)]);
  while (*first < caret && cells + caret_cells > width) {
    cells -= CharCells(chars[static_cast<size_t>((*first)++)]);
  }
  return cells;
}

int CharAtCell(const std::vector<std::string>& chars, int first, int cell) {
  size_t i = static_cast<size_t>(std::clamp(first, 0, static_cast<int>(chars.size())));
  for (int cells = 0; i < chars.size(); ++i) {
    cells += CharCells(chars[i]);
    if (cells > cell) break;
  }
  return static_cast<int>(i);
}

void TerminalRenderer::Begin() {
  screen_.Clear();
  hits_.clear();
  cursor_set_ = false;
}

void TerminalRenderer::End() {
  if (!cursor_set_) screen_.SetCursor(0, 0, false);
  screen_.Flush();
}

const HitArea* TerminalRenderer::HitAt(int x, int y) const {
  for (auto it = hits_.rbegin(); it != hits_.rend(); ++it) {
    if (it->rect.Contains(x, y)) return &*it;
  }
  return nullptr;
}

void TerminalRenderer::AddHit(HitArea::What what, const CellRect& r, Dialog* owner, Control* c,
                              int index) {
  hits_.push_back({what, r, owner, c, index});
}

void TerminalRenderer::Fill(const CellRect& r, uint32_t attrs) {
  const std::string blank(static_cast<size_t>(std::max(0, r.w)), ' ');
  for (int y = r.y; y < r.y + r.h; ++y) screen_.Put(r.x, y, blank, attrs);
}

void TerminalRenderer::PutClipped(int x, int y, int width, std::string_view text, uint32_t attrs) {
  if (width <= 0) return;
  screen_.Put(x, y, FitToCells(text, width), attrs);
}

void TerminalRenderer::PutCaption(int x, int y, int width, std::string_view caption,
                                  uint32_t attrs) {
  int index = -1;
  const std::string text = StripMnemonic(caption, nullptr, &index);
  PutClipped(x, y, width, text, attrs);
  if (index < 0) return;
  const auto chars = Utf8Characters(text);
  int cells = 0;
  for (int i = 0; i < index && i < static_cast<int>(chars.size()); ++i)
    cells += CharCells(chars[i]);
  if (index < static_cast<int>(chars.size()) &&
      cells + CharCells(chars[static_cast<size_t>(index)]) <= width) {
    screen_.Put(x + cells, y, chars[static_cast<size_t>(index)], attrs | kAttrUnderline);
  }
}

void TerminalRenderer::Frame(const CellRect& r, std::string_view title, uint32_t attrs,
                             uint32_t title_attrs) {
  if (r.w < 2 || r.h < 2) return;
  screen_.Put(r.x, r.y, std::string(kTL) + Repeat(kH, r.w - 2) + kTR, attrs);
  for (int y = r.y + 1; y < r.y + r.h - 1; ++y) {
    screen_.Put(r.x, y, kV, attrs);
    screen_.Put(r.x + r.w - 1, y, kV, attrs);
  }
  screen_.Put(r.x, r.y + r.h - 1, std::string(kBL) + Repeat(kH, r.w - 2) + kBR, attrs);
  if (!title.empty() && r.w > 4) {
    const std::string t = " " + std::string(title) + " ";
    const int cells = std::min(TextCells(t), r.w - 2);
    PutClipped(r.x + (r.w - cells) / 2, r.y, cells, t, title_attrs);
  }
}

int TerminalRenderer::DialogRows() const { return std::max(1, screen_.Height() - 1); }

bool TerminalRenderer::Fits(const Template& t) const {
  return DialogCellsWide(t) <= screen_.Width() && DialogCellsHigh(t) <= DialogRows();
}

namespace {

// Marks the client rows a control draws on: one row for the one-line kinds, the border rows of
// frames, every row of lists, pictures and wrapped texts.
void MarkRows(const Dialog& d, int page_y, std::vector<char>* need) {
  auto mark = [&](int row) {
    if (row >= 0 && row < static_cast<int>(need->size())) (*need)[static_cast<size_t>(row)] = 1;
  };
  for (const auto& cp : d.Controls()) {
    const Control& c = *cp;
    if (!d.IsControlShown(c)) continue;
    const CellRect r = ToCells(c.rect());
    const int top = page_y + r.y;
    const int bottom = top + r.h - 1;
    if (SingleLine(c.kind()) ||
        (c.kind() == ControlKind::kStatic && c.rect().h <= kUnitsPerCellY + kUnitsPerCellY / 2)) {
      mark(page_y + (c.rect().y + std::min(c.rect().h, 14) / 2) / kUnitsPerCellY);
    } else if (c.kind() == ControlKind::kGroupBox) {
      mark(top);
      mark(bottom);
    } else if (c.kind() == ControlKind::kTab) {
      mark(top);
      mark(top + 1);
      mark(bottom);
    } else {
      for (int y = top; y <= bottom; ++y) mark(y);
    }
  }
  for (const Dialog* page : d.Pages()) {
    if (!page->IsWindowVisible()) continue;
    MarkRows(*page, page_y + ToCells({page->PageX(), page->PageY(), 0, 0}).y, need);
  }
}

}  // namespace

namespace {

// Marks the client columns a control covers (all of them: text runs anywhere in its rect).
void MarkCols(const Dialog& d, int page_x, std::vector<char>* need) {
  for (const auto& cp : d.Controls()) {
    if (!d.IsControlShown(*cp)) continue;
    const CellRect r = ToCells(cp->rect());
    for (int x = page_x + r.x; x < page_x + r.x + r.w; ++x) {
      if (x >= 0 && x < static_cast<int>(need->size())) (*need)[static_cast<size_t>(x)] = 1;
    }
  }
  for (const Dialog* page : d.Pages()) {
    if (!page->IsWindowVisible()) continue;
    MarkCols(*page, page_x + ToCells({page->PageX(), page->PageY(), 0, 0}).x, need);
  }
}

// Drops lines (rows or columns) nothing needs until at most `target` remain, the middle of the
// longest run of removable lines first, so gaps shrink evenly. Returns old line -> new line for
// every line and one past the end (a dropped line maps to where the next kept one lands).
std::vector<int> Squeeze(const std::vector<char>& need, int target, int* kept_out) {
  const int full = static_cast<int>(need.size());
  std::vector<char> keep(need.size(), 1);
  int kept = full;
  while (kept > target) {
    int best_at = -1;
    int best_len = 0;
    for (int y = 0; y < full;) {
      if (need[static_cast<size_t>(y)] || !keep[static_cast<size_t>(y)]) {
        ++y;
        continue;
      }
      int len = 0;
      int end = y;
      while (end < full && !need[static_cast<size_t>(end)]) {
        if (keep[static_cast<size_t>(end)]) ++len;
        ++end;
      }
      if (len > best_len) {
        best_len = len;
        best_at = y;
      }
      y = end;
    }
    if (best_at < 0) break;
    int skip = best_len / 2;
    for (int y = best_at;; ++y) {
      if (!keep[static_cast<size_t>(y)]) continue;
      if (skip-- == 0) {
        keep[static_cast<size_t>(y)] = 0;
        break;
      }
    }
    --kept;
  }
  std::vector<int> map(static_cast<size_t>(full) + 1, 0);
  int at = 0;
  for (int y = 0; y <= full; ++y) {
    map[static_cast<size_t>(y)] = at;
    if (y < full && keep[static_cast<size_t>(y)]) ++at;
  }
  *kept_out = kept;
  return map;
}

int MapLine(const std::vector<int>& map, int origin, int line) {
  const int rel = line - origin;
  if (map.empty() || rel < 0) return line;
  const int last = static_cast<int>(map.size()) - 1;
  if (rel > last) return origin + map.back() + (rel - last);
  return origin + map[static_cast<size_t>(rel)];
}

}  // namespace

int TerminalRenderer::CompressRows(Dialog& dialog, int client_rows) {
  std::vector<char> need(
      static_cast<size_t>(std::max(0, DialogCellsHigh(dialog.GetTemplate()) - 2)));
  MarkRows(dialog, 0, &need);
  int kept = 0;
  rows_ = Squeeze(need, client_rows, &kept);
  return kept;
}

int TerminalRenderer::CompressCols(Dialog& dialog, int client_cols) {
  std::vector<char> need(
      static_cast<size_t>(std::max(0, DialogCellsWide(dialog.GetTemplate()) - 2)));
  MarkCols(dialog, 0, &need);
  int kept = 0;
  cols_ = Squeeze(need, client_cols, &kept);
  return kept;
}

int TerminalRenderer::MapRow(int row) const { return MapLine(rows_, client_y_, row); }
int TerminalRenderer::MapCol(int col) const { return MapLine(cols_, client_x_, col); }

void TerminalRenderer::DrawDialog(Dialog& dialog, bool active, const Dialog* focus_owner,
                                  int focus_id, ViewMap& views, std::optional<int> top_row) {
  const Template& t = dialog.GetTemplate();
  CellRect outer{0, 0, DialogCellsWide(t), DialogCellsHigh(t)};
  const int sw = screen_.Width();
  const int sh = DialogRows();
  rows_.clear();
  cols_.clear();
  client_y_ = 0;
  client_x_ = 0;
  if (outer.h > sh) outer.h = CompressRows(dialog, sh - 2) + 2;
  if (outer.w > sw) outer.w = CompressCols(dialog, sw - 2) + 2;
  // A dialog larger than the screen scrolls so the focused control stays in view, unless the
  // user scrolled it.
  CellRect focus_rect{outer.w / 2, outer.h / 2, 1, 1};
  if (focus_owner != nullptr) {
    if (const Control* fc = focus_owner->FindControl(focus_id)) {
      focus_rect = ToCells(fc->rect());
      for (const Dialog* d = focus_owner; d->Parent() != nullptr; d = d->Parent()) {
        const CellRect page = ToCells({d->PageX(), d->PageY(), 0, 0});
        focus_rect.x += page.x;
        focus_rect.y += page.y;
      }
      focus_rect.y = MapRow(focus_rect.y);
      focus_rect.x = MapCol(focus_rect.x);
      focus_rect.x += 1;
      focus_rect.y += 1;
    }
  }
  auto place = [](int screen, int size, int focus_at, int focus_len) {
    if (size <= screen) return (screen - size) / 2;
    int origin = screen / 2 - (focus_at + focus_len / 2);
    return std::clamp(origin, screen - size, 0);
  };
  outer.x = place(sw, outer.w, focus_rect.x, focus_rect.w);
  outer.y = place(sh, outer.h, focus_rect.y, focus_rect.h);
  if (top_row && outer.h > sh) outer.y = std::clamp(-*top_row, sh - outer.h, 0);
  last_dialog_ = outer;
  last_scrolls_ = outer.w > sw || outer.h > sh;
  client_y_ = outer.y + 1;
  client_x_ = outer.x + 1;

  const uint32_t frame_attrs = active ? kAttrNone : kAttrDim;
  Fill(outer, frame_attrs);
  Frame(outer, dialog.GetWindowText(), frame_attrs, active ? kAttrBold | kAttrReverse : kAttrDim);
  AddHit(HitArea::What::kControl, outer, &dialog, nullptr, -1);

  std::vector<std::pair<Dialog*, Control*>> popups;
  std::vector<std::pair<int, int>> popup_origins;
  DrawFamily(dialog, outer.x + 1, outer.y + 1, active, focus_owner, focus_id, views, &popups,
             &popup_origins);
  for (size_t i = 0; i < popups.size(); ++i) {
    DrawDropDown(*popups[i].first, static_cast<ComboBox&>(*popups[i].second),
                 popup_origins[i].first, popup_origins[i].second, views[popups[i].second]);
  }
  rows_.clear();
  cols_.clear();
}

void TerminalRenderer::DrawFamily(Dialog& d, int ox, int oy, bool active, const Dialog* focus_owner,
                                  int focus_id, ViewMap& views,
                                  std::vector<std::pair<Dialog*, Control*>>* popups,
                                  std::vector<std::pair<int, int>>* popup_origins) {
  // Frames first, so the controls inside them are drawn over their lines.
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& cp : d.Controls()) {
      Control& c = *cp;
      if (!d.IsControlShown(c)) continue;
      const bool frame = c.kind() == ControlKind::kGroupBox || c.kind() == ControlKind::kTab;
      if (frame != (pass == 0)) continue;
      const bool focused = active && focus_owner == &d && focus_id == c.id() && c.id() != -1;
      ControlView& view = views[&c];
      DrawControl(d, c, ox, oy, active, focused, view);
      if (c.kind() == ControlKind::kComboBox && view.open && active) {
        popups->push_back({&d, &c});
        popup_origins->push_back({ox, oy});
      }
    }
  }
  for (Dialog* page : d.Pages()) {
    if (!page->IsWindowVisible()) continue;
    const CellRect at = ToCells({page->PageX(), page->PageY(), 0, 0});
    DrawFamily(*page, ox + at.x, oy + at.y, active, focus_owner, focus_id, views, popups,
               popup_origins);
  }
}

void TerminalRenderer::DrawControl(Dialog& owner, Control& c, int ox, int oy, bool active,
                                   bool focused, ControlView& view) {
  CellRect r = ToCells(c.rect());
  r.x += ox;
  r.y += oy;
  if (SingleLine(c.kind()) ||
      (c.kind() == ControlKind::kStatic && c.rect().h <= kUnitsPerCellY + kUnitsPerCellY / 2)) {
    // One row, on the control's middle line (a drop-down list's height includes its list), so a
    // label lines up with the field beside it.
    const int shown_h = std::min(c.rect().h, 14);
    r.y = oy + (c.rect().y + shown_h / 2) / kUnitsPerCellY;
    r.h = 1;
  }
  if (!rows_.empty()) {
    const int top = MapRow(r.y);
    r.h = std::max(1, MapRow(r.y + r.h - 1) - top + 1);
    r.y = top;
  }
  if (!cols_.empty()) {
    const int left = MapCol(r.x);
    r.w = std::max(1, MapCol(r.x + r.w - 1) - left + 1);
    r.x = left;
  }
  const uint32_t base = (!active || !c.IsEnabled()) ? kAttrDim : kAttrNone;
  const uint32_t focus_attr = focused ? kAttrReverse : kAttrNone;
  if (c.id() != -1 || c.kind() != ControlKind::kStatic) {
    AddHit(HitArea::What::kControl, r, &owner, &c, -1);
  }
  switch (c.kind()) {
    case ControlKind::kStatic: {
      const auto lines = WrapText(StripMnemonic(c.GetText()), r.w);
      for (int i = 0; i < r.h && i < static_cast<int>(lines.size()); ++i) {
        if (c.HasStyle(kCentered)) {
          PutClipped(r.x, r.y + i, r.w, Centered(lines[static_cast<size_t>(i)], r.w), base);
        } else if (lines.size() == 1) {
          PutCaption(r.x, r.y + i, r.w, c.GetText(), base);  // keeps the mnemonic mark
        } else {
          PutClipped(r.x, r.y + i, r.w, lines[static_cast<size_t>(i)], base);
        }
      }
      break;
    }
    case ControlKind::kGroupBox: {
      Frame(r, "", base, base);
      const std::string caption = StripMnemonic(c.GetText());
      if (!caption.empty() && r.w > 4) {
        PutCaption(r.x + 1, r.y, std::min(r.w - 2, TextCells(caption) + 2), " " + c.GetText() + " ",
                   base);
      }
      break;
    }
    case ControlKind::kButton: {
      const std::string caption = StripMnemonic(c.GetText());
      const bool is_default = c.HasStyle(kDefault);
      // Narrow buttons give up the blanks inside their brackets before any of the caption.
      const bool tight = TextCells(caption) + 4 > r.w;
      const std::string left = focused ? (tight ? ">" : "[>") : (tight ? "[" : "[ ");
      const std::string right = focused ? (tight ? "<" : "<]") : (tight ? "]" : " ]");
      const int pad = tight ? 1 : 2;
      const int inner = std::max(0, r.w - 2 * pad);
      const int cells = std::min(TextCells(caption), inner);
      const int lead = std::max(0, (r.w - cells - 2 * pad) / 2);
      const int x0 = r.x + lead;
      const uint32_t a = base | focus_attr | (is_default ? kAttrBold : kAttrNone);
      screen_.Put(x0, r.y, left, a);
      PutCaption(x0 + pad, r.y, cells, c.GetText(), a);
      screen_.Put(x0 + pad + cells, r.y, right, a);
      break;
    }
    case ControlKind::kCheckBox:
    case ControlKind::kRadio: {
      const bool checked = c.kind() == ControlKind::kCheckBox
                               ? static_cast<CheckBox&>(c).GetCheck()
                               : static_cast<RadioButton&>(c).GetCheck();
      const std::string mark = c.kind() == ControlKind::kCheckBox ? (checked ? "[x]" : "[ ]")
                                                                  : (checked ? "(*)" : "( )");
      screen_.Put(r.x, r.y, mark, base);
      PutCaption(r.x + 4, r.y, std::min(r.w - 4, TextCells(StripMnemonic(c.GetText()))),
                 c.GetText(), base | focus_attr);
      break;
    }
    case ControlKind::kEdit: {
      auto& e = static_cast<Edit&>(c);
      DrawEditText(r, std::max(1, r.w), e.HasStyle(kPassword), e.GetText(), base, focused, view);
      break;
    }
    case ControlKind::kComboBox: {
      auto& cb = static_cast<ComboBox&>(c);
      const int width = std::max(2, r.w);
      if (cb.IsEditable()) {
        DrawEditText(r, width - 1, false, cb.GetText(), base, focused, view);
      } else {
        PutClipped(r.x, r.y, width - 1, cb.GetText(), base | kAttrUnderline | focus_attr);
      }
      screen_.Put(r.x + width - 1, r.y, "▼", base | focus_attr);
      break;
    }
    case ControlKind::kListBox:
    case ControlKind::kListView: {
      const bool is_view = c.kind() == ControlKind::kListView;
      auto* lb = is_view ? nullptr : &static_cast<ListBox&>(c);
      auto* lv = is_view ? &static_cast<ListView&>(c) : nullptr;
      int top = r.y;
      int rows = r.h;
      // Column widths in cells; the last column also takes what is left of the control, so a
      // cell's text is cut only where the control ends.
      std::vector<int> widths;
      if (is_view) {
        int used = 1;
        for (const auto& col : lv->Columns()) {
          widths.push_back(std::max(3, col.width / kPixelsPerCell));
          used += widths.back() + 1;
        }
        if (!widths.empty()) widths.back() += std::max(0, r.w - used);
      }
      if (is_view && r.h > 1) {
        std::string header = " ";
        for (size_t col = 0; col < widths.size(); ++col) {
          header += FitToCells(lv->Columns()[col].text, widths[col]) + " ";
        }
        PutClipped(r.x, top, r.w, header, base | kAttrBold | kAttrUnderline);
        ++top;
        --rows;
      }
      const int count = is_view ? lv->GetItemCount() : lb->GetCount();
      view.cursor = std::clamp(view.cursor, 0, std::max(0, count - 1));
      if (view.cursor < view.scroll) view.scroll = view.cursor;
      if (view.cursor >= view.scroll + rows) view.scroll = view.cursor - rows + 1;
      view.scroll = std::clamp(view.scroll, 0, std::max(0, count - rows));
      for (int i = 0; i < rows; ++i) {
        const int row = view.scroll + i;
        if (row >= count) {
          PutClipped(r.x, top + i, r.w, "", base);
          continue;
        }
        std::string text;
        bool selected = false;
        if (is_view) {
          for (int col = 0; col < std::max(1, lv->GetColumnCount()); ++col) {
            const int w = widths.empty() ? r.w : widths[static_cast<size_t>(col)];
            text += FitToCells(lv->GetItemText(row, col), w) + " ";
          }
          selected = lv->IsSelected(row);
        } else {
          text = lb->GetItemText(row);
          selected = lb->GetSel(row);
        }
        const std::string caret = focused && row == view.cursor ? ">" : " ";
        PutClipped(r.x, top + i, r.w, caret + text, base | (selected ? kAttrReverse : kAttrNone));
        AddHit(HitArea::What::kRow, {r.x, top + i, r.w, 1}, &owner, &c, row);
      }
      if (count == 0) {
        // Nothing in it: its outline shows where the list is (bold while it has the focus).
        const uint32_t outline = base | (focused ? kAttrBold : kAttrDim);
        if (rows >= 2) {
          Frame({r.x, top, r.w, rows}, "", outline, outline);
        } else if (rows == 1) {
          PutClipped(r.x, top, r.w, std::string(static_cast<size_t>(std::max(0, r.w)), ' '),
                     outline | kAttrUnderline);
        }
      }
      if (count > rows && rows > 1) {
        if (view.scroll > 0) screen_.Put(r.x + r.w - 1, top, "▲", base);
        if (view.scroll + rows < count) screen_.Put(r.x + r.w - 1, top + rows - 1, "▼", base);
      }
      break;
    }
    case ControlKind::kSlider: {
      const int width = SliderTrackCells(r);
      const int knob = static_cast<Slider&>(c).ThumbCell(width);
      std::string track;
      for (int i = 0; i < width; ++i) track += i == knob ? "█" : "─";
      screen_.Put(r.x, r.y, track, base | focus_attr);
      break;
    }
    case ControlKind::kProgress: {
      auto& p = static_cast<ProgressBar&>(c);
      const int width = std::max(1, r.w);
      const int pct = Percent(p.GetPos(), p.GetRangeMin(), p.GetRangeMax());
      const int filled = pct * width / 100;
      const std::string label = std::to_string(pct) + "%";
      const int label_at = (width - TextCells(label)) / 2;
      for (int i = 0; i < width; ++i) {
        std::string cell = i < filled ? "█" : "░";
        if (width >= TextCells(label) + 2 && i >= label_at && i < label_at + TextCells(label)) {
          cell = label.substr(static_cast<size_t>(i - label_at), 1);
          screen_.Put(r.x + i, r.y, cell, base | (i < filled ? kAttrReverse : kAttrNone));
          continue;
        }
        screen_.Put(r.x + i, r.y, cell, base);
      }
      break;
    }
    case ControlKind::kTab: {
      auto& tab = static_cast<TabControl&>(c);
      CellRect body = r;
      if (r.h > 2) {
        body.y += 1;
        body.h -= 1;
        Frame(body, "", base, base);
      }
      int x = r.x;
      for (int i = 0; i < tab.GetItemCount(); ++i) {
        const std::string text = StripMnemonic(tab.GetItemText(i));
        const bool sel = i == tab.GetCurSel();
        const std::string label = sel ? "[" + text + "]" : " " + text + " ";
        const int cells = TextCells(label);
        if (x + cells > r.x + r.w) break;
        screen_.Put(
            x, r.y, label,
            base | (sel ? kAttrBold : kAttrNone) | (sel && focused ? kAttrReverse : kAttrNone));
        AddHit(HitArea::What::kTab, {x, r.y, cells, 1}, &owner, &c, i);
        x += cells + 1;
      }
      break;
    }
    case ControlKind::kIpAddress: {
      const auto octets = static_cast<IpAddress&>(c).GetAddress();
      int x = r.x;
      for (int i = 0; i < 4; ++i) {
        char field[8];
        std::snprintf(field, sizeof field, "%3u", static_cast<unsigned>(octets[i]));
        const bool current = focused && view.cursor == i;
        screen_.Put(x, r.y, field, base | kAttrUnderline | (current ? kAttrReverse : kAttrNone));
        if (current) {
          screen_.SetCursor(x + 2, r.y, true);
          cursor_set_ = true;
        }
        x += 3;
        if (i < 3) screen_.Put(x++, r.y, ".", base);
      }
      break;
    }
    case ControlKind::kPicture: {
      const RgbImage& img = static_cast<PictureFrame&>(c).GetImage();
      Frame(r, "", base, base);
      const int cw = r.w - 2;
      const int ch = r.h - 2;
      if (img.width <= 0 || img.height <= 0 || cw <= 0 || ch <= 0) break;
      // Two pixels per cell, one above the other (upper half block in the top pixel's colour
      // on the bottom pixel's colour), scaled to fit and keeping the image's proportions.
      const int pw = cw;
      const int ph = ch * 2;
      const double scale =
          std::min(static_cast<double>(pw) / img.width, static_cast<double>(ph) / img.height);
      const int dw = std::max(1, static_cast<int>(img.width * scale));
      const int dh = std::max(1, static_cast<int>(img.height * scale));
      const int x0 = r.x + 1 + (pw - dw) / 2;
      const int y0 = (ph - dh) / 2;
      for (int py = y0 - (y0 % 2); py < y0 + dh; py += 2) {
        for (int px = 0; px < dw; ++px) {
          const int sx = std::min(img.width - 1, static_cast<int>(px / scale));
          auto sample = [&](int y) -> Rgb {
            if (y < y0 || y >= y0 + dh) return {0, 0, 0};
            return Pixel(img, sx, std::min(img.height - 1, static_cast<int>((y - y0) / scale)));
          };
          const Rgb top = sample(py);
          const Rgb bottom = sample(py + 1);
          if (screen_.Colors() == ColorDepth::kNone) {
            auto dark = [](Rgb p) { return p.r + p.g + p.b < 384; };
            const char* glyph = dark(top) ? (dark(bottom) ? "█" : "▀") : (dark(bottom) ? "▄" : " ");
            screen_.Put(x0 + px, r.y + 1 + py / 2, glyph, kAttrNone);
          } else {
            screen_.PutColor(x0 + px, r.y + 1 + py / 2, "▀", top, bottom);
          }
        }
      }
      break;
    }
  }
}

void TerminalRenderer::DrawEditText(const CellRect& r, int width, bool password,
                                    const std::string& text, uint32_t base, bool focused,
                                    ControlView& view) {
  auto chars = Utf8Characters(text);
  if (password) std::fill(chars.begin(), chars.end(), "*");
  const int count = static_cast<int>(chars.size());
  view.cursor = std::clamp(view.cursor, 0, count);
  const int caret = ScrollToCaret(chars, view.cursor, width, &view.scroll);
  const std::string shown = JoinCharacters(chars, static_cast<size_t>(view.scroll));
  // Reverse video means "all selected" (typing replaces); otherwise the caret shows where
  // typing goes. The rest of the field is underlined too, so that an empty one shows where it is.
  const bool all_selected = focused && view.anchor == 0 && count > 0;
  const int text_cells = std::min(width, TextCells(shown));
  PutClipped(r.x + text_cells, r.y, width - text_cells,
             std::string(static_cast<size_t>(width - text_cells), ' '), base | kAttrUnderline);
  PutClipped(
      r.x, r.y, width, shown,
      base | kAttrUnderline | (all_selected ? kAttrReverse : (focused ? kAttrBold : kAttrNone)));
  if (focused) {
    screen_.SetCursor(r.x + std::min(width - 1, caret), r.y, true);
    cursor_set_ = true;
  }
}

void TerminalRenderer::DrawDropDown(Dialog& owner, ComboBox& combo, int ox, int oy,
                                    ControlView& view) {
  CellRect r = ToCells(combo.rect());
  r.x = MapCol(r.x + ox);
  r.y = MapRow(oy + (combo.rect().y + std::min(combo.rect().h, 14) / 2) / kUnitsPerCellY);
  const int count = combo.GetCount();
  if (count == 0) return;
  const int rows = std::min(count, kDropRows);
  int width = r.w;
  for (const auto& item : combo.Items()) width = std::max(width, TextCells(item) + 2);
  width = std::min(width, std::max(r.w, screen_.Width() - r.x));
  int top = r.y + 1;
  if (top + rows + 2 > screen_.Height() && r.y - rows - 2 >= 0) top = r.y - rows - 2;
  view.highlight = std::clamp(view.highlight, 0, count - 1);
  if (view.highlight < view.scroll) view.scroll = view.highlight;
  if (view.highlight >= view.scroll + rows) view.scroll = view.highlight - rows + 1;
  view.scroll = std::clamp(view.scroll, 0, count - rows);
  const CellRect box{r.x, top, width, rows + 2};
  Fill(box, kAttrNone);
  Frame(box, "", kAttrNone, kAttrNone);
  AddHit(HitArea::What::kControl, box, &owner, &combo, -1);
  for (int i = 0; i < rows; ++i) {
    const int row = view.scroll + i;
    const bool hl = row == view.highlight;
    PutClipped(box.x + 1, top + 1 + i, width - 2, (hl ? ">" : " ") + combo.GetItemText(row),
               hl ? kAttrReverse : kAttrNone);
    AddHit(HitArea::What::kDropRow, {box.x + 1, top + 1 + i, width - 2, 1}, &owner, &combo, row);
  }
  if (view.scroll > 0) screen_.Put(box.x + width - 1, top + 1, "▲", kAttrNone);
  if (view.scroll + rows < count) screen_.Put(box.x + width - 1, top + rows, "▼", kAttrNone);
}

void TerminalRenderer::DrawMessageBox(const MessageBoxView& box) {
  const int sw = screen_.Width();
  const int sh = screen_.Height();
  const std::string icon = IconMark(box.flags);
  const int icon_cells = icon.empty() ? 0 : TextCells(icon) + 2;
  const int max_text = std::max(10, std::min(60, sw - 6 - icon_cells));
  auto lines = WrapText(box.text, max_text);
  std::vector<std::string> buttons;
  for (const auto& name : MessageBoxButtons(box.flags)) {
    buttons.push_back(ButtonText(Texts(), name));
  }
  int text_w = 0;
  for (const auto& l : lines) text_w = std::max(text_w, TextCells(l));
  int buttons_w = 0;
  for (const auto& b : buttons) buttons_w += TextCells(b) + 6;
  const int inner = std::max({text_w + icon_cells, buttons_w, TextCells(box.caption) + 2, 16});
  const int max_lines = std::max(1, sh - 6);
  if (static_cast<int>(lines.size()) > max_lines) lines.resize(static_cast<size_t>(max_lines));
  const int h = static_cast<int>(lines.size()) + 5;
  const int w = std::min(sw, inner + 4);
  const CellRect r{std::max(0, (sw - w) / 2), std::max(0, (sh - h) / 2), w, h};
  Fill(r, kAttrNone);
  Frame(r, box.caption, kAttrBold, kAttrBold | kAttrReverse);
  AddHit(HitArea::What::kControl, r, nullptr, nullptr, -1);
  if (!icon.empty()) screen_.Put(r.x + 2, r.y + 2, icon, kAttrBold);
  for (size_t i = 0; i < lines.size(); ++i) {
    PutClipped(r.x + 2 + icon_cells, r.y + 2 + static_cast<int>(i), w - 4 - icon_cells, lines[i],
               kAttrNone);
  }
  int x = r.x + (w - buttons_w) / 2 + 1;
  const int y = r.y + h - 2;
  for (size_t i = 0; i < buttons.size(); ++i) {
    const bool focused = static_cast<int>(i) == box.focus;
    const std::string label = (focused ? "[>" : "[ ") + buttons[i] + (focused ? "<]" : " ]");
    const int cells = TextCells(label);
    screen_.Put(x, y, label, focused ? kAttrReverse | kAttrBold : kAttrNone);
    // The first letter answers too; mark it.
    screen_.Put(x + 2, y, buttons[i].substr(0, Utf8SequenceLength(buttons[i], 0)),
                (focused ? kAttrReverse | kAttrBold : kAttrNone) | kAttrUnderline);
    AddHit(HitArea::What::kMessageButton, {x, y, cells, 1}, nullptr, nullptr, static_cast<int>(i));
    x += cells + 2;
  }
}

void TerminalRenderer::DrawFileBrowser(FileBrowser& b) {
  const int sw = screen_.Width();
  const int sh = screen_.Height();
  const int w = std::min(sw, 72);
  // Clear of the bottom row, which the host keeps for its key line and messages.
  const int h = std::min(sh - 1, 22);
  const CellRect r{(sw - w) / 2, (sh - h) / 2, w, h};
  Fill(r, kAttrNone);
  Frame(r, b.Title().empty() ? Texts().Host("file/open") : b.Title(), kAttrBold,
        kAttrBold | kAttrReverse);
  AddHit(HitArea::What::kControl, r, nullptr, nullptr, -1);
  PutClipped(r.x + 2, r.y + 1, w - 4, Texts().Host("file/folder") + " " + b.Dir(), kAttrNone);
  const std::string label = Texts().Host("file/path") + " ";
  const int field_x = r.x + 2 + TextCells(label);
  const int field_w = std::max(1, w - 4 - TextCells(label));
  screen_.Put(r.x + 2, r.y + 2, label, kAttrNone);
  const auto chars = Utf8Characters(b.PathText());
  int first = 0;
  const int caret = ScrollToCaret(chars, b.PathCursor(), field_w, &first);
  PutClipped(field_x, r.y + 2, field_w, JoinCharacters(chars, static_cast<size_t>(first)),
             kAttrUnderline | (b.PathFocused() ? kAttrReverse : kAttrNone));
  AddHit(HitArea::What::kBrowserPath, {field_x, r.y + 2, field_w, 1}, nullptr, nullptr, -1);
  // Under the list: the file type and the keys, each wrapped to the box rather than cut.
  std::string keys = Texts().Host(b.Multiple() ? "file/keys-mark" : "file/keys");
  if (b.Multiple() && b.MarkedCount() > 0) {
    keys = FormatMessage(Texts().Host("file/keys-marked"), {std::to_string(b.MarkedCount())});
  }
  const bool message = !b.Message().empty();
  auto lines_of = [&](const std::string& text) {
    return TextCells(text) <= w - 4 ? std::vector<std::string>{text} : WrapText(text, w - 4);
  };
  const auto type_lines = lines_of(Texts().Host("file/type") + " " + b.Filter().description);
  const auto key_lines = message                    ? lines_of(b.Message())
                         : TextCells(keys) <= w - 4 ? std::vector<std::string>{keys}
                                                    : WrapKeyGroups(keys, w - 4);
  const int foot = static_cast<int>(type_lines.size() + key_lines.size());
  const int list_top = r.y + 4;
  const int rows = std::max(1, h - 6 - foot);
  b.SetPageRows(rows);
  const auto& entries = b.Entries();
  const int scroll = b.Scroll();
  for (int i = 0; i < rows; ++i) {
    const int row = scroll + i;
    if (row >= static_cast<int>(entries.size())) break;
    const auto& e = entries[static_cast<size_t>(row)];
    const bool current = row == b.Cursor();
    std::string text = current && !b.PathFocused() ? ">" : " ";
    if (b.Multiple()) text += e.is_dir ? "    " : (b.IsMarked(row) ? "[x] " : "[ ] ");
    text += e.name + (e.is_dir ? "/" : "");
    const uint32_t mark_attr = b.IsMarked(row) ? kAttrBold : kAttrNone;
    PutClipped(r.x + 2, list_top + i, w - 4, text,
               (current ? (b.PathFocused() ? kAttrBold : kAttrReverse) : kAttrNone) | mark_attr);
    AddHit(HitArea::What::kBrowserRow, {r.x + 2, list_top + i, w - 4, 1}, nullptr, nullptr, row);
  }
  if (entries.empty()) {
    PutClipped(r.x + 2, list_top, w - 4, " " + Texts().Host("file/none"), kAttrDim);
  }
  int y = std::max(list_top + rows, r.y + h - 1 - foot);
  for (const auto& l : type_lines) PutClipped(r.x + 2, y++, w - 4, l, kAttrNone);
  for (const auto& l : key_lines) {
    PutClipped(r.x + 2, y++, w - 4, l, message ? kAttrBold : kAttrDim);
  }
  if (b.PathFocused()) {
    screen_.SetCursor(field_x + std::min(field_w - 1, caret), r.y + 2, true);
    cursor_set_ = true;
  }
}

const Resources& TerminalRenderer::Texts() const {
  static const Resources kEnglish;
  return texts_ != nullptr ? *texts_ : kEnglish;
}

void TerminalRenderer::DrawStatus(std::string_view text) {
  const int y = screen_.Height() - 1;
  PutClipped(0, y, screen_.Width(), text, kAttrReverse);
}

void TerminalRenderer::DrawKeyLine(std::string_view text) {
  PutClipped(0, screen_.Height() - 1, screen_.Width(), text, kAttrDim);
}

void TerminalRenderer::DrawHelp(std::string_view title, const std::vector<std::string>& lines,
                                int* first) {
  const int sw = screen_.Width();
  const int sh = screen_.Height();
  int inner = TextCells(title) + 2;
  for (const auto& l : lines) inner = std::max(inner, TextCells(l));
  const int w = std::min(sw, inner + 4);
  const int count = static_cast<int>(lines.size());
  const int shown = std::min(count, std::max(1, sh - 4));
  const int h = std::min(sh, shown + 4);
  *first = std::clamp(*first, 0, count - shown);
  help_rows_ = shown;
  help_scrolls_ = shown < count;
  const CellRect r{std::max(0, (sw - w) / 2), std::max(0, (sh - h) / 2), w, h};
  Fill(r, kAttrNone);
  Frame(r, title, kAttrBold, kAttrBold | kAttrReverse);
  AddHit(HitArea::What::kControl, r, nullptr, nullptr, -1);
  for (int i = 0; i < shown; ++i) {
    PutClipped(r.x + 2, r.y + 2 + i, w - 4, lines[static_cast<size_t>(*first + i)], kAttrNone);
  }
  // More above or below: marks on the frame, as a list has.
  if (*first > 0) screen_.Put(r.x + w - 2, r.y + 1, "▲", kAttrBold);
  if (*first + shown < count) screen_.Put(r.x + w - 2, r.y + h - 2, "▼", kAttrBold);
}

void TerminalRenderer::DrawMenu(const std::vector<std::string>& entries, int focus) {
  int inner = 8;
  for (const auto& e : entries) inner = std::max(inner, TextCells(e) + 2);
  const int w = std::min(screen_.Width(), inner + 2);
  const int h = static_cast<int>(entries.size()) + 2;
  const CellRect r{std::clamp(last_dialog_.x + 1, 0, std::max(0, screen_.Width() - w)),
                   std::clamp(last_dialog_.y + 1, 0, std::max(0, screen_.Height() - h)), w, h};
  Fill(r, kAttrNone);
  Frame(r, "", kAttrBold, kAttrBold);
  AddHit(HitArea::What::kControl, r, nullptr, nullptr, -1);
  for (size_t i = 0; i < entries.size(); ++i) {
    const bool hl = static_cast<int>(i) == focus;
    const CellRect row{r.x + 1, r.y + 1 + static_cast<int>(i), w - 2, 1};
    PutClipped(row.x, row.y, row.w, (hl ? ">" : " ") + entries[i], hl ? kAttrReverse : kAttrNone);
    AddHit(HitArea::What::kMenuRow, row, nullptr, nullptr, static_cast<int>(i));
  }
}

}  // namespace ui
