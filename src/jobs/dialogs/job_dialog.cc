#include "jobs/dialogs/job_dialog.h"

#include "platform/system/clock.h"
#include "ui/core/host.h"

namespace jobs {
namespace {

// While an event runs: the stop request a Cancel pressed in `dialog` makes, unless the clock
// carries a signal of its own.
class CancelStop : public platform::StopSignal {
 public:
  explicit CancelStop(ui::Dialog& dialog) : dialog_(dialog), clock_(dialog.clock()) {
    if (!clock_.HasStopSignal()) {
      clock_.SetStopSignal(this);
      installed_ = true;
    }
  }
  ~CancelStop() override {
    if (installed_) clock_.SetStopSignal(nullptr);
  }
  CancelStop(const CancelStop&) = delete;
  CancelStop& operator=(const CancelStop&) = delete;

  bool StopRequested() override {
    if (!asked_ && dialog_.host() != nullptr) asked_ = dialog_.host()->CancelKeptFor(dialog_);
    return asked_;
  }
  bool asked() const { return asked_; }

 private:
  ui::Dialog& dialog_;
  platform::Clock& clock_;
  bool installed_ = false;
  bool asked_ = false;
};

}  // namespace

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
  CancelStop cancel(*this);
  switch (runner_->RunEvent(id, [this](int next, uint32_t ms) { SetTimer(next, ms); })) {
    case JobState::kRunning:
      return;
    case JobState::kDone:
      EndDialog(ui::IDOK);
      return;
    case JobState::kFailed:
      // A wait cut short by the user's Cancel is no failure of the printer's.
      if (cancel.asked()) {
        OnCancel();
        return;
      }
      OnJobFailed(*runner_);
      EndDialog(ui::IDCANCEL);
      return;
  }
}

void JobDialog::OnCancel() {
  if (runner_ != nullptr) runner_->Stop();
  ui::Dialog::OnCancel();
}

std::string JobDialog::StopNote() const {
  return runner_ != nullptr && runner_->stopped() ? runner_->message() : std::string();
}

void JobDialog::Show(int position, const std::string& line) {
  GetProgress(bar_id_).SetPos(position);
  if (!line.empty()) SetDlgItemText(line_id_, line);
  UpdateWindow();
}
}  // namespace jobs
