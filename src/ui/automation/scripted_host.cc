#include "ui/automation/scripted_host.h"

namespace ui {

ScriptedHost::ScriptedHost(platform::VirtualClock& clock, Resources resources)
    : LoopHost(clock, std::move(resources)), virtual_clock_(clock) {}

bool ScriptedHost::Queue(std::string_view line) {
  ParseResult r = ParseCommand(line);
  if (!r.error.empty()) {
    Error("queued line '" + std::string(line) + "': " + r.error);
    return false;
  }
  if (r.command) queue_.push_back(std::move(*r.command));
  return true;
}

bool ScriptedHost::Queue(std::initializer_list<std::string_view> lines) {
  bool ok = true;
  for (std::string_view line : lines) ok = Queue(line) && ok;
  return ok;
}

std::vector<std::string> ScriptedHost::EventLines() const {
  std::vector<std::string> lines;
  lines.reserve(events_.size());
  for (const Event& e : events_) lines.push_back(e.json);
  return lines;
}

std::vector<Event> ScriptedHost::EventsOf(EventKind kind) const {
  std::vector<Event> out;
  for (const Event& e : events_) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

LoopHost::FetchStatus ScriptedHost::Fetch(uint32_t timeout_ms, Command* command) {
  if (!queue_.empty()) {
    *command = std::move(queue_.front());
    queue_.pop_front();
    last_command_ms_ = ElapsedMs();
    return FetchStatus::kCommand;
  }
  if (timeout_ms == kForever) return FetchStatus::kEnd;
  const uint64_t now = ElapsedMs();
  if (now + timeout_ms > last_command_ms_ + idle_limit_ms_) return FetchStatus::kEnd;
  virtual_clock_.Advance(timeout_ms);
  return FetchStatus::kTimeout;
}

void ScriptedHost::Emit(const Event& event) {
  events_.push_back(event);
  if (callback_) callback_(event, *this);
}

}  // namespace ui
