#include "ui/terminal/terminal_host.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <set>

#include "ui/terminal/terminal_file_browser.h"
#include "ui/core/utf8.h"

namespace ui {
namespace {

void Family(Dialog& d, std::vector<Dialog*>* out) {
  out->push_back(&d);
  for (Dialog* p : d.Pages()) Family(*p, out);
}

bool IsDigit(const std::string& s) { return s.size() == 1 && s[0] >= '0' && s[0] <= '9'; }

// Controls the focus can rest on.
bool Focusable(const Dialog& owner, const Control& c) {
  return c.id() != -1 && owner.IsControlShown(c) && c.IsEnabled() && c.CanHoldFocus();
}

// The rows the terminal shows with a caret: list boxes, list views and drop-down lists. The tab
// row is a row list too, but arrows switch its tabs and PgUp/PgDn scroll the dialog past it.
const RowList* CaretRows(const Control& c) {
  return c.kind() == ControlKind::kTab ? nullptr : c.AsRowList();
}

int RowCount(const Control& c) { return CaretRows(c) ? CaretRows(c)->RowCount() : 0; }

bool RowSelected(const Control& c, int row) {
  return CaretRows(c) && CaretRows(c)->IsRowSelected(row);
}

bool MultiSelect(const Control& c) { return CaretRows(c) && CaretRows(c)->AllowsSeveralRows(); }

std::string RowText(const Control& c, int row) {
  return CaretRows(c) ? CaretRows(c)->RowText(row) : std::string();
}

// The next row after `from` whose text starts with `letter` (wrapping), or -1.
int RowByLetter(const Control& c, int from, char letter) {
  const int count = RowCount(c);
  for (int i = 1; i <= count; ++i) {
    const int row = (from + i + count) % count;
    const std::string t = RowText(c, row);
    if (!t.empty() && std::tolower(static_cast<unsigned char>(t[0])) == letter) return row;
  }
  return -1;
}

// How far a navigation key moves a caret in a list of `page` visible rows.
int Step(const KeyEvent& key, int page) {
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

ControlRef RefOf(const Dialog& owner, const Control& c) { return {owner.TemplateId(), c.id()}; }

// The slider move a key stands for: Left/Up back and Right/Down forward by a line, PgUp/PgDn by a
// page, Home/End to the ends, as on the framework's horizontal track bar.
bool SliderMoveFor(const KeyEvent& key, Slider::Move* move) {
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

}  // namespace

struct TerminalHost::Layer {
  enum class Kind { kDialog, kMessageBox, kBrowser };
  Kind kind = Kind::kDialog;
  Dialog* dialog = nullptr;
  MessageBoxView box;
  std::unique_ptr<FileBrowser> browser;
};

TerminalHost::TerminalHost(platform::Clock& clock, TerminalScreen& screen, Resources resources)
    : LoopHost(clock, std::move(resources)), screen_(screen), renderer_(screen) {
  clock.SetIdleHook(this);
}

TerminalHost::~TerminalHost() { clock().SetIdleHook(nullptr); }

// ---- Frames

int TerminalHost::RunModal(Dialog& dialog) {
  if (dialog.IsOpen()) return -1;
  auto layer = std::make_unique<Layer>();
  layer->dialog = &dialog;
  Layer* mine = layer.get();
  layers_.push_back(std::move(layer));
  ++frames_opened_;
  const int result = LoopHost::RunModal(dialog);
  std::erase_if(layers_, [&](const auto& l) { return l.get() == mine; });
  PurgeStale();
  if (!layers_.empty()) Redraw();
  return result;
}

int TerminalHost::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  auto layer = std::make_unique<Layer>();
  layer->kind = Layer::Kind::kMessageBox;
  layer->box.caption = std::string(caption);
  layer->box.text = std::string(text);
  layer->box.flags = flags;
  layer->box.focus = (flags & MB_DEFBUTTON2) != 0 ? 1 : 0;
  Layer* mine = layer.get();
  layers_.push_back(std::move(layer));
  ++frames_opened_;
  const int result = LoopHost::MessageBox(text, caption, flags);
  std::erase_if(layers_, [&](const auto& l) { return l.get() == mine; });
  if (!layers_.empty()) Redraw();
  return result;
}

std::vector<std::string> TerminalHost::FileOpen(const FileOpenRequest& request) {
  auto layer = std::make_unique<Layer>();
  layer->kind = Layer::Kind::kBrowser;
  layer->browser = std::make_unique<FileBrowser>(request, browse_folder_);
  Layer* mine = layer.get();
  layers_.push_back(std::move(layer));
  ++frames_opened_;
  auto paths = LoopHost::FileOpen(request);
  std::erase_if(layers_, [&](const auto& l) { return l.get() == mine; });
  if (!layers_.empty()) Redraw();
  return paths;
}

void TerminalHost::Repaint(Dialog& dialog) {
  (void)dialog;
  Redraw();
}

void TerminalHost::PurgeStale() {
  std::set<const Dialog*> dialogs;
  std::set<const Control*> controls;
  for (const auto& l : layers_) {
    if (l->kind != Layer::Kind::kDialog) continue;
    std::vector<Dialog*> family;
    Family(*l->dialog, &family);
    for (Dialog* d : family) {
      dialogs.insert(d);
      for (const auto& c : d->Controls()) controls.insert(c.get());
    }
  }
  std::erase_if(views_, [&](const auto& kv) { return !controls.count(kv.first); });
  std::erase_if(seen_focus_, [&](const auto& kv) { return !dialogs.count(kv.first); });
  std::erase_if(focus_owner_, [&](const auto& kv) {
    return !dialogs.count(kv.first) || !dialogs.count(kv.second);
  });
}

void TerminalHost::Redraw() {
  renderer_.Begin();
  for (size_t i = 0; i < layers_.size(); ++i) {
    Layer& l = *layers_[i];
    const bool active = i + 1 == layers_.size();
    switch (l.kind) {
      case Layer::Kind::kDialog: {
        if (l.dialog->HasEnded() && !active) continue;
        const Focus f = CurrentFocus(*l.dialog);
        std::optional<int> top_row;
        if (active && top_row_ && top_row_dialog_ == l.dialog && top_row_focus_ == f.control) {
          top_row = top_row_;
        } else if (active) {
          top_row_.reset();  // the focus moved: follow it again
        }
        renderer_.DrawDialog(*l.dialog, active, f.owner, f.control ? f.control->id() : -1, views_,
                             top_row);
        break;
      }
      case Layer::Kind::kMessageBox:
        renderer_.DrawMessageBox(l.box);
        break;
      case Layer::Kind::kBrowser:
        renderer_.DrawFileBrowser(*l.browser);
        break;
    }
  }
  if (!layers_.empty() && layers_.back()->kind == Layer::Kind::kDialog && menu_focus_ >= 0) {
    std::vector<std::string> entries;
    for (const auto& e : layers_.back()->dialog->SystemMenu()) {
      entries.push_back(StripMnemonic(e.text));
    }
    entries.push_back("Close");
    renderer_.DrawMenu(entries, menu_focus_);
  }
  if (help_open_) renderer_.DrawHelp("Keys", HelpLines());
  if (!status_.empty()) {
    renderer_.DrawStatus(status_);
  } else {
    renderer_.DrawKeyLine(KeyLine());
  }
  renderer_.End();
}

std::vector<std::pair<char, std::string>> TerminalHost::Mnemonics(Dialog& top) {
  std::vector<std::pair<char, std::string>> out;
  std::vector<Dialog*> family;
  Family(top, &family);
  for (Dialog* d : family) {
    if (d != &top && !d->IsWindowVisible()) continue;
    const auto& controls = d->Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
      const Control& c = *controls[i];
      if (!c.HasCaption() || !d->IsControlShown(c)) continue;
      char m = 0;
      const std::string caption = StripMnemonic(c.GetText(), &m);
      if (m == 0) continue;
      bool reaches = Focusable(*d, c);
      if (c.kind() == ControlKind::kStatic || c.kind() == ControlKind::kGroupBox) {
        for (size_t j = i + 1; j < controls.size() && !reaches; ++j) {
          reaches = Focusable(*d, *controls[j]);
        }
      }
      const bool seen =
          std::any_of(out.begin(), out.end(), [&](const auto& p) { return p.first == m; });
      if (reaches && !seen) out.push_back({m, caption});
    }
  }
  return out;
}

std::string TerminalHost::KeyLine() {
  if (layers_.empty()) return {};
  Layer& top = *layers_.back();
  if (help_open_) return "Any key closes the help";
  if (top.kind == Layer::Kind::kBrowser) return {};  // the browser names its keys itself
  if (top.kind == Layer::Kind::kMessageBox) return "F1 Help  Tab Next  Enter Answer  Esc Close";
  if (menu_focus_ >= 0) return "Up/Down Choose  Enter Open  Esc Close the menu";
  std::string line = "F1 Help  Tab Next  Enter OK  Esc Cancel  F10 Menu";
  if (renderer_.LastDialogScrolls()) line += "  PgUp/PgDn Scroll";
  const auto letters = Mnemonics(*top.dialog);
  if (!letters.empty()) {
    line += "  Alt+";
    for (const auto& [m, caption] : letters) {
      line += ' ';
      line += static_cast<char>(std::toupper(static_cast<unsigned char>(m)));
    }
  }
  return line;
}

std::vector<std::string> TerminalHost::HelpLines() {
  std::vector<std::string> lines = {
      "Tab, Shift-Tab     next, previous field",
      "Enter              the focused button, else the default one",
      "Space              press a button, tick a box, choose a row",
      "Arrows             move in lists, drop-downs, sliders, options, tabs",
      "Alt-Down, F4       open a drop-down list",
      "PgUp, PgDn         a page in a list; scroll a dialog taller than the screen",
      "Ctrl-PgUp, PgDn    previous, next tab page",
      "Esc                Cancel",
      "F10, Alt-Space     the system menu (About, Close)",
      "Mouse              click to focus and press; the wheel scrolls",
  };
  if (layers_.empty() || layers_.back()->kind != Layer::Kind::kDialog) return lines;
  // The dialog's letters, several to a line so they fit a small screen.
  std::string line;
  for (const auto& [m, caption] : Mnemonics(*layers_.back()->dialog)) {
    std::string entry = "Alt+";
    entry += static_cast<char>(std::toupper(static_cast<unsigned char>(m)));
    entry += " " + caption;
    if (TextCells(entry) > 24) {
      std::string cut;
      for (const auto& ch : Utf8Characters(entry)) {
        if (TextCells(cut + ch) > 23) break;
        cut += ch;
      }
      entry = cut + "~";
    }
    if (!line.empty() && TextCells(line) + 2 + TextCells(entry) > 76) {
      lines.push_back(line);
      line.clear();
    }
    if (!line.empty()) line += "  ";
    line += entry;
    line.append(static_cast<size_t>(std::max(0, 24 - TextCells(entry))), ' ');
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

Control* TerminalHost::FocusedControl() {
  if (layers_.empty() || layers_.back()->kind != Layer::Kind::kDialog) return nullptr;
  return CurrentFocus(*layers_.back()->dialog).control;
}

LoopHost::FetchStatus TerminalHost::Fetch(uint32_t timeout_ms, Command* command) {
  if (TakeKeptCancel(command) == Result::kCommand) return FetchStatus::kCommand;
  Redraw();
  KeyEvent key;
  switch (screen_.ReadKey(timeout_ms, &key)) {
    case TerminalScreen::ReadStatus::kEnd:
      return FetchStatus::kEnd;
    case TerminalScreen::ReadStatus::kTimeout:
      return FetchStatus::kTimeout;
    case TerminalScreen::ReadStatus::kKey:
      break;
  }
  if (key.key == Key::kResize) return FetchStatus::kTimeout;  // the next Fetch draws anew
  status_.clear();
  // Whatever the key did, the engine's loop runs once before the next key: due timers fire and
  // a dialog that ended is closed.
  return HandleKey(key, command) == Result::kCommand ? FetchStatus::kCommand
                                                     : FetchStatus::kTimeout;
}

// ---- Waits on the printer

void TerminalHost::OnIdle() {
  // A handler is running: nothing may be applied to its dialogs now.
  bool resized = false;
  KeyEvent key;
  while (screen_.PollKey(&key) == TerminalScreen::ReadStatus::kKey) {
    if (key.key == Key::kResize) {
      resized = true;
      continue;
    }
    if (layers_.empty() || layers_.back()->kind != Layer::Kind::kDialog) continue;
    Dialog& top = *layers_.back()->dialog;
    if (top.StopsBetweenSteps() && !top.HasEnded() && IsCancelPress(top, key)) {
      kept_cancel_layer_ = layers_.back().get();
      kept_cancel_frames_ = frames_opened_;
    }
  }
  if (resized) Redraw();
}

bool TerminalHost::IsCancelPress(Dialog& top, const KeyEvent& key) {
  switch (key.key) {
    case Key::kEsc:
      return true;
    case Key::kMouse: {
      if (key.action != MouseAction::kPress || key.button != 0) return false;
      const HitArea* hit = renderer_.HitAt(key.x, key.y);
      return hit != nullptr && hit->owner == &top && hit->control != nullptr &&
             hit->control->id() == IDCANCEL;
    }
    case Key::kEnter:
      break;
    case Key::kChar:
      if (key.text != " ") return false;
      break;
    default:
      return false;
  }
  const Control* focused = CurrentFocus(top).control;
  return focused != nullptr && focused->id() == IDCANCEL;
}

TerminalHost::Result TerminalHost::TakeKeptCancel(Command* command) {
  const Layer* kept = kept_cancel_layer_;
  kept_cancel_layer_ = nullptr;
  if (kept == nullptr || layers_.empty() || layers_.back().get() != kept ||
      kept_cancel_frames_ != frames_opened_ || kept->dialog->HasEnded()) {
    return Result::kNone;
  }
  // Esc's own path: a Cancel that is hidden or disabled by now presses nothing.
  return Escape(*kept->dialog, command);
}

void TerminalHost::Emit(const Event& event) {
  if (event.kind == EventKind::kError) status_ = event.text;
}

// ---- Focus

TerminalHost::Focus TerminalHost::CurrentFocus(Dialog& top) {
  std::vector<Dialog*> family;
  Family(top, &family);
  // A focus the program moved (GotoDlgCtrl, e.g. to an edit that failed its check) wins.
  for (Dialog* d : family) {
    const auto it = seen_focus_.find(d);
    if (it == seen_focus_.end()) {
      // First sight: the focus a dialog starts with (its first control) is no move.
      seen_focus_[d] = d->GetFocusId();
      continue;
    }
    if (d->GetFocusId() != it->second) {
      seen_focus_[d] = d->GetFocusId();
      if (d->GetFocusId() != -1) focus_owner_[&top] = d;
    }
  }
  Dialog* owner = &top;
  if (const auto it = focus_owner_.find(&top); it != focus_owner_.end()) {
    if (std::find(family.begin(), family.end(), it->second) != family.end()) owner = it->second;
  }
  Control* c = owner->FindControl(owner->GetFocusId());
  if (c != nullptr && Focusable(*owner, *c)) return {owner, c};
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
  seen_focus_[&owner] = control.id();
  focus_owner_[&top] = &owner;
  if (before != &control && by_keyboard) {
    ControlView& v = views_[&control];
    if (control.kind() == ControlKind::kEdit) {
      // Entering an edit from the keyboard selects its text: typing replaces it.
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
          // One stop per group: the focused radio, else the checked one, else the first.
          const auto group = d.RadioGroup(c.id());
          if (!group.empty() &&
              std::find(group_done.begin(), group_done.end(), group.front()) == group_done.end()) {
            group_done.push_back(group.front());
            RadioButton* pick = nullptr;
            for (RadioButton* r : group) {
              if (!Focusable(d, *r)) continue;
              if (r == current.control) {
                pick = r;
                break;
              }
              if (r->GetCheck() && (pick == nullptr || !pick->GetCheck())) pick = r;
              if (pick == nullptr) pick = r;
            }
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

// ---- Commands and direct changes

TerminalHost::Result TerminalHost::Click(Dialog& owner, Control& c, Command* command) {
  command->kind = CommandKind::kClick;
  command->target = RefOf(owner, c);
  command->source = "key: click " + std::to_string(c.id());
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::Select(Dialog& owner, Control& c, int row, Command* command) {
  command->kind = CommandKind::kSelect;
  command->target = RefOf(owner, c);
  command->rows = {row};
  command->by_text = false;
  command->source = "key: select " + std::to_string(c.id()) + " " + std::to_string(row);
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::Extend(Dialog& owner, Control& c, std::vector<int> rows,
                                          Command* command) {
  if (rows.empty()) return Result::kNone;
  command->kind = CommandKind::kExtend;
  command->target = RefOf(owner, c);
  command->source = "key: extend " + std::to_string(c.id());
  command->rows = std::move(rows);
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::Slide(Dialog& owner, Control& c, int pos, Command* command) {
  auto& s = static_cast<Slider&>(c);
  pos = std::clamp(pos, s.GetRangeMin(), s.GetRangeMax());
  if (pos == s.GetPos()) return Result::kNone;
  command->kind = CommandKind::kSlide;
  command->target = RefOf(owner, c);
  command->number = pos;
  command->source = "key: slide " + std::to_string(c.id()) + " " + std::to_string(pos);
  return Result::kCommand;
}

TerminalHost::Result TerminalHost::ChangeText(Dialog& owner, Control& c, const std::string& text) {
  if (text == c.GetText()) return Result::kNone;
  c.SetText(text);
  owner.OnCommand(c.id(), Notify::kEditChange);
  return Result::kApplied;
}

TerminalHost::Result TerminalHost::Deselect(Dialog& owner, Control& c, int row) {
  if (c.kind() == ControlKind::kListBox) {
    static_cast<ListBox&>(c).SetSel(row, false);
    owner.OnCommand(c.id(), Notify::kSelChange);
  } else {
    auto& lv = static_cast<ListView&>(c);
    lv.SetSelected(row, false);
    lv.SetChangedRow(row);
    owner.OnCommand(c.id(), Notify::kItemChanged);
  }
  return Result::kApplied;
}

// ---- Keys

TerminalHost::Result TerminalHost::HandleKey(const KeyEvent& key, Command* command) {
  if (layers_.empty()) return Result::kNone;
  Layer& top = *layers_.back();
  if (help_open_) {
    // Any key or click closes the help, and does nothing else.
    if (key.key != Key::kMouse || key.action == MouseAction::kPress) help_open_ = false;
    return Result::kNone;
  }
  if (top.kind != Layer::Kind::kDialog || top.dialog->HasEnded()) menu_focus_ = -1;
  if (menu_focus_ >= 0) return MenuKey(*top.dialog, key, command);
  if (key.key == Key::kF1) {
    help_open_ = true;
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
      const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(key.text[0])));
      for (const auto& b : buttons) {
        if (std::tolower(static_cast<unsigned char>(b[0])) == letter) return answer(b);
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
        std::vector<Dialog*> family;
        Family(top, &family);
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
        const char letter =
            static_cast<char>(std::tolower(static_cast<unsigned char>(key.text[0])));
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
  std::vector<Dialog*> family;
  Family(top, &family);
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
  std::vector<Dialog*> family;
  Family(top, &family);
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
      auto group = owner.RadioGroup(c.id());
      std::erase_if(group, [&](RadioButton* r) { return !Focusable(owner, *r); });
      const auto it = std::find(group.begin(), group.end(), &c);
      if (group.empty() || it == group.end()) return Result::kNone;
      const int n = static_cast<int>(group.size());
      const int at = static_cast<int>(it - group.begin());
      RadioButton& next = *group[static_cast<size_t>(((at + step) % n + n) % n)];
      SetFocus(top, owner, next, true);
      return Click(owner, next, command);  // moving in a group chooses, as with the mouse
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
  auto join = [](const std::vector<std::string>& cs) {
    std::string s;
    for (const auto& ch : cs) s += ch;
    return s;
  };
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
      return ChangeText(owner, c, join(chars));
    }
    case Key::kChar: {
      if (key.ctrl || key.alt) return Result::kNone;
      if (read_only) {
        Hint("This field cannot be changed.");
        return Result::kNone;
      }
      if (number_only && !IsDigit(key.text)) {
        Hint("Only digits can be typed here.");
        return Result::kNone;
      }
      if (selected_all) {
        chars.clear();
        v.cursor = 0;
      }
      if (limit > 0 && static_cast<int>(chars.size()) >= limit) {
        Hint("No more than " + std::to_string(limit) + " characters fit here.");
        return Result::kNone;
      }
      v.anchor = -1;
      chars.insert(chars.begin() + v.cursor, key.text);
      ++v.cursor;
      return ChangeText(owner, c, join(chars));
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
        Hint("An address is four numbers from 0 to 255.");
        return Result::kNone;
      }
      uint8_t& o = octets[static_cast<size_t>(v.cursor)];
      if (v.digits < 0) v.digits = 0;
      const int typed = (v.digits == 0 ? 0 : o * 10) + (key.text[0] - '0');
      if (typed > 255) {
        Hint("Each part of an address is at most 255.");
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
      const int row =
          RowByLetter(cb, v.highlight,
                      static_cast<char>(std::tolower(static_cast<unsigned char>(key.text[0]))));
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
    row = RowByLetter(cb, row,
                      static_cast<char>(std::tolower(static_cast<unsigned char>(key.text[0]))));
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
    target = RowByLetter(c, v.cursor,
                         static_cast<char>(std::tolower(static_cast<unsigned char>(key.text[0]))));
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
      return Result::kNone;  // the caret moves; Space chooses
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

// ---- Mouse

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
  std::vector<Dialog*> family;
  Family(top, &family);
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
      v.open = !v.open;
      v.highlight = std::max(0, static_cast<ComboBox&>(c).GetCurSel());
      return Result::kNone;
    case ControlKind::kEdit:
      if (!had_focus) {
        // Clicked into: all of it selected and drawn so, typing replaces it.
        v.cursor = static_cast<int>(Utf8Length(c.GetText()));
        v.anchor = 0;
        return Result::kNone;
      }
      // Clicked again: the caret goes where the click was.
      v.anchor = -1;
      v.cursor = v.scroll + std::max(0, column);
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
