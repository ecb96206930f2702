#pragma once

// The engine every host shares: the stack of modal frames (dialogs, message boxes, file-open
// dialogs), the timers, the automation commands applied to the active frame, and the events
// reported about it (loop_host.cc: frames and timers; loop_host_commands.cc: the commands;
// snapshot_json.cc: what a snapshot shows). The scripted, automation, terminal and window hosts
// are front ends that differ in where commands come from, how time passes and where events go
// (the terminal and window hosts also draw).
//
// The loop of a modal frame: fire the due timers (earliest first; ties in the order they were
// armed; timers of every open dialog fire, as window timers do under a modal loop); when nothing
// is due, apply the next command to the active (top) frame, waiting for one at most until the
// next timer is due. Input that is already waiting goes before the timers that fell due while a
// timer handler ran: after such a handler one waiting command (if any) is applied first, so the
// user can stop a chain of blocking stages between any two of them. A `wait` command holds further
// commands until its condition holds or it times out, while timers keep firing. When the input has
// ended, the active frame is closed: a dialog by OnClose (a second time it is ended with IDCANCEL
// and an error is reported), a message box by Cancel, else No, else OK, a file-open dialog by
// cancelling.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/clock.h"
#include "ui/core/command.h"
#include "ui/core/dialog.h"
#include "ui/core/host.h"
#include "ui/core/string_table.h"

namespace ui {

enum class EventKind { kDialog, kClosed, kMessageBox, kFileDialog, kSnapshot, kError };

struct Event {
  EventKind kind = EventKind::kError;
  uint64_t ms = 0;                   // since the host started
  int template_id = 0;               // dialog, closed, snapshot
  std::string caption;               // dialog, messagebox, snapshot
  std::string text;                  // messagebox text, error message
  std::vector<std::string> buttons;  // messagebox
  unsigned flags = 0;                // messagebox: MB_ flags as given
  int result = 0;                    // closed
  std::string filter;                // filedialog
  bool multiple = false;             // filedialog
  std::string json;                  // the event as written by the automation host (no newline)
};

class LoopHost : public Host {
 public:
  LoopHost(platform::Clock& clock, Resources resources);
  ~LoopHost() override;

  int RunModal(Dialog& dialog) override;
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  std::vector<std::string> FileOpen(const FileOpenRequest& request) override;
  void SetTimer(Dialog& dialog, int id, uint32_t ms, bool repeat) override;
  void KillTimer(Dialog& dialog, int id) override;
  platform::Clock& clock() override { return clock_; }
  const Resources& resources() const override { return resources_; }

  // For the program's start-up (the language pack is chosen before the first dialog).
  void SetResources(Resources resources) { resources_ = std::move(resources); }

  // Error events so far (commands that could not be applied, waits that timed out...).
  int ErrorCount() const { return error_count_; }
  // The dialog on top of the stack of dialogs (under any message box), or nullptr.
  Dialog* TopDialog() const;
  // True while a message box is the active frame.
  bool MessageBoxActive() const;
  // Milliseconds since the host was created, on its clock.
  uint64_t ElapsedMs();
  // Number of armed timers (for tests and for deciding whether time can pass).
  size_t TimerCount() const;
  // The snapshot event of the top dialog as it stands now (also what `snapshot` reports).
  Event Snapshot();
  // For the program's end: a wait still holding then can never be met (what it waited for did
  // not come before the program finished); it is reported as an error so the exit status says so.
  void FinishScript();

 protected:
  static constexpr uint32_t kForever = UINT32_MAX;
  enum class FetchStatus { kCommand, kTimeout, kEnd };
  // The next command, waiting at most `timeout_ms` (kForever: no timer is armed) for it; with 0
  // only a command that is waiting already.
  virtual FetchStatus Fetch(uint32_t timeout_ms, Command* command) = 0;
  // Every event, in order, once it is complete (json filled in).
  virtual void Emit(const Event& event) = 0;
  // Reports an error event.
  void Error(std::string message);

 private:
  struct Frame;
  struct Wait;
  struct Timer {
    Dialog* dialog = nullptr;
    int id = 0;
    uint64_t due_ms = 0;
    uint32_t period_ms = 0;
    bool repeat = false;
    uint64_t seq = 0;  // arming order, for ties and to recognise a re-armed timer
    bool running = false;
  };
  void RunFrame(Frame& frame);
  bool FrameDone(const Frame& frame) const;
  // Fires the earliest due timer; `fired_at` is when its handler started.
  bool FireDueTimer(uint64_t* fired_at);
  // Whether a timer fell due after `since_ms`, up to now.
  bool CameDueSince(uint64_t since_ms);
  // Applies one command when one is waiting already (a zero time-out fetch).
  void ApplyWaitingInput();
  uint64_t NextTimerDue() const;
  bool WaitSatisfied() const;
  void Apply(const Command& command);
  void ApplyToDialog(Dialog& dialog, const Command& command);
  void CloseAtEnd(Frame& frame);
  void AfterPop();
  void Record(Event event);
  void RemoveTimersOf(const Dialog& dialog);

  platform::Clock& clock_;
  Resources resources_;
  uint64_t now_ms_ = 0;
  uint32_t last_tick_ = 0;
  std::vector<Frame*> stack_;
  std::vector<Timer> timers_;
  uint64_t timer_seq_ = 0;
  std::unique_ptr<Wait> wait_;
  int error_count_ = 0;
};

}  // namespace ui
