#include "ui/core/loop_host.h"

#include <algorithm>
#include <limits>

#include "ui/core/json.h"
#include "ui/core/utf8.h"

namespace ui {
namespace {

// Window timers never run faster than this; a zero period would otherwise spin without letting
// time pass.
constexpr uint32_t kMinTimerMs = 10;
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

int AnswerId(const std::string& name) {
  if (name == "OK") return IDOK;
  if (name == "Cancel") return IDCANCEL;
  if (name == "Yes") return IDYES;
  return IDNO;
}

std::string AnswerName(int id) {
  switch (id) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDYES:
      return "Yes";
    default:
      return "No";
  }
}

bool Offers(unsigned flags, int answer) {
  for (const auto& name : MessageBoxButtons(flags)) {
    if (AnswerId(name) == answer) return true;
  }
  return false;
}

// Every dialog of a family: the dialog and its pages, depth first.
void CollectFamily(Dialog& dialog, std::vector<Dialog*>* out) {
  out->push_back(&dialog);
  for (Dialog* page : dialog.Pages()) CollectFamily(*page, out);
}

// The top-level dialog a page belongs to (itself for a top-level dialog).
const Dialog& TopLevel(const Dialog& dialog) {
  const Dialog* d = &dialog;
  while (d->Parent() != nullptr) d = d->Parent();
  return *d;
}

std::string ControlJson(const Dialog& owner, const Control& c) {
  JsonObject o;
  o.Add("template", owner.TemplateId())
      .Add("id", c.id())
      .Add("kind", KindName(c.kind()))
      .Add("text", c.GetText())
      .Add("enabled", c.IsEnabled())
      .Add("visible", owner.IsControlShown(c));
  switch (c.kind()) {
    case ControlKind::kCheckBox:
      o.Add("checked", static_cast<const CheckBox&>(c).GetCheck());
      break;
    case ControlKind::kRadio:
      o.Add("checked", static_cast<const RadioButton&>(c).GetCheck());
      break;
    case ControlKind::kComboBox:
    case ControlKind::kListBox:
    case ControlKind::kTab: {
      const RowList& rows = *c.AsRowList();
      std::vector<std::string> items;
      for (int row = 0; row < rows.RowCount(); ++row) items.push_back(rows.RowText(row));
      o.Add("items", items).Add("selection", rows.SelectedRows());
      break;
    }
    case ControlKind::kListView: {
      const auto& lv = static_cast<const ListView&>(c);
      std::vector<std::string> columns;
      for (const auto& col : lv.Columns()) columns.push_back(col.text);
      std::vector<std::string> rows;
      for (const auto& row : lv.Rows()) {
        std::vector<std::string> cells;
        for (const auto& cell : row) cells.push_back(JsonQuote(cell));
        rows.push_back(JsonArray(cells));
      }
      o.Add("columns", columns)
          .AddRaw("items", JsonArray(rows))
          .Add("selection", lv.GetSelectedRows());
      break;
    }
    case ControlKind::kSlider: {
      const auto& s = static_cast<const Slider&>(c);
      o.Add("position", s.GetPos())
          .Add("range", std::vector<int>{s.GetRangeMin(), s.GetRangeMax()});
      break;
    }
    case ControlKind::kProgress: {
      const auto& p = static_cast<const ProgressBar&>(c);
      o.Add("position", p.GetPos())
          .Add("range", std::vector<int>{p.GetRangeMin(), p.GetRangeMax()});
      break;
    }
    case ControlKind::kPicture: {
      const auto& p = static_cast<const PictureFrame&>(c);
      o.Add("width", p.GetImage().width)
          .Add("height", p.GetImage().height)
          .Add("digest", p.Digest());
      break;
    }
    default:
      break;
  }
  return o.Str();
}

void CollectControlJson(const Dialog& dialog, std::vector<std::string>* out) {
  for (const auto& c : dialog.Controls()) out->push_back(ControlJson(dialog, *c));
  for (const Dialog* page : dialog.Pages()) CollectControlJson(*page, out);
}

// Finds the shown control `id` on the pages of `dialog`; several matches count as none.
Control* FindOnShownPages(Dialog& dialog, int id, Dialog** owner, int* matches) {
  Control* found = nullptr;
  for (Dialog* page : dialog.Pages()) {
    Control* c = page->FindControl(id);
    if (c != nullptr && page->IsControlShown(*c)) {
      ++*matches;
      found = c;
      *owner = page;
    }
    Dialog* deeper_owner = nullptr;
    if (Control* d = FindOnShownPages(*page, id, &deeper_owner, matches)) {
      found = d;
      *owner = deeper_owner;
    }
  }
  return found;
}

Dialog* FindPage(Dialog& dialog, int template_id) {
  for (Dialog* page : dialog.Pages()) {
    if (page->TemplateId() == template_id) return page;
    if (Dialog* deeper = FindPage(*page, template_id)) return deeper;
  }
  return nullptr;
}

}  // namespace

