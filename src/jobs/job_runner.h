#pragma once

// JobRunner: carries out the steps of a JobPlan, with no window. A progress dialog runs one
// event per timer and arms the next ones as window timers (JobDialog); a program without windows
// runs the whole job in one call (RunToEnd) and sleeps where the dialog would wait:
//
//   TransferActions actions(vmsm);
//   JobRunner runner(vmsm.util(), DesktopTransferPlan(), actions, progress, clock, first_event);
//   if (!runner.RunToEnd()) {
//     // runner.message(): the failure's text, its second line saying what the link reported
//   }
//
// The link is left as the last step left it (open after success), so one job can follow another
// on the same connection.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "jobs/job_plan.h"
#include "platform/system/clock.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"

namespace jobs {
class JobRunner;

// Where a job shows its progress: the position and the line that goes with it ("Get status :
// 42 %", or the step's caption; empty while a job has shown none).
class JobProgress {
 public:
  virtual ~JobProgress() = default;
  virtual void Show(int position, const std::string& line) = 0;
  // A new caption over the steps that follow (plans without percent lines); shown at once.
  virtual void Caption(int position, const std::string& text) { Show(position, text); }
};

// What a job's own operations and conditions do.
class JobActions {
 public:
  virtual ~JobActions() = default;
  // The result code of operation `step.action` (0 success).
  virtual protocol::Result Perform(const JobStep& step, JobRunner& runner) = 0;
  virtual bool Applies(int condition) const = 0;
  // Called once when the job stops early at a stop request (Clock::StopRequested), between two
  // steps or when a step's reply wait gave up at one: undoes what the printer must not be left in.
  // Returns a note for the job's message; empty: nothing to note.
  virtual std::string Stop() { return {}; }
  // Called once when a step failed (not at a stop): undoes the same, quietly; the failure's
  // message stands as it is.
  virtual void Failed() {}
};

// The text of a plan's stage name or failure message: the fixed text when the plan has one, else
// the string `id`. Null: the fixed texts only.
using JobTextSource = std::function<std::string(std::string_view fixed, int id)>;

enum class JobState { kRunning, kDone, kFailed };

class JobRunner {
 public:
  static constexpr int kFullPosition = 100;
  static constexpr uint32_t kFirstEventDelayMs = 100;

  // `util` (may be null: the link never opens), `actions`, `progress` and `clock` must outlive
  // the runner; `plan` too.
  JobRunner(protocol::CCommonUtil* util, const JobPlan& plan, JobActions& actions,
            JobProgress& progress, platform::Clock& clock, JobTextSource text, int first_event);

  using ArmTimer = std::function<void(int event, uint32_t delay_ms)>;
  void Start(const ArmTimer& arm) const { arm(first_event_, kFirstEventDelayMs); }
  // Runs event `id`; each timer it arms goes to `arm`. kFailed when a step failed or the plan has
  // no such event: message() and failure_line() then say why, and the job is over. The closing
  // event runs the bar to its end and returns kDone.
  JobState RunEvent(int id, const ArmTimer& arm);

  // The whole job from its first event to the closing one, each armed event run when it falls
  // due (in due order; an event already overdue runs at once). False on failure, and when the
  // clock's stop signal stopped the job (stopped() then tells).
  bool RunToEnd();

  // Whether a stop request ended the job before its end. The runner checks the clock's stop
  // signal before each step and during its pauses, never within a step; the job's actions then
  // undo what they must (JobActions::Stop) and message() holds their note.
  bool stopped() const { return stopped_; }
  // Stops the job now, between two events (the user's Cancel): the same as a stop request seen
  // before the next step. Nothing when it has stopped already.
  void Stop();

  // `n` steps of one (while below 100 on a percent line), each shown and followed by `ms`.
  void Advance(uint32_t n, uint32_t ms = kAdvanceStepMs);
  // Shows `text` as the line from now on (plans without percent lines).
  void SetCaption(std::string_view text);

  void set_message(std::string text) { message_ = std::move(text); }
  const std::string& message() const { return message_; }
  const std::string& failure_line() const { return failure_line_; }
  int position() const { return position_; }

 private:
  static constexpr uint32_t kAdvanceStepMs = 2;

  bool RunStep(const JobStep& step, const ArmTimer& arm);
  // True when a stop request ends the job here (once it has, always).
  bool StopHere();
  // Sleeps `ms` in slices, false as soon as a stop request ends the job.
  bool Wait(uint32_t ms);
  protocol::Result Perform(const JobStep& step);
  std::string Text(std::string_view fixed, int id) const;

  protocol::CCommonUtil* util_;
  const JobPlan& plan_;
  JobActions& actions_;
  JobProgress& progress_;
  platform::Clock& clock_;
  JobTextSource text_;
  int first_event_;
  std::string message_;
  std::string failure_line_;
  std::string stage_;
  std::string separator_ = " : ";
  std::string line_;  // the progress line shown last, its room kept for the next
  int position_ = 0;
  bool stopped_ = false;
};
}  // namespace jobs
