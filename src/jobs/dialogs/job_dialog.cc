#include "jobs/dialogs/job_dialog.h"

namespace jobs {
JobDialog::JobDialog(const ui::Template& tmpl, int bar_id, int line_id)
    : ui::Dialog(tmpl), bar_id_(bar_id), line_id_(line_id) {}

void JobDialog::StartJob(JobRunner& runner) {
  runner_ = &runner;
  runner.Start([this](int event, uint32_t delay_ms) { SetTimer(event, delay_ms); });
}

void JobDialog::OnTimer(int id) {
  // Window timers repeat; each event runs once.
  KillTimer(id);
  if (HasEnded() || runner_ == nullptr) return;
  // An event may arm the closing one before its last steps (the settings write does, before the
  // Bluetooth items and their settling time); the loop still lets a Cancel pressed meanwhile beat
  // that overdue timer, and the timers of an ended dialog never fire.
  switch (runner_->RunEvent(id, [this](int next, uint32_t ms) { SetTimer(next, ms); })) {
    case JobState::kRunning:
      return;
    case JobState::kDone:
      EndDialog(ui::IDOK);
      return;
    case JobState::kFailed:
      OnJobFailed(*runner_);
      EndDialog(ui::IDCANCEL);
      return;
  }
}

void JobDialog::Show(int position, const std::string& line) {
  GetProgress(bar_id_).SetPos(position);
  if (!line.empty()) SetDlgItemText(line_id_, line);
  UpdateWindow();
}
}  // namespace jobs