struct LoopHost::Frame {
  enum class Kind { kDialog, kMessageBox, kFileDialog };
  Kind kind = Kind::kDialog;
  Dialog* dialog = nullptr;
  unsigned flags = 0;
  FileOpenRequest request;
  bool done = false;
  int result = 0;
  std::vector<std::string> paths;
  int end_closes = 0;
};

struct LoopHost::Wait {
  bool messagebox = false;
  bool or_messagebox = false;
  int template_id = 0;
  uint64_t deadline_ms = 0;
  std::string source;
};

LoopHost::LoopHost(platform::Clock& clock, Resources resources)
    : clock_(clock), resources_(std::move(resources)), last_tick_(clock.TickCount()) {}

LoopHost::~LoopHost() = default;

uint64_t LoopHost::ElapsedMs() {
  const uint32_t tick = clock_.TickCount();
  now_ms_ += static_cast<uint32_t>(tick - last_tick_);
  last_tick_ = tick;
  return now_ms_;
}

size_t LoopHost::TimerCount() const { return timers_.size(); }

Dialog* LoopHost::TopDialog() const {
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    if ((*it)->kind == Frame::Kind::kDialog) return (*it)->dialog;
  }
  return nullptr;
}

bool LoopHost::MessageBoxActive() const {
  return !stack_.empty() && stack_.back()->kind == Frame::Kind::kMessageBox;
}

void LoopHost::Record(Event e) {
  e.ms = ElapsedMs();
  if (e.json.empty()) {
    JsonObject o;
    switch (e.kind) {
      case EventKind::kDialog:
        o.Add("event", "dialog").Add("template", e.template_id).Add("caption", e.caption);
        break;
      case EventKind::kClosed:
        o.Add("event", "closed").Add("template", e.template_id).Add("result", e.result);
        break;
      case EventKind::kMessageBox:
        o.Add("event", "messagebox")
            .Add("caption", e.caption)
            .Add("text", e.text)
            .Add("buttons", e.buttons);
        break;
      case EventKind::kFileDialog:
        o.Add("event", "filedialog").Add("filter", e.filter).Add("multiple", e.multiple);
        break;
      case EventKind::kSnapshot:  // built by Snapshot()
        break;
      case EventKind::kError:
        o.Add("event", "error").Add("message", e.text);
        break;
    }
    o.AddSeconds("t", e.ms);
    e.json = o.Str();
  }
  if (e.kind == EventKind::kError) ++error_count_;
  Emit(e);
}

void LoopHost::Error(std::string message) {
  Event e;
  e.kind = EventKind::kError;
  e.text = std::move(message);
  Record(std::move(e));
}

Event LoopHost::Snapshot() {
  Event e;
  e.kind = EventKind::kSnapshot;
  e.ms = ElapsedMs();
  JsonObject o;
  o.Add("event", "snapshot");
  if (Dialog* d = TopDialog()) {
    e.template_id = d->TemplateId();
    e.caption = d->GetWindowText();
    std::vector<std::string> controls;
    CollectControlJson(*d, &controls);
    o.Add("template", e.template_id).Add("caption", e.caption).Add("focus", d->GetFocusId());
    if (!d->SystemMenu().empty()) {
      std::vector<std::string> entries;
      for (const auto& m : d->SystemMenu()) {
        entries.push_back(JsonObject().Add("id", m.id).Add("text", m.text).Str());
      }
      o.AddRaw("sysmenu", JsonArray(entries));
    }
    o.AddRaw("controls", JsonArray(controls));
  }
  o.AddSeconds("t", e.ms);
  e.json = o.Str();
  return e;
}

void LoopHost::FinishScript() {
  if (!wait_) return;
  const std::string source = wait_->source;
  wait_.reset();
  Error(source + ": the program ended while waiting");
}

// ---- Modal frames

