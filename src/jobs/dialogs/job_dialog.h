#pragma once

// JobDialog: a progress dialog that runs a JobRunner as a chain of window timers (one event of
// blocking exchanges each), so the window stays responsive between them. It ends with IDOK when
// the job has finished and IDCANCEL when it failed or the user pressed Cancel; the bar and the line
// under it follow the runner. Cancel pressed during an event stops the job before its next step
// or at the end of a wait for a reply, and pressed between two events before the next one; either
// way the job's actions undo what the printer must not be left in (JobActions::Stop).

#include <string>

#include "jobs/job_runner.h"
#include "ui/core/dialog.h"

namespace jobs {
class JobDialog : public ui::Dialog, protected JobProgress {
 public:
  // `bar_id` and `line_id` name the template's progress bar and the control that shows the line.
  JobDialog(const ui::Template& tmpl, int bar_id, int line_id);

 protected:
  // Starts `runner` (emplaced by the dialog) with its first timer.
  void StartJob(JobRunner& runner);
  void OnTimer(int id) override;
  // Stops the job (JobRunner::Stop), then ends the dialog with IDCANCEL.
  void OnCancel() override;
  bool StopsBetweenSteps() const override { return true; }
  // The job's note on what its stop left behind (empty: nothing, or it did not stop).
  std::string StopNote() const;
  // The job failed: runner's message() says why. The dialog then ends with IDCANCEL.
  virtual void OnJobFailed(const JobRunner& runner) = 0;

  // JobProgress: the bar, the line (when there is one) and a repaint, as the step holds the
  // thread until it has finished.
  void Show(int position, const std::string& line) override;

 private:
  int bar_id_;
  int line_id_;
  JobRunner* runner_ = nullptr;
};
}  // namespace jobs
