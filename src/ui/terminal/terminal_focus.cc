// The terminal host: where the focus rests and how Tab moves it.

#include <functional>
#include <set>

#include "ui/core/utf8.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_host_internals.h"

namespace ui {

using namespace terminal_rules;  // NOLINT: the host's own small rules

TerminalHost::Focus TerminalHost::CurrentFocus(Dialog& top) {
  const std::vector<Dialog*> family = top.Family();
  // A focus the program moved (GotoDlgCtrl, e.g. to an edit that failed its check) wins, and
  // arrives as a Tab would bring it, even when it was sent back to where it was.
  bool arrived = false;
  bool opening = false;
  for (Dialog* d : family) {
    const SeenFocus now{d->GetFocusId(), d->FocusMoves()};
    const auto [it, first_sight] = seen_focus_.try_emplace(d, now);
    if (first_sight) {
      // The focus a dialog starts with is no move, but it has just arrived when the window opens.
      if (d == &top) arrived = opening = true;
      continue;
    }
    if (now.moves != it->second.moves) {
      it->second = now;
      if (now.id != -1) {
        focus_owner_[&top] = d;
        arrived = true;
      }
    }
  }
  Dialog* owner = &top;
  if (const auto it = focus_owner_.find(&top); it != focus_owner_.end()) {
    if (std::find(family.begin(), family.end(), it->second) != family.end()) owner = it->second;
  }
  Control* c = owner->FindControl(owner->GetFocusId());
  if (c != nullptr && Focusable(*owner, *c)) {
    // A dialog that starts in a radio group starts on the group's stop, its chosen radio, so
    // that a first Space does not choose another.
    RadioButton* stop = opening && c->kind() == ControlKind::kRadio
                            ? owner->RadioTabStop(c->id(), nullptr)
                            : nullptr;
    if (stop != nullptr && stop != c) {
      SetFocus(top, *owner, *stop, true);
      return {owner, stop};
    }
    if (arrived) Entered(*c);
    return {owner, c};
  }
  // The focus is gone (hidden, disabled, never set): the next stop in tab order takes it.
  const auto stops = TabStops(top, {});
  if (stops.empty()) return {};
  Focus next = stops.front();
  if (c != nullptr) {
    // Prefer the first stop after the lost control in the same dialog.
    bool after = false;
    for (const auto& cp : owner->Controls()) {
      if (cp.get() == c) {
        after = true;
        continue;
      }
      if (!after) continue;
      const auto it = std::find_if(stops.begin(), stops.end(),
                                   [&](const Focus& s) { return s.control == cp.get(); });
      if (it != stops.end()) {
        next = *it;
        break;
      }
    }
  }
  SetFocus(top, *next.owner, *next.control, true);
  return next;
}

void TerminalHost::SetFocus(Dialog& top, Dialog& owner, Control& control, bool by_keyboard) {
  const Control* before = nullptr;
  if (const auto it = focus_owner_.find(&top); it != focus_owner_.end()) {
    before = it->second->FindControl(it->second->GetFocusId());
  }
  if (before != nullptr && before != &control) {
    if (auto it = views_.find(before); it != views_.end()) it->second.open = false;
  }
  owner.GotoDlgCtrl(control.id());
  seen_focus_[&owner] = {control.id(), owner.FocusMoves()};
  focus_owner_[&top] = &owner;
  // The other dialogs of the window let go of their focus, so that a handler sending it back to
  // the control one of them had (a page's edit whose check failed) is a move the host sees.
  const std::vector<Dialog*> family = top.Family();
  for (Dialog* d : family) {
    if (d == &owner || d->GetFocusId() == -1) continue;
    d->GotoDlgCtrl(-1);
    seen_focus_[d] = {-1, d->FocusMoves()};
  }
  if (before != &control && by_keyboard) Entered(control);
}

void TerminalHost::Entered(Control& control) {
  ControlView& v = views_[&control];
  if (TakesText(control)) {
    v.cursor = static_cast<int>(Utf8Length(control.GetText()));
    v.anchor = 0;
  } else if (control.kind() == ControlKind::kIpAddress) {
    v.cursor = 0;
    v.digits = 0;
  } else if (CaretRows(control) && control.kind() != ControlKind::kComboBox) {
    // The caret starts on the selected row.
    for (int r = 0; r < RowCount(control); ++r) {
      if (RowSelected(control, r)) {
        v.cursor = r;
        break;
      }
    }
  }
}

std::vector<TerminalHost::Focus> TerminalHost::TabStops(Dialog& top, const Focus& current) {
  std::vector<Focus> stops;
  std::set<const Dialog*> pages_done;
  std::function<void(Dialog&)> add = [&](Dialog& d) {
    std::vector<RadioButton*> group_done;
    for (const auto& cp : d.Controls()) {
      Control& c = *cp;
      if (Focusable(d, c)) {
        if (c.kind() == ControlKind::kRadio) {
          // One stop per group.
          const auto group = d.RadioGroup(c.id());
          if (!group.empty() &&
              std::find(group_done.begin(), group_done.end(), group.front()) == group_done.end()) {
            group_done.push_back(group.front());
            RadioButton* pick = d.RadioTabStop(c.id(), current.control);
            if (pick != nullptr) stops.push_back({&d, pick});
          }
        } else {
          stops.push_back({&d, &c});
        }
      }
      if (c.kind() == ControlKind::kTab) {
        // The pages come right after their tab row.
        for (Dialog* page : d.Pages()) {
          if (page->IsWindowVisible() && pages_done.insert(page).second) add(*page);
        }
      }
    }
    for (Dialog* page : d.Pages()) {
      if (page->IsWindowVisible() && pages_done.insert(page).second) add(*page);
    }
  };
  add(top);
  return stops;
}

void TerminalHost::MoveFocus(Dialog& top, int step) {
  const Focus f = CurrentFocus(top);
  const auto stops = TabStops(top, f);
  if (stops.empty()) return;
  int at = -1;
  for (size_t i = 0; i < stops.size(); ++i) {
    if (stops[i].control == f.control) at = static_cast<int>(i);
  }
  const int n = static_cast<int>(stops.size());
  const int next = at < 0 ? (step > 0 ? 0 : n - 1) : ((at + step) % n + n) % n;
  SetFocus(top, *stops[static_cast<size_t>(next)].owner, *stops[static_cast<size_t>(next)].control,
           true);
}

}  // namespace ui