int LoopHost::RunModal(Dialog& dialog) {
  if (dialog.IsOpen()) return -1;
  Frame frame;
  frame.kind = Frame::Kind::kDialog;
  frame.dialog = &dialog;
  dialog.HostOpen(*this, nullptr);
  stack_.push_back(&frame);
  dialog.OnInitDialog();
  if (!dialog.HasEnded()) {
    Event e;
    e.kind = EventKind::kDialog;
    e.template_id = dialog.TemplateId();
    e.caption = dialog.GetWindowText();
    Record(std::move(e));
  }
  RunFrame(frame);
  const int result = dialog.Result();
  std::vector<Dialog*> family;
  CollectFamily(dialog, &family);
  dialog.HostClose();
  for (Dialog* d : family) RemoveTimersOf(*d);
  stack_.erase(std::find(stack_.begin(), stack_.end(), &frame));
  Event e;
  e.kind = EventKind::kClosed;
  e.template_id = dialog.TemplateId();
  e.result = result;
  Record(std::move(e));
  AfterPop();
  return result;
}

int LoopHost::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  Frame frame;
  frame.kind = Frame::Kind::kMessageBox;
  frame.flags = flags;
  stack_.push_back(&frame);
  Event e;
  e.kind = EventKind::kMessageBox;
  e.caption = std::string(caption);
  e.text = std::string(text);
  e.buttons = MessageBoxButtons(flags);
  e.flags = flags;
  Record(std::move(e));
  RunFrame(frame);
  stack_.erase(std::find(stack_.begin(), stack_.end(), &frame));
  AfterPop();
  return frame.result;
}

std::vector<std::string> LoopHost::FileOpen(const FileOpenRequest& request) {
  Frame frame;
  frame.kind = Frame::Kind::kFileDialog;
  frame.request = request;
  stack_.push_back(&frame);
  Event e;
  e.kind = EventKind::kFileDialog;
  e.filter = request.filter;
  e.multiple = request.multiple;
  Record(std::move(e));
  RunFrame(frame);
  stack_.erase(std::find(stack_.begin(), stack_.end(), &frame));
  AfterPop();
  return frame.paths;
}

void LoopHost::AfterPop() {
  if (stack_.empty()) return;
  Frame* top = stack_.back();
  if (top->kind != Frame::Kind::kDialog || top->dialog->HasEnded()) return;
  Event e;
  e.kind = EventKind::kDialog;
  e.template_id = top->dialog->TemplateId();
  e.caption = top->dialog->GetWindowText();
  Record(std::move(e));
}

bool LoopHost::FrameDone(const Frame& frame) const {
  return frame.kind == Frame::Kind::kDialog ? frame.dialog->HasEnded() : frame.done;
}

void LoopHost::RunFrame(Frame& frame) {
  while (!FrameDone(frame)) {
    uint64_t fired_at = 0;
    if (FireDueTimer(&fired_at)) {
      // A handler that blocked (a printer exchange) lets timers fall due behind it; input that
      // arrived meanwhile was there first, so a Cancel pressed during a step beats the next step.
      if (!FrameDone(frame) && CameDueSince(fired_at)) ApplyWaitingInput();
      continue;
    }
    if (wait_) {
      if (WaitSatisfied()) {
        wait_.reset();
        continue;
      }
      const uint64_t now = ElapsedMs();
      if (now >= wait_->deadline_ms) {
        Error("timed out: " + wait_->source);
        wait_.reset();
        continue;
      }
      const uint64_t until = std::min(wait_->deadline_ms, NextTimerDue());
      clock_.Sleep(static_cast<uint32_t>(std::min<uint64_t>(until - now, UINT32_MAX - 1)));
      continue;
    }
    uint32_t timeout = kForever;
    const uint64_t next = NextTimerDue();
    if (next != kNever) {
      const uint64_t now = ElapsedMs();
      timeout =
          next <= now ? 0 : static_cast<uint32_t>(std::min<uint64_t>(next - now, UINT32_MAX - 1));
    }
    Command command;
    switch (Fetch(timeout, &command)) {
      case FetchStatus::kCommand:
        Apply(command);
        break;
      case FetchStatus::kTimeout:
        break;
      case FetchStatus::kEnd:
        CloseAtEnd(frame);
        break;
    }
  }
}

