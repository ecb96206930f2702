#pragma once

// What the terminal host's parts share (terminal_host.cc: frames, drawing, waits and commands;
// terminal_focus.cc; terminal_dialog_keys.cc; terminal_control_keys.cc; terminal_mouse.cc): its
// layers and the small rules about controls they all apply. Included by those files only.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/ascii_case.h"
#include "ui/terminal/terminal_file_browser.h"
#include "ui/terminal/terminal_host.h"

namespace ui {

struct TerminalHost::Layer {
  enum class Kind { kDialog, kMessageBox, kBrowser };
  Kind kind = Kind::kDialog;
  Dialog* dialog = nullptr;
  MessageBoxView box;
  std::unique_ptr<FileBrowser> browser;
};

namespace terminal_rules {

inline bool IsDigit(const std::string& s) { return s.size() == 1 && s[0] >= '0' && s[0] <= '9'; }

// Controls the focus can rest on.
inline bool Focusable(const Dialog& owner, const Control& c) { return owner.CanFocus(c); }

// Controls typed into at a caret with the edit keys: edits and editable drop-down lists.
inline bool TakesText(const Control& c) {
  return c.kind() == ControlKind::kEdit ||
         (c.kind() == ControlKind::kComboBox && static_cast<const ComboBox&>(c).IsEditable());
}

// The rows the terminal shows with a caret: list boxes, list views and drop-down lists. The tab
// row is a row list too, but arrows switch its tabs and PgUp/PgDn scroll the dialog past it.
inline const RowList* CaretRows(const Control& c) {
  return c.kind() == ControlKind::kTab ? nullptr : c.AsRowList();
}

inline int RowCount(const Control& c) { return CaretRows(c) ? CaretRows(c)->RowCount() : 0; }

inline bool RowSelected(const Control& c, int row) {
  return CaretRows(c) && CaretRows(c)->IsRowSelected(row);
}

inline bool MultiSelect(const Control& c) {
  return CaretRows(c) && CaretRows(c)->AllowsSeveralRows();
}

inline std::string RowText(const Control& c, int row) {
  return CaretRows(c) ? CaretRows(c)->RowText(row) : std::string();
}

// The next row after `from` whose text starts with `letter` (wrapping), or -1.
inline int RowByLetter(const Control& c, int from, char letter) {
  const int count = RowCount(c);
  for (int i = 1; i <= count; ++i) {
    const int row = (from + i + count) % count;
    const std::string t = RowText(c, row);
    if (!t.empty() && platform::AsciiLower(t[0]) == letter) return row;
  }
  return -1;
}

// How far a navigation key moves a caret in a list of `page` visible rows.
inline int Step(const KeyEvent& key, int page) {
  switch (key.key) {
    case Key::kUp:
      return -1;
    case Key::kDown:
      return 1;
    case Key::kPageUp:
      return -std::max(1, page - 1);
    case Key::kPageDown:
      return std::max(1, page - 1);
    case Key::kHome:
      return -1000000;
    case Key::kEnd:
      return 1000000;
    default:
      return 0;
  }
}

inline ControlRef RefOf(const Dialog& owner, const Control& c) {
  return {owner.TemplateId(), c.id()};
}

// The slider move a key stands for: Left/Up back and Right/Down forward by a line, PgUp/PgDn by a
// page, Home/End to the ends, as on the framework's horizontal track bar.
inline bool SliderMoveFor(const KeyEvent& key, Slider::Move* move) {
  switch (key.key) {
    case Key::kLeft:
    case Key::kUp:
      *move = Slider::Move::kLineBack;
      return true;
    case Key::kRight:
    case Key::kDown:
      *move = Slider::Move::kLineForward;
      return true;
    case Key::kPageUp:
      *move = Slider::Move::kPageBack;
      return true;
    case Key::kPageDown:
      *move = Slider::Move::kPageForward;
      return true;
    case Key::kHome:
      *move = Slider::Move::kFirst;
      return true;
    case Key::kEnd:
      *move = Slider::Move::kLast;
      return true;
    default:
      return false;
  }
}

}  // namespace terminal_rules
}  // namespace ui
