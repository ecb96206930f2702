// The terminal host: mouse clicks and the wheel.

#include "ui/core/utf8.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_host_internals.h"

namespace ui {

using namespace terminal_rules;  // NOLINT: the host's own small rules

TerminalHost::Result TerminalHost::Mouse(Layer& layer, const KeyEvent& key, Command* command) {
  if (key.action == MouseAction::kRelease || key.button != 0) return Result::kNone;
  const HitArea* hit = renderer_.HitAt(key.x, key.y);
  if (layer.kind == Layer::Kind::kMessageBox) {
    if (hit == nullptr || hit->what != HitArea::What::kMessageButton ||
        key.action != MouseAction::kPress) {
      return Result::kNone;
    }
    layer.box.focus = hit->index;
    return MessageBoxKey(layer, MakeKey(Key::kEnter), command);
  }
  if (layer.kind == Layer::Kind::kBrowser) {
    FileBrowser& b = *layer.browser;
    FileBrowser::Outcome outcome = FileBrowser::Outcome::kNone;
    if (key.action == MouseAction::kWheelUp || key.action == MouseAction::kWheelDown) {
      outcome = b.HandleKey(MakeKey(key.action == MouseAction::kWheelUp ? Key::kUp : Key::kDown));
    } else if (hit != nullptr && hit->what == HitArea::What::kBrowserRow) {
      outcome = b.ClickRow(hit->index);
    } else if (hit != nullptr && hit->what == HitArea::What::kBrowserPath) {
      b.FocusPath();
    }
    if (outcome == FileBrowser::Outcome::kNone) return Result::kNone;
    return BrowserKey(layer, MakeKey(Key::kEnter), command);
  }
  if (layer.dialog->HasEnded()) return Result::kNone;
  return DialogMouse(*layer.dialog, key, command);
}

TerminalHost::Result TerminalHost::DialogMouse(Dialog& top, const KeyEvent& key, Command* command) {
  const HitArea* hit = renderer_.HitAt(key.x, key.y);
  const std::vector<Dialog*> family = top.Family();
  const bool wheel = key.action == MouseAction::kWheelUp || key.action == MouseAction::kWheelDown;
  if (wheel && renderer_.LastDialogScrolls() &&
      (hit == nullptr || hit->control == nullptr || RowCount(*hit->control) == 0 ||
       (hit->control->kind() == ControlKind::kComboBox && !views_[hit->control].open))) {
    return ScrollDialog(top, key.action == MouseAction::kWheelUp ? -3 : 3);
  }
  if (hit == nullptr || hit->control == nullptr ||
      std::find(family.begin(), family.end(), hit->owner) == family.end()) {
    // A click outside the open drop-down list closes it.
    if (Control* fc = CurrentFocus(top).control) views_[fc].open = false;
    return Result::kNone;
  }
  Dialog& owner = *hit->owner;
  Control& c = *hit->control;
  ControlView& v = views_[&c];
  if (key.action == MouseAction::kWheelUp || key.action == MouseAction::kWheelDown) {
    if (RowCount(c) > 0) {
      const int step = key.action == MouseAction::kWheelUp ? -3 : 3;
      if (v.open) {
        v.highlight = std::clamp(v.highlight + step, 0, RowCount(c) - 1);
      } else if (c.kind() != ControlKind::kComboBox) {
        v.scroll = std::max(0, v.scroll + step);
        v.cursor = std::clamp(v.cursor + step, 0, RowCount(c) - 1);
      }
    }
    return Result::kNone;
  }
  if (hit->what == HitArea::What::kDropRow) {
    v.open = false;
    auto& cb = static_cast<ComboBox&>(c);
    if (hit->index == cb.GetCurSel()) return Result::kNone;
    return Select(owner, c, hit->index, command);
  }
  if (Control* fc = CurrentFocus(top).control; fc != nullptr && fc != &c) views_[fc].open = false;
  if (!Focusable(owner, c)) return Result::kNone;
  const bool had_focus = CurrentFocus(top).control == &c;
  SetFocus(top, owner, c, false);
  // Where the control was drawn (a squeezed layout moves it).
  const CellRect r = hit->rect;
  const int column = key.x - r.x;
  switch (c.kind()) {
    case ControlKind::kButton:
    case ControlKind::kCheckBox:
    case ControlKind::kRadio:
      return Click(owner, c, command);
    case ControlKind::kComboBox:
      // An editable one opens its list from its arrow; its text takes the caret as an edit's.
      if (!TakesText(c) || column >= r.w - 1) {
        v.open = !v.open;
        v.highlight = std::max(0, static_cast<ComboBox&>(c).GetCurSel());
        return Result::kNone;
      }
      [[fallthrough]];
    case ControlKind::kEdit:
      if (!had_focus) {
        // Clicked into: all of it selected and drawn so, typing replaces it.
        Entered(c);
        return Result::kNone;
      }
      // Clicked again: the caret goes where the click was.
      v.anchor = -1;
      v.cursor = CharAtCell(Utf8Characters(c.GetText()), v.scroll, std::max(0, column));
      return Result::kNone;
    case ControlKind::kIpAddress:
      v.cursor = std::clamp(column / 4, 0, 3);
      v.digits = 0;
      return Result::kNone;
    case ControlKind::kSlider:
      return Slide(owner, c, static_cast<Slider&>(c).PosAtCell(column, SliderTrackCells(r)),
                   command);
    case ControlKind::kTab:
      if (hit->what == HitArea::What::kTab &&
          hit->index != static_cast<TabControl&>(c).GetCurSel()) {
        return Select(owner, c, hit->index, command);
      }
      return Result::kNone;
    case ControlKind::kListBox:
    case ControlKind::kListView: {
      if (hit->what != HitArea::What::kRow) return Result::kNone;
      const int row = hit->index;
      const int from = v.cursor;
      v.cursor = row;
      if (MultiSelect(c) && key.ctrl) {
        v.anchor = row;
        return RowSelected(c, row) ? Deselect(owner, c, row) : Extend(owner, c, {row}, command);
      }
      if (MultiSelect(c) && key.shift) {
        if (v.anchor < 0) v.anchor = from;
        std::vector<int> rows;
        for (int i = std::min(v.anchor, row); i <= std::max(v.anchor, row); ++i) {
          if (!RowSelected(c, i)) rows.push_back(i);
        }
        return Extend(owner, c, rows, command);
      }
      v.anchor = row;
      return Select(owner, c, row, command);
    }
    default:
      return Result::kNone;
  }
}

}  // namespace ui
