#pragma once

// The host for in-process tests, in virtual time. A test queues command lines (the automation
// language of command.h); the host applies them when the program waits for the user. With no
// command queued, virtual time runs on to the next timer (up to the idle limit after the last
// command); with no timer either, the input counts as ended and the open dialogs are closed.
// Queued commands count as input that is waiting already (the user typed ahead).
// Every event is recorded (and handed to the event callback, which may queue more commands).
//
//   platform::VirtualClock clock;
//   ui::ScriptedHost host(clock);
//   host.Queue({"wait dialog 133", "select 1022 1", "type 141:1100 \"91\"", "answer OK",
//               "click 1"});
//   EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
//   EXPECT_EQ(host.ErrorCount(), 0);

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/clock.h"
#include "ui/core/loop_host.h"

namespace ui {

class ScriptedHost : public LoopHost {
 public:
  explicit ScriptedHost(platform::VirtualClock& clock, Resources resources = {});

  // Queues one command line. A line that does not parse is not queued: an error event is
  // recorded and false returned. Blank and comment lines are accepted and ignored.
  bool Queue(std::string_view line);
  // Queues several; false when any line did not parse.
  bool Queue(std::initializer_list<std::string_view> lines);

  using EventCallback = std::function<void(const Event&, ScriptedHost&)>;
  void SetEventCallback(EventCallback callback) { callback_ = std::move(callback); }

  // How long virtual time may run on without commands before the input counts as ended
  // (dialogs that poll forever would otherwise never close). Default 60 s.
  void SetIdleLimitMs(uint64_t ms) { idle_limit_ms_ = ms; }

  const std::vector<Event>& Events() const { return events_; }
  // The JSON lines of the events, as the automation host would print them.
  std::vector<std::string> EventLines() const;
  // The recorded events of one kind.
  std::vector<Event> EventsOf(EventKind kind) const;
  void ClearEvents() { events_.clear(); }

 protected:
  FetchStatus Fetch(uint32_t timeout_ms, Command* command) override;
  void Emit(const Event& event) override;

 private:
  platform::VirtualClock& virtual_clock_;
  std::deque<Command> queue_;
  std::vector<Event> events_;
  EventCallback callback_;
  uint64_t idle_limit_ms_ = 60000;
  uint64_t last_command_ms_ = 0;
};

}  // namespace ui
