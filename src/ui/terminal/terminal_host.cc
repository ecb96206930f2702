#include "ui/terminal/terminal_host.h"

#include <cstdio>
#include <functional>
#include <set>

#include "platform/system/ascii_case.h"
#include "ui/core/utf8.h"
#include "ui/terminal/terminal_host_internals.h"

namespace ui {

using namespace terminal_rules;  // NOLINT: the host's own small rules

TerminalHost::TerminalHost(platform::Clock& clock, TerminalScreen& screen, Resources resources)
    : LoopHost(clock, std::move(resources)),
      screen_(screen),
      renderer_(screen, &LoopHost::resources()) {
  clock.SetIdleHook(this);
}

TerminalHost::~TerminalHost() { clock().SetIdleHook(nullptr); }

// ---- Frames

int TerminalHost::RunModal(Dialog& dialog) {
  if (dialog.IsOpen()) return -1;
  auto layer = std::make_unique<Layer>();
  layer->dialog = &dialog;
  const int result = layers_.Open(std::move(layer), [&] { return LoopHost::RunModal(dialog); });
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
  const int result =
      layers_.Open(std::move(layer), [&] { return LoopHost::MessageBox(text, caption, flags); });
  if (!layers_.empty()) Redraw();
  return result;
}

std::vector<std::string> TerminalHost::FileOpen(const FileOpenRequest& request) {
  auto layer = std::make_unique<Layer>();
  layer->kind = Layer::Kind::kBrowser;
  layer->browser = std::make_unique<FileBrowser>(request, browse_folder_);
  auto paths = layers_.Open(std::move(layer), [&] { return LoopHost::FileOpen(request); });
  if (!layers_.empty()) Redraw();
  return paths;
}

void TerminalHost::Repaint(Dialog& dialog) {
  (void)dialog;
  Redraw();
}

bool TerminalHost::FitsScreen(const Template& layout) const { return renderer_.Fits(layout); }

void TerminalHost::PurgeStale() {
  std::set<const Dialog*> dialogs;
  std::set<const Control*> controls;
  for (const auto& l : layers_) {
    if (l->kind != Layer::Kind::kDialog) continue;
    const std::vector<Dialog*> family = l->dialog->Family();
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
    entries.push_back(resources().Host("menu/close"));
    renderer_.DrawMenu(entries, menu_focus_);
  }
  if (help_open_) renderer_.DrawHelp(resources().Host("help/title"), HelpLines(), &help_first_);
  if (!status_.empty()) {
    renderer_.DrawStatus(status_);
  } else {
    renderer_.DrawKeyLine(KeyLine());
  }
  renderer_.End();
}

std::vector<std::pair<char, std::string>> TerminalHost::Mnemonics(Dialog& top) {
  std::vector<std::pair<char, std::string>> out;
  const std::vector<Dialog*> family = top.Family();
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

namespace {

// One entry of the key line. On a screen too narrow for all of them, entries give way whole,
// the highest `rank` first, so the line never ends inside one; entries of rank 0 always stay
// (F1 Help among them, as the help lists every key).
struct KeyItem {
  const char* key;  // host text key
  int rank = 0;
};

std::string FitKeyLine(const Resources& texts, const std::vector<KeyItem>& items, int width) {
  std::vector<bool> kept(items.size(), true);
  auto line = [&] {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
      if (!kept[i]) continue;
      if (!out.empty()) out += "  ";
      out += texts.Host(items[i].key);
    }
    return out;
  };
  while (TextCells(line()) > width) {
    size_t drop = items.size();
    for (size_t i = 0; i < items.size(); ++i) {
      if (kept[i] && items[i].rank > 0 &&
          (drop == items.size() || items[i].rank > items[drop].rank)) {
        drop = i;
      }
    }
    if (drop == items.size()) break;
    kept[drop] = false;
  }
  return line();
}

// The help's rows, "help/N/keys" and "help/N/does" among the host texts.
constexpr int kHelpRows = 10;
constexpr int kHelpKeyColumn = 19;  // where the descriptions start, at least

}  // namespace

std::string TerminalHost::KeyLine() {
  if (layers_.empty()) return {};
  Layer& top = *layers_.back();
  const int width = screen_.Width();
  if (help_open_) {
    return renderer_.HelpScrolls()
               ? FitKeyLine(resources(), {{"keyline/help-scroll", 0}, {"keyline/help-close", 0}},
                            width)
               : resources().Host("keyline/help-any-key");
  }
  if (top.kind == Layer::Kind::kBrowser) return {};  // the browser names its keys itself
  if (top.kind == Layer::Kind::kMessageBox) {
    std::vector<KeyItem> items = {{"keyline/help", 0}, {"keyline/next", 3}, {"keyline/answer", 1}};
    if (CanCloseBox(top.box.flags)) items.push_back({"keyline/close", 2});
    return FitKeyLine(resources(), items, width);
  }
  if (menu_focus_ >= 0) {
    return FitKeyLine(
        resources(),
        {{"keyline/menu-choose", 2}, {"keyline/menu-open", 0}, {"keyline/menu-close", 1}}, width);
  }
  std::vector<KeyItem> items = {{"keyline/help", 0},
                                {"keyline/next", 1},
                                {"keyline/ok", 3},
                                {"keyline/cancel", 2},
                                {"keyline/menu", 4}};
  if (renderer_.LastDialogScrolls()) items.push_back({"keyline/scroll", 5});
  std::string line = FitKeyLine(resources(), items, width);
  // The dialog's letters, as many as there is room for (the help lists them all).
  std::string letters;
  for (const auto& [m, caption] : Mnemonics(*top.dialog)) {
    const std::string more = letters + " " + platform::AsciiUpper(m);
    if (TextCells(line) + 2 + TextCells("Alt+" + more) > width) break;
    letters = more;
  }
  if (!letters.empty()) line += "  Alt+" + letters;
  return line;
}

std::vector<std::string> TerminalHost::HelpLines() {
  // The box's frame and margins take four cells of the screen's width.
  const int width = std::max(10, screen_.Width() - 4);
  std::vector<std::pair<std::string, std::string>> rows;  // keys, what they do
  int widest_keys = 0;
  int widest = 0;
  for (int n = 1; n <= kHelpRows; ++n) {
    const std::string row = "help/" + std::to_string(n);
    rows.emplace_back(resources().Host(row + "/keys"), resources().Host(row + "/does"));
    widest_keys = std::max(widest_keys, TextCells(rows.back().first));
    widest = std::max(widest, TextCells(rows.back().second));
  }
  // The descriptions start two cells after the longest keys where the width allows; keys that
  // still reach the column stand on a line of their own, their description under it.
  const int column = std::max(kHelpKeyColumn, std::min(widest_keys + 2, width - widest));
  const bool columns = column + widest <= width;
  std::vector<std::string> lines;
  for (auto& [keys, what] : rows) {
    if (columns) {
      const int key_cells = TextCells(keys);
      if (key_cells + 2 > column) {
        lines.push_back(keys);
        keys.clear();
      }
      keys.append(static_cast<size_t>(column - TextCells(keys)), ' ');
      lines.push_back(keys + what);
      continue;
    }
    // Narrow: the keys, then what they do indented under them, unless both fit on one line.
    if (TextCells(keys) + 2 + TextCells(what) <= width) {
      lines.push_back(keys + "  " + what);
      continue;
    }
    lines.push_back(keys);
    for (const std::string& l : WrapText(what, width - 2)) lines.push_back("  " + l);
  }
  if (layers_.empty() || layers_.back()->kind != Layer::Kind::kDialog) return lines;
  // The dialog's letters, several to a line where they fit.
  const int entry_cells = std::min(24, width);
  std::string line;
  for (const auto& [m, caption] : Mnemonics(*layers_.back()->dialog)) {
    std::string entry = "Alt+";
    entry += platform::AsciiUpper(m);
    entry += " " + caption;
    if (TextCells(entry) > entry_cells) entry = FitToCells(entry, entry_cells - 1) + "~";
    if (!line.empty() && TextCells(line) + 2 + TextCells(entry) > width) {
      lines.push_back(line);
      line.clear();
    }
    if (!line.empty()) line += "  ";
    line += entry;
    line.append(static_cast<size_t>(std::max(0, entry_cells - TextCells(entry))), ' ');
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
    Dialog* top = layers_.CancelKeepingDialog();
    if (top != nullptr && IsCancelPress(*top, key)) layers_.KeepCancel();
  }
  if (resized) Redraw();
}

bool TerminalHost::CancelKeptFor(const Dialog& dialog) const {
  return layers_.KeepsCancelFor(dialog);
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
      if (key.ctrl && key.text == "c") return true;  // Ctrl-C closes a dialog as Esc does
      if (key.text != " ") return false;
      break;
    default:
      return false;
  }
  const Control* focused = CurrentFocus(top).control;
  return focused != nullptr && focused->id() == IDCANCEL;
}

TerminalHost::Result TerminalHost::TakeKeptCancel(Command* command) {
  Dialog* kept = layers_.TakeKeptCancel();
  if (kept == nullptr) return Result::kNone;
  // Esc's own path: a Cancel that is hidden or disabled by now presses nothing.
  return Escape(*kept, command);
}

void TerminalHost::Emit(const Event& event) {
  if (event.kind == EventKind::kError) status_ = event.text;
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

}  // namespace ui
