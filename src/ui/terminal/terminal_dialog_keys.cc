// The terminal host: keys for the dialog as a whole (Tab, Enter, Esc, mnemonics, the system
// menu, scrolling), for message boxes and for the file browser.

#include <functional>
#include <set>

#include "platform/system/ascii_case.h"
#include "ui/core/utf8.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_host_internals.h"

namespace ui {

using namespace terminal_rules;  // NOLINT: the host's own small rules

TerminalHost::Result TerminalHost::HandleKey(const KeyEvent& key, Command* command) {
  if (layers_.empty()) return Result::kNone;
  Layer& top = *layers_.back();
  // Pasted text goes where text is typed: elsewhere a pasted space or letter would press a
  // button, tick a box, answer a message box or call a mnemonic. The file browser's path line
  // takes it as typing.
  if (key.pasted && top.kind != Layer::Kind::kBrowser) {
    if (help_open_ || menu_focus_ >= 0 || top.kind != Layer::Kind::kDialog ||
        top.dialog->HasEnded()) {
      return Result::kNone;
    }
    const Control* focused = CurrentFocus(*top.dialog).control;
    if (focused == nullptr ||
        !(TakesText(*focused) || focused->kind() == ControlKind::kIpAddress)) {
      return Result::kNone;
    }
  }
  if (help_open_) {
    // Help taller than the screen scrolls; any other key or click closes it, and does nothing
    // else.
    if (renderer_.HelpScrolls()) {
      int step = Step(key, renderer_.HelpRows());
      if (key.key == Key::kMouse && key.action == MouseAction::kWheelUp) step = -3;
      if (key.key == Key::kMouse && key.action == MouseAction::kWheelDown) step = 3;
      if (step != 0) {
        help_first_ += step;  // kept within the lines when drawn
        return Result::kNone;
      }
    }
    if (key.key != Key::kMouse || key.action == MouseAction::kPress) help_open_ = false;
    return Result::kNone;
  }
  if (top.kind != Layer::Kind::kDialog || top.dialog->HasEnded()) menu_focus_ = -1;
  if (menu_focus_ >= 0) return MenuKey(*top.dialog, key, command);
  if (key.key == Key::kF1) {
    help_open_ = true;
    help_first_ = 0;
    return Result::kNone;
  }
  if (top.kind == Layer::Kind::kDialog && !top.dialog->HasEnded() &&
      (key.key == Key::kF10 || (key.key == Key::kChar && key.alt && key.text == " "))) {
    if (Control* fc = CurrentFocus(*top.dialog).control) views_[fc].open = false;
    menu_focus_ = 0;
    return Result::kNone;
  }
  if (key.key == Key::kMouse) return Mouse(top, key, command);
  switch (top.kind) {
    case Layer::Kind::kMessageBox:
      return MessageBoxKey(top, key, command);
    case Layer::Kind::kBrowser:
      return BrowserKey(top, key, command);
    case Layer::Kind::kDialog:
      break;
  }
  if (top.dialog->HasEnded()) return Result::kNone;
  return DialogKey(*top.dialog, key, command);
}

TerminalHost::Result TerminalHost::MessageBoxKey(Layer& layer, const KeyEvent& key,
                                                 Command* command) {
  const auto buttons = MessageBoxButtons(layer.box.flags);
  const int n = static_cast<int>(buttons.size());
  auto answer = [&](const std::string& name) {
    command->kind = CommandKind::kAnswer;
    command->number = name == "OK"       ? IDOK
                      : name == "Cancel" ? IDCANCEL
                      : name == "Yes"    ? IDYES
                                         : IDNO;
    command->source = "key: answer " + name;
    return Result::kCommand;
  };
  switch (key.key) {
    case Key::kLeft:
    case Key::kUp:
    case Key::kBackTab:
      layer.box.focus = (layer.box.focus + n - 1) % n;
      return Result::kNone;
    case Key::kRight:
    case Key::kDown:
    case Key::kTab:
      layer.box.focus = (layer.box.focus + 1) % n;
      return Result::kNone;
    case Key::kEnter:
      return answer(buttons[static_cast<size_t>(std::clamp(layer.box.focus, 0, n - 1))]);
    case Key::kEsc:
      command->kind = CommandKind::kClose;
      command->source = "key: Esc";
      return Result::kCommand;
    case Key::kChar: {
      if (key.text == " ") {
        return answer(buttons[static_cast<size_t>(std::clamp(layer.box.focus, 0, n - 1))]);
      }
      if (key.ctrl && key.text == "c") {
        command->kind = CommandKind::kClose;
        command->source = "key: Ctrl-C";
        return Result::kCommand;
      }
      // The first letter drawn answers (it is underlined); where the translation's letters
      // cannot be typed, the English name's first letter still does.
      auto first = [](const std::string& text) {
        std::string c = text.substr(0, Utf8SequenceLength(text, 0));
        if (c.size() == 1) c[0] = platform::AsciiLower(c[0]);
        return c;
      };
      for (const bool drawn : {true, false}) {
        for (const auto& b : buttons) {
          if (first(drawn ? ButtonText(resources(), b) : b) == first(key.text)) return answer(b);
        }
      }
      return Result::kNone;
    }
    default:
      return Result::kNone;
  }
}

TerminalHost::Result TerminalHost::BrowserKey(Layer& layer, const KeyEvent& key, Command* command) {
  const auto outcome =
      layer.browser->HandleKey(key.ctrl && key.text == "c" ? MakeKey(Key::kEsc) : key);
  if (outcome == FileBrowser::Outcome::kNone) return Result::kNone;
  command->kind = CommandKind::kFiles;
  command->paths.clear();
  if (outcome == FileBrowser::Outcome::kChosen) command->paths = layer.browser->Chosen();
  command->source = "key: files";
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::DialogKey(Dialog& top, const KeyEvent& key, Command* command) {
  Focus f = CurrentFocus(top);
  // An open drop-down list takes the keys first.
  if (f.control != nullptr && f.control->kind() == ControlKind::kComboBox &&
      views_[f.control].open) {
    return ComboKey(*f.owner, static_cast<ComboBox&>(*f.control), views_[f.control], key, command);
  }
  switch (key.key) {
    case Key::kTab:
      MoveFocus(top, 1);
      return Result::kNone;
    case Key::kBackTab:
      MoveFocus(top, -1);
      return Result::kNone;
    case Key::kEsc:
      return Escape(top, command);
    case Key::kPageUp:
    case Key::kPageDown:
      if (key.ctrl) {
        // Ctrl-PgUp/PgDn: the previous/next tab of the dialog's tab control, from anywhere.
        const std::vector<Dialog*> family = top.Family();
        for (Dialog* d : family) {
          for (const auto& cp : d->Controls()) {
            if (cp->kind() != ControlKind::kTab || !Focusable(*d, *cp)) continue;
            auto& tab = static_cast<TabControl&>(*cp);
            const int n = tab.GetItemCount();
            if (n == 0) return Result::kNone;
            const int step = key.key == Key::kPageUp ? -1 : 1;
            return Select(*d, tab, ((tab.GetCurSel() + step) % n + n) % n, command);
          }
        }
        return Result::kNone;
      }
      // A dialog taller than the screen scrolls a page where the focus has no use for the key.
      if (renderer_.LastDialogScrolls() &&
          (f.control == nullptr ||
           (f.control->kind() != ControlKind::kSlider && CaretRows(*f.control) == nullptr))) {
        const int page = std::max(1, renderer_.DialogRows() - 2);
        return ScrollDialog(top, key.key == Key::kPageUp ? -page : page);
      }
      break;
    case Key::kChar:
      if (key.ctrl && key.text == "c") return Escape(top, command);
      if (key.alt ||
          (!key.ctrl && (f.control == nullptr || !f.control->TakesTyping()) && key.text != " ")) {
        const char letter = platform::AsciiLower(key.text[0]);
        bool found = false;
        const Result r = Mnemonic(top, letter, command, &found);
        if (found || key.alt) return r;
      }
      break;
    default:
      break;
  }
  if (f.control == nullptr) {
    if (key.key == Key::kEnter) return PressDefault(top, command);
    return Result::kNone;
  }
  return ControlKey(top, f, key, command);
}

TerminalHost::Result TerminalHost::Escape(Dialog& top, Command* command) {
  // Esc is the Cancel button; a dialog without one gets the close its window would get, and a
  // disabled Cancel (a job that must not be interrupted) makes Esc do nothing.
  Control* cancel = top.FindControl(IDCANCEL);
  if (cancel != nullptr && cancel->kind() == ControlKind::kButton) {
    if (!top.IsControlShown(*cancel) || !cancel->IsEnabled()) return Result::kNone;
    return Click(top, *cancel, command);
  }
  command->kind = CommandKind::kClose;
  command->source = "key: Esc";
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::PressDefault(Dialog& top, Command* command) {
  const std::vector<Dialog*> family = top.Family();
  for (Dialog* d : family) {
    for (const auto& cp : d->Controls()) {
      if (cp->kind() == ControlKind::kButton && cp->HasStyle(kDefault)) {
        if (!Focusable(*d, *cp)) return Result::kNone;
        return Click(*d, *cp, command);
      }
    }
  }
  Control* ok = top.FindControl(IDOK);
  if (ok != nullptr && ok->kind() == ControlKind::kButton && Focusable(top, *ok)) {
    return Click(top, *ok, command);
  }
  return Result::kNone;
}

TerminalHost::Result TerminalHost::Mnemonic(Dialog& top, char letter, Command* command,
                                            bool* found) {
  *found = false;
  if (letter == 0) return Result::kNone;
  const std::vector<Dialog*> family = top.Family();
  for (Dialog* d : family) {
    const auto& controls = d->Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
      Control& c = *controls[i];
      if (!c.HasCaption() || !d->IsControlShown(c)) continue;
      char m = 0;
      StripMnemonic(c.GetText(), &m);
      if (m != letter) continue;
      if (c.kind() == ControlKind::kStatic || c.kind() == ControlKind::kGroupBox) {
        // A label's letter goes to the control after it.
        for (size_t j = i + 1; j < controls.size(); ++j) {
          if (Focusable(*d, *controls[j])) {
            *found = true;
            SetFocus(top, *d, *controls[j], true);
            return Result::kNone;
          }
        }
        continue;
      }
      if (!Focusable(*d, c)) continue;
      *found = true;
      SetFocus(top, *d, c, true);
      return Click(*d, c, command);
    }
  }
  return Result::kNone;
}

TerminalHost::Result TerminalHost::MenuChoose(Dialog& top, int index, Command* command) {
  menu_focus_ = -1;
  const auto& entries = top.SystemMenu();
  if (index >= 0 && index < static_cast<int>(entries.size())) {
    command->kind = CommandKind::kSysMenu;
    command->number = entries[static_cast<size_t>(index)].id;
    command->source = "key: sysmenu " + std::to_string(command->number);
    return Result::kCommand;
  }
  command->kind = CommandKind::kClose;  // the last entry: Close, as the title bar's box
  command->source = "key: sysmenu close";
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::MenuKey(Dialog& top, const KeyEvent& key, Command* command) {
  const int n = static_cast<int>(top.SystemMenu().size()) + 1;
  if (key.key == Key::kMouse) {
    if (key.action != MouseAction::kPress || key.button != 0) return Result::kNone;
    const HitArea* hit = renderer_.HitAt(key.x, key.y);
    if (hit != nullptr && hit->what == HitArea::What::kMenuRow) {
      return MenuChoose(top, hit->index, command);
    }
    menu_focus_ = -1;  // a click elsewhere closes the menu
    return Result::kNone;
  }
  switch (key.key) {
    case Key::kUp:
    case Key::kBackTab:
      menu_focus_ = (menu_focus_ + n - 1) % n;
      return Result::kNone;
    case Key::kDown:
    case Key::kTab:
      menu_focus_ = (menu_focus_ + 1) % n;
      return Result::kNone;
    case Key::kEnter:
      return MenuChoose(top, menu_focus_, command);
    case Key::kChar:
      if (key.text == " " && !key.alt) return MenuChoose(top, menu_focus_, command);
      if (!(key.ctrl && key.text == "c")) return Result::kNone;
      [[fallthrough]];
    case Key::kEsc:
    case Key::kF10:
      menu_focus_ = -1;
      return Result::kNone;
    default:
      return Result::kNone;
  }
}

TerminalHost::Result TerminalHost::ScrollDialog(Dialog& top, int rows) {
  const int shown = -renderer_.LastDialogRect().y;
  top_row_ = std::max(0, shown + rows);
  top_row_dialog_ = &top;
  top_row_focus_ = CurrentFocus(top).control;
  return Result::kNone;
}

}  // namespace ui