void LoopHost::CloseAtEnd(Frame& frame) {
  switch (frame.kind) {
    case Frame::Kind::kDialog:
      if (frame.end_closes++ == 0) {
        frame.dialog->OnClose();
      } else {
        Error("dialog " + std::to_string(frame.dialog->TemplateId()) +
              " did not close at the end of input; ended with Cancel");
        frame.dialog->EndDialog(IDCANCEL);
      }
      break;
    case Frame::Kind::kMessageBox:
      frame.result = Offers(frame.flags, IDCANCEL) ? IDCANCEL
                     : Offers(frame.flags, IDNO)   ? IDNO
                                                   : IDOK;
      frame.done = true;
      break;
    case Frame::Kind::kFileDialog:
      frame.paths.clear();
      frame.done = true;
      break;
  }
}

// ---- Timers

void LoopHost::SetTimer(Dialog& dialog, int id, uint32_t ms, bool repeat) {
  if (!dialog.IsOpen()) return;
  KillTimer(dialog, id);
  ms = std::max(ms, kMinTimerMs);
  Timer t;
  t.dialog = &dialog;
  t.id = id;
  t.due_ms = ElapsedMs() + ms;
  t.period_ms = ms;
  t.repeat = repeat;
  t.seq = ++timer_seq_;
  timers_.push_back(t);
}

void LoopHost::KillTimer(Dialog& dialog, int id) {
  std::erase_if(timers_, [&](const Timer& t) { return t.dialog == &dialog && t.id == id; });
}

void LoopHost::RemoveTimersOf(const Dialog& dialog) {
  std::erase_if(timers_, [&](const Timer& t) { return t.dialog == &dialog; });
}

uint64_t LoopHost::NextTimerDue() const {
  uint64_t next = kNever;
  for (const Timer& t : timers_) {
    if (!t.running && !TopLevel(*t.dialog).HasEnded()) next = std::min(next, t.due_ms);
  }
  return next;
}

bool LoopHost::CameDueSince(uint64_t since_ms) {
  const uint64_t now = ElapsedMs();
  for (const Timer& t : timers_) {
    if (!t.running && t.due_ms > since_ms && t.due_ms <= now && !TopLevel(*t.dialog).HasEnded()) {
      return true;
    }
  }
  return false;
}

void LoopHost::ApplyWaitingInput() {
  if (wait_) {
    if (!WaitSatisfied()) return;  // the wait still holds the commands back
    wait_.reset();
  }
  Command command;
  // The end of the input is left to the loop's own fetch, after the due timers: the input has
  // nothing waiting.
  if (Fetch(0, &command) == FetchStatus::kCommand) Apply(command);
}

bool LoopHost::FireDueTimer(uint64_t* fired_at) {
  const uint64_t now = ElapsedMs();
  *fired_at = now;
  size_t best = timers_.size();
  for (size_t i = 0; i < timers_.size(); ++i) {
    const Timer& t = timers_[i];
    if (t.running || t.due_ms > now || TopLevel(*t.dialog).HasEnded()) continue;
    if (best == timers_.size() || t.due_ms < timers_[best].due_ms ||
        (t.due_ms == timers_[best].due_ms && t.seq < timers_[best].seq)) {
      best = i;
    }
  }
  if (best == timers_.size()) return false;
  Dialog* dialog = timers_[best].dialog;
  const int id = timers_[best].id;
  const uint64_t seq = timers_[best].seq;
  const bool repeat = timers_[best].repeat;
  if (repeat) {
    timers_[best].due_ms = now + timers_[best].period_ms;
    timers_[best].running = true;
  } else {
    timers_.erase(timers_.begin() + static_cast<long>(best));
  }
  dialog->OnTimer(id);
  if (repeat) {
    for (Timer& t : timers_) {
      if (t.seq == seq) t.running = false;
    }
  }
  return true;
}

bool LoopHost::WaitSatisfied() const {
  if (stack_.empty()) return false;
  const Frame* top = stack_.back();
  if (wait_->messagebox || wait_->or_messagebox) {
    if (top->kind == Frame::Kind::kMessageBox) return true;
    if (wait_->messagebox) return false;
  }
  return top->kind == Frame::Kind::kDialog && !top->dialog->HasEnded() &&
         top->dialog->TemplateId() == wait_->template_id;
}

// ---- Commands

