// The terminal host: keys for the focused control (edits, IP addresses, lists, drop-downs,
// sliders, tabs, buttons).

#include <functional>
#include <set>

#include "platform/system/ascii_case.h"
#include "ui/core/utf8.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_host_internals.h"

namespace ui {

using namespace terminal_rules;  // NOLINT: the host's own small rules

TerminalHost::Result TerminalHost::ControlKey(Dialog& top, Focus f, const KeyEvent& key,
                                              Command* command) {
  Dialog& owner = *f.owner;
  Control& c = *f.control;
  ControlView& v = views_[&c];
  const bool space = key.key == Key::kChar && key.text == " " && !key.ctrl && !key.alt;
  switch (c.kind()) {
    case ControlKind::kButton:
      if (key.key == Key::kEnter || space) return Click(owner, c, command);
      if (key.key == Key::kRight || key.key == Key::kDown) MoveFocus(top, 1);
      if (key.key == Key::kLeft || key.key == Key::kUp) MoveFocus(top, -1);
      return Result::kNone;
    case ControlKind::kCheckBox:
      if (space) return Click(owner, c, command);
      break;
    case ControlKind::kRadio: {
      if (space) return Click(owner, c, command);
      int step = 0;
      if (key.key == Key::kDown || key.key == Key::kRight) step = 1;
      if (key.key == Key::kUp || key.key == Key::kLeft) step = -1;
      if (step == 0) break;
      RadioButton* next = owner.RadioStep(c.id(), step);
      if (next == nullptr) return Result::kNone;
      SetFocus(top, owner, *next, true);
      return Click(owner, *next, command);  // moving in a group chooses, as with the mouse
    }
    case ControlKind::kEdit:
      if (key.key == Key::kEnter) break;
      return EditKey(owner, c, v, key);
    case ControlKind::kIpAddress:
      if (key.key == Key::kEnter) break;
      return IpKey(owner, static_cast<IpAddress&>(c), v, key);
    case ControlKind::kComboBox: {
      auto& cb = static_cast<ComboBox&>(c);
      if (key.key == Key::kEnter || key.key == Key::kF4 ||
          (key.alt && (key.key == Key::kDown || key.key == Key::kUp))) {
        v.open = true;
        v.highlight = std::max(0, cb.GetCurSel());
        return Result::kNone;
      }
      return ComboKey(owner, cb, v, key, command);
    }
    case ControlKind::kListBox:
    case ControlKind::kListView:
      if (key.key == Key::kEnter) break;
      return ListKey(owner, c, v, key, command);
    case ControlKind::kSlider: {
      Slider::Move move;
      if (SliderMoveFor(key, &move)) {
        return Slide(owner, c, static_cast<Slider&>(c).PosAfter(move), command);
      }
      break;
    }
    case ControlKind::kTab: {
      auto& tab = static_cast<TabControl&>(c);
      int sel = tab.GetCurSel();
      if (key.key == Key::kLeft) --sel;
      if (key.key == Key::kRight) ++sel;
      if (sel != tab.GetCurSel() && sel >= 0 && sel < tab.GetItemCount()) {
        return Select(owner, c, sel, command);
      }
      break;
    }
    default:
      break;
  }
  if (key.key == Key::kEnter) return PressDefault(top, command);
  return Result::kNone;
}

TerminalHost::Result TerminalHost::EditKey(Dialog& owner, Control& c, ControlView& v,
                                           const KeyEvent& key) {
  // Also the edit field of an editable drop-down list, which has no edit styles of its own.
  const Edit* e = c.kind() == ControlKind::kEdit ? &static_cast<Edit&>(c) : nullptr;
  const bool read_only = e != nullptr && e->IsReadOnly();
  const bool number_only = e != nullptr && e->IsNumberOnly();
  const int limit = e != nullptr ? e->GetLimitText() : 0;
  auto chars = Utf8Characters(c.GetText());
  const int count = static_cast<int>(chars.size());
  v.cursor = std::clamp(v.cursor, 0, count);
  const bool selected_all = v.anchor == 0 && count > 0;
  switch (key.key) {
    case Key::kLeft:
      v.cursor = selected_all ? 0 : std::max(0, v.cursor - 1);
      v.anchor = -1;
      return Result::kNone;
    case Key::kRight:
      v.cursor = std::min(count, v.cursor + 1);
      v.anchor = -1;
      return Result::kNone;
    case Key::kHome:
      v.cursor = 0;
      v.anchor = -1;
      return Result::kNone;
    case Key::kEnd:
      v.cursor = count;
      v.anchor = -1;
      return Result::kNone;
    case Key::kBackspace:
    case Key::kDelete: {
      if (read_only) return Result::kNone;
      v.anchor = -1;
      if (selected_all) {
        v.cursor = 0;
        return ChangeText(owner, c, "");
      }
      if (key.key == Key::kBackspace) {
        if (v.cursor == 0) return Result::kNone;
        chars.erase(chars.begin() + --v.cursor);
      } else {
        if (v.cursor >= count) return Result::kNone;
        chars.erase(chars.begin() + v.cursor);
      }
      return ChangeText(owner, c, JoinCharacters(chars));
    }
    case Key::kChar: {
      if (key.ctrl || key.alt) return Result::kNone;
      if (read_only) {
        Hint(resources().Host("hint/read-only"));
        return Result::kNone;
      }
      if (number_only && !IsDigit(key.text)) {
        Hint(resources().Host("hint/digits-only"));
        return Result::kNone;
      }
      if (selected_all) {
        chars.clear();
        v.cursor = 0;
      }
      if (limit > 0 && static_cast<int>(chars.size()) >= limit) {
        Hint(FormatMessage(resources().Host("hint/max-chars"), {std::to_string(limit)}));
        return Result::kNone;
      }
      v.anchor = -1;
      chars.insert(chars.begin() + v.cursor, key.text);
      ++v.cursor;
      return ChangeText(owner, c, JoinCharacters(chars));
    }
    default:
      return Result::kNone;
  }
}

TerminalHost::Result TerminalHost::IpKey(Dialog& owner, IpAddress& ip, ControlView& v,
                                         const KeyEvent& key) {
  auto octets = ip.GetAddress();
  v.cursor = std::clamp(v.cursor, 0, 3);
  auto store = [&] {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    return ChangeText(owner, ip, text);
  };
  switch (key.key) {
    case Key::kLeft:
      v.cursor = std::max(0, v.cursor - 1);
      v.digits = 0;
      return Result::kNone;
    case Key::kRight:
      v.cursor = std::min(3, v.cursor + 1);
      v.digits = 0;
      return Result::kNone;
    case Key::kHome:
      v.cursor = 0;
      v.digits = 0;
      return Result::kNone;
    case Key::kEnd:
      v.cursor = 3;
      v.digits = 0;
      return Result::kNone;
    case Key::kBackspace:
    case Key::kDelete: {
      uint8_t& o = octets[static_cast<size_t>(v.cursor)];
      if (o == 0 && v.digits <= 0 && key.key == Key::kBackspace && v.cursor > 0) {
        --v.cursor;  // an empty field: back to the one before, as the address control does
        return Result::kNone;
      }
      o = key.key == Key::kDelete ? 0 : static_cast<uint8_t>(o / 10);
      v.digits = std::max(0, v.digits - 1);
      if (o == 0) v.digits = 0;
      return store();
    }
    case Key::kChar: {
      if (key.ctrl || key.alt) return Result::kNone;
      if (key.text == "." || key.text == " ") {
        // A dot right after a full octet moved on by itself is the dot the user meant there.
        if (v.digits >= 0 && v.cursor < 3) ++v.cursor;
        v.digits = 0;
        return Result::kNone;
      }
      if (!IsDigit(key.text)) {
        Hint(resources().Host("hint/address"));
        return Result::kNone;
      }
      uint8_t& o = octets[static_cast<size_t>(v.cursor)];
      if (v.digits < 0) v.digits = 0;
      const int typed = (v.digits == 0 ? 0 : o * 10) + (key.text[0] - '0');
      if (typed > 255) {
        Hint(resources().Host("hint/address-part"));
        o = 255;
      } else {
        o = static_cast<uint8_t>(typed);
      }
      ++v.digits;
      const Result r = store();
      if (v.digits >= 3 && v.cursor < 3) {
        ++v.cursor;
        v.digits = -1;  // moved on by itself: a following dot is swallowed
      }
      return r;
    }
    default:
      return Result::kNone;
  }
}

TerminalHost::Result TerminalHost::ComboKey(Dialog& owner, ComboBox& cb, ControlView& v,
                                            const KeyEvent& key, Command* command) {
  const int count = cb.GetCount();
  if (v.open) {
    if (key.key == Key::kEsc) {
      v.open = false;
      return Result::kNone;
    }
    if (key.key == Key::kEnter || key.key == Key::kTab || key.key == Key::kF4 ||
        (key.alt && (key.key == Key::kUp || key.key == Key::kDown)) ||
        (key.key == Key::kChar && key.text == " ")) {
      v.open = false;
      if (count > 0 && v.highlight != cb.GetCurSel()) {
        return Select(owner, cb, std::clamp(v.highlight, 0, count - 1), command);
      }
      return Result::kNone;
    }
    const int step = Step(key, 8);
    if (step != 0 && count > 0) v.highlight = std::clamp(v.highlight + step, 0, count - 1);
    if (key.key == Key::kChar && !key.ctrl && !key.alt && count > 0) {
      const int row = RowByLetter(cb, v.highlight, platform::AsciiLower(key.text[0]));
      if (row >= 0) v.highlight = row;
    }
    return Result::kNone;
  }
  if (cb.IsEditable() &&
      (key.key == Key::kChar || key.key == Key::kBackspace || key.key == Key::kDelete ||
       key.key == Key::kLeft || key.key == Key::kRight || key.key == Key::kHome ||
       key.key == Key::kEnd)) {
    return EditKey(owner, cb, v, key);
  }
  // Closed: the arrows and a row's first letter choose at once, as in a drop-down list.
  if (count == 0) return Result::kNone;
  int row = cb.GetCurSel();
  if (key.key == Key::kChar && !key.ctrl && !key.alt) {
    row = RowByLetter(cb, row, platform::AsciiLower(key.text[0]));
  } else {
    const int step = Step(key, 8);
    if (step == 0) return Result::kNone;
    row = std::clamp(row + step, 0, count - 1);
  }
  if (row < 0 || row == cb.GetCurSel()) return Result::kNone;
  return Select(owner, cb, row, command);
}

TerminalHost::Result TerminalHost::ListKey(Dialog& owner, Control& c, ControlView& v,
                                           const KeyEvent& key, Command* command) {
  const int count = RowCount(c);
  if (count == 0) return Result::kNone;
  const bool multi = MultiSelect(c);
  v.cursor = std::clamp(v.cursor, 0, count - 1);
  const bool space = key.key == Key::kChar && key.text == " " && !key.ctrl && !key.alt;
  if (space) {
    if (!multi) {
      return RowSelected(c, v.cursor) ? Result::kNone : Select(owner, c, v.cursor, command);
    }
    v.anchor = v.cursor;
    if (RowSelected(c, v.cursor)) return Deselect(owner, c, v.cursor);
    return Extend(owner, c, {v.cursor}, command);
  }
  int target = v.cursor;
  if (key.key == Key::kChar && !key.ctrl && !key.alt) {
    target = RowByLetter(c, v.cursor, platform::AsciiLower(key.text[0]));
    if (target < 0) return Result::kNone;
  } else {
    const int page =
        std::max(1, ToCells(c.rect()).h - (c.kind() == ControlKind::kListView ? 1 : 0));
    const int step = Step(key, page);
    if (step == 0) return Result::kNone;
    target = std::clamp(v.cursor + step, 0, count - 1);
  }
  const int from = v.cursor;
  v.cursor = target;
  if (multi) {
    if (!key.shift) {
      v.anchor = target;
      // A list view selects the row moved to, as a click does (its buttons act on the
      // selection, not on the caret); Ctrl moves the caret alone. A multi-selection list box
      // moves its caret and Space chooses.
      if (key.ctrl || c.kind() != ControlKind::kListView) return Result::kNone;
      if (c.AsRowList()->SelectedRows() == std::vector<int>{target}) return Result::kNone;
      return Select(owner, c, target, command);
    }
    if (v.anchor < 0) v.anchor = from;
    std::vector<int> rows;
    for (int r = std::min(v.anchor, target); r <= std::max(v.anchor, target); ++r) {
      if (!RowSelected(c, r)) rows.push_back(r);
    }
    return Extend(owner, c, rows, command);
  }
  if (RowSelected(c, target)) return Result::kNone;
  return Select(owner, c, target, command);
}

}  // namespace ui
