#include "ui/core/loop_host.h"

#include <algorithm>
#include <limits>

#include "ui/core/json.h"
#include "ui/core/loop_host_internals.h"
#include "ui/core/snapshot_json.h"

namespace ui {
namespace {

using loop_rules::Offers;
using loop_rules::TopLevel;

// Window timers never run faster than this; a zero period would otherwise spin without letting
// time pass.
constexpr uint32_t kMinTimerMs = 10;
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

}  // namespace

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
    Json o;
    switch (e.kind) {
      case EventKind::kDialog:
        o["event"] = "dialog";
        o["template"] = e.template_id;
        o["caption"] = e.caption;
        break;
      case EventKind::kClosed:
        o["event"] = "closed";
        o["template"] = e.template_id;
        o["result"] = e.result;
        break;
      case EventKind::kMessageBox:
        o["event"] = "messagebox";
        o["caption"] = e.caption;
        o["text"] = e.text;
        o["buttons"] = e.buttons;
        break;
      case EventKind::kFileDialog:
        o["event"] = "filedialog";
        o["filter"] = e.filter;
        o["multiple"] = e.multiple;
        break;
      case EventKind::kSnapshot:  // built by Snapshot()
        break;
      case EventKind::kError:
        o["event"] = "error";
        o["message"] = e.text;
        break;
    }
    e.json = EventLine(std::move(o), e.ms);
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
  Json o;
  o["event"] = "snapshot";
  if (Dialog* d = TopDialog()) {
    e.template_id = d->TemplateId();
    e.caption = d->GetWindowText();
    o["template"] = e.template_id;
    o["caption"] = e.caption;
    o["focus"] = d->GetFocusId();
    if (!d->SystemMenu().empty()) {
      Json entries = Json::array();
      for (const auto& m : d->SystemMenu()) {
        Json entry;
        entry["id"] = m.id;
        entry["text"] = m.text;
        entries.push_back(std::move(entry));
      }
      o["sysmenu"] = std::move(entries);
    }
    Json controls = Json::array();
    CollectControlJson(*d, &controls);
    o["controls"] = std::move(controls);
  }
  e.json = EventLine(std::move(o), e.ms);
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
  const std::vector<Dialog*> family = dialog.Family();
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

}  // namespace ui