void LoopHost::Apply(const Command& command) {
  const std::string& src = command.source;
  Frame* top = stack_.empty() ? nullptr : stack_.back();
  switch (command.kind) {
    case CommandKind::kWaitDialog:
    case CommandKind::kWaitMessageBox: {
      wait_ = std::make_unique<Wait>();
      wait_->messagebox = command.kind == CommandKind::kWaitMessageBox;
      wait_->or_messagebox = command.or_messagebox;
      wait_->template_id = command.number;
      wait_->deadline_ms = ElapsedMs() + static_cast<uint64_t>(command.seconds * 1000.0 + 0.5);
      wait_->source = src;
      return;
    }
    case CommandKind::kSnapshot:
      if (TopDialog() == nullptr) {
        Error(src + ": no dialog is open");
        return;
      }
      Record(Snapshot());
      return;
    case CommandKind::kAnswer:
      if (top == nullptr || top->kind != Frame::Kind::kMessageBox) {
        Error(src + ": no message box is up");
        return;
      }
      if (!Offers(top->flags, command.number)) {
        Error(src + ": the message box has no " + AnswerName(command.number) + " button");
        return;
      }
      top->result = command.number;
      top->done = true;
      return;
    case CommandKind::kFiles:
      if (top == nullptr || top->kind != Frame::Kind::kFileDialog) {
        Error(src + ": no file dialog is up");
        return;
      }
      if (!top->request.multiple && command.paths.size() > 1) {
        Error(src + ": the file dialog takes one file");
        return;
      }
      top->paths = command.paths;
      top->done = true;
      return;
    case CommandKind::kClose:
      if (top == nullptr) {
        Error(src + ": nothing to close");
      } else if (top->kind == Frame::Kind::kDialog) {
        top->dialog->OnClose();
      } else if (top->kind == Frame::Kind::kFileDialog) {
        top->paths.clear();
        top->done = true;
      } else if (Offers(top->flags, IDCANCEL) || (top->flags & MB_BUTTONMASK) == MB_OK) {
        top->result = Offers(top->flags, IDCANCEL) ? IDCANCEL : IDOK;
        top->done = true;
      } else {
        Error(src + ": this message box cannot be closed; answer it");
      }
      return;
    default:
      break;
  }
  if (top == nullptr || top->kind != Frame::Kind::kDialog) {
    Error(src + (top == nullptr ? ": no dialog is open"
                                : (top->kind == Frame::Kind::kMessageBox
                                       ? ": a message box is up; answer it first"
                                       : ": the file dialog is up; answer it first")));
    return;
  }
  ApplyToDialog(*top->dialog, command);
}

void LoopHost::ApplyToDialog(Dialog& dialog, const Command& command) {
  const std::string& src = command.source;
  if (command.kind == CommandKind::kSysMenu) {
    for (const auto& entry : dialog.SystemMenu()) {
      if (entry.id == command.number) {
        dialog.OnSysCommand(entry.id);
        return;
      }
    }
    Error(src + ": dialog " + std::to_string(dialog.TemplateId()) + " has no system-menu entry " +
          std::to_string(command.number));
    return;
  }

  const ControlRef& ref = command.target;
  Dialog* owner = &dialog;
  Control* c = nullptr;
  if (ref.template_id == 0 || ref.template_id == dialog.TemplateId()) {
    c = dialog.FindControl(ref.id);
    if (c == nullptr && ref.template_id == 0) {
      int matches = 0;
      c = FindOnShownPages(dialog, ref.id, &owner, &matches);
      if (matches > 1) {
        Error(src + ": control " + std::to_string(ref.id) +
              " is on several pages; name it as TEMPLATE:ID");
        return;
      }
    }
  } else {
    owner = FindPage(dialog, ref.template_id);
    if (owner == nullptr) {
      Error(src + ": dialog " + std::to_string(dialog.TemplateId()) + " has no page " +
            std::to_string(ref.template_id));
      return;
    }
    c = owner->FindControl(ref.id);
  }
  if (c == nullptr) {
    Error(src + ": dialog " + std::to_string(owner->TemplateId()) + " has no control " +
          std::to_string(ref.id));
    return;
  }
  if (!owner->IsControlShown(*c)) {
    Error(src + ": control " + std::to_string(ref.id) + " is hidden");
    return;
  }
  if (!c->IsEnabled()) {
    Error(src + ": control " + std::to_string(ref.id) + " is disabled");
    return;
  }
  const int id = c->id();
  const std::string kind_error =
      src + ": control " + std::to_string(id) + " is of kind " + std::string(KindName(c->kind()));

  switch (command.kind) {
    case CommandKind::kClick:
      switch (c->kind()) {
        case ControlKind::kButton:
          break;
        case ControlKind::kCheckBox: {
          auto* cb = static_cast<CheckBox*>(c);
          cb->SetCheck(!cb->GetCheck());
          break;
        }
        case ControlKind::kRadio:
          owner->CheckRadioButton(id);
          break;
        default:
          Error(kind_error + "; click needs a button, check box or radio button");
          return;
      }
      owner->OnCommand(id, Notify::kClicked);
      return;

    case CommandKind::kSelect: {
      RowList* rows = c->AsRowList();
      if (rows == nullptr) {
        Error(kind_error + "; select needs a drop-down list, list box, list view or tab control");
        return;
      }
      int row = -1;
      if (command.by_text) {
        row = rows->RowWithText(command.text);
      } else if (command.rows[0] < rows->RowCount()) {
        row = command.rows[0];
      }
      if (row < 0) {
        Error(src + ": control " + std::to_string(id) + " has no such row");
        return;
      }
      owner->OnCommand(id, rows->ChooseRow(row));
      return;
    }

    case CommandKind::kExtend: {
      RowList* rows = c->AsRowList();
      if (rows == nullptr || !rows->AllowsSeveralRows()) {
        Error(kind_error + "; extend needs a list box or list view with multi-selection");
        return;
      }
      for (int row : command.rows) {
        if (row >= rows->RowCount()) {
          Error(src + ": control " + std::to_string(id) + " has no row " + std::to_string(row));
          return;
        }
        owner->OnCommand(id, rows->AddRow(row));
      }
      return;
    }

    case CommandKind::kType: {
      const bool edit = c->kind() == ControlKind::kEdit;
      const bool combo =
          c->kind() == ControlKind::kComboBox && static_cast<ComboBox*>(c)->IsEditable();
      const bool ip = c->kind() == ControlKind::kIpAddress;
      if (!edit && !combo && !ip) {
        Error(kind_error + "; type needs an edit, an editable drop-down list or an IP address");
        return;
      }
      if (edit && static_cast<Edit*>(c)->IsReadOnly()) {
        Error(src + ": edit " + std::to_string(id) + " is read-only");
        return;
      }
      // The typed text replaces what the control shows: the first keystroke overwrites it.
      std::string typed;
      bool first = true;
      auto still_usable = [&] {
        return !TopLevel(*owner).HasEnded() && owner->FindControl(id) == c && c->IsEnabled() &&
               owner->IsControlShown(*c);
      };
      const auto keys = Utf8Characters(command.text);
      if (keys.empty()) {
        if (!c->GetText().empty()) {
          c->SetText("");
          owner->OnCommand(id, Notify::kEditChange);
        }
        return;
      }
      for (const std::string& key : keys) {
        if (!still_usable()) return;
        const std::string base = first ? std::string() : (ip ? typed : c->GetText());
        if (edit) {
          auto* e = static_cast<Edit*>(c);
          if (e->IsNumberOnly() && !(key.size() == 1 && key[0] >= '0' && key[0] <= '9')) {
            continue;  // the control refuses the keystroke, as a number-only edit does
          }
          if (e->GetLimitText() > 0 &&
              Utf8Length(base) + 1 > static_cast<size_t>(e->GetLimitText())) {
            continue;  // full: the keystroke is refused
          }
        }
        if (ip && !(key == "." || (key.size() == 1 && key[0] >= '0' && key[0] <= '9'))) {
          continue;
        }
        typed = base + key;
        first = false;
        c->SetText(typed);
        owner->OnCommand(id, Notify::kEditChange);
      }
      return;
    }

    case CommandKind::kSlide: {
      if (c->kind() != ControlKind::kSlider) {
        Error(kind_error + "; slide needs a slider");
        return;
      }
      auto* s = static_cast<Slider*>(c);
      if (command.number < s->GetRangeMin() || command.number > s->GetRangeMax()) {
        Error(src + ": position outside the slider's range " + std::to_string(s->GetRangeMin()) +
              " to " + std::to_string(s->GetRangeMax()));
        return;
      }
      s->SetPos(command.number);
      owner->OnCommand(id, Notify::kScroll);
      return;
    }

    default:
      Error(src + ": cannot be applied here");
      return;
  }
}

}  // namespace ui
