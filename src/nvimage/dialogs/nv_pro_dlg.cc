#include "nvimage/dialogs/nv_pro_dlg.h"

#include "nvimage/dialogs/nv_pro_template.h"
#include "nvimage/dialogs/pda_nv_templates.h"

namespace {

constexpr int kFullPosition = 100;
constexpr int kFirstJobCode = NvJob::kJobReadKeyCodes;

}  // namespace

CNvProDlg::CNvProDlg(const NvJobTexts& texts)
    : ui::Dialog(texts.status_line ? PdaNvProTemplate() : NvProTemplate()),
      texts_(&texts),
      message_(texts.stopped) {}

bool CNvProDlg::OnInitDialog() {
  const int title = job_code_ - kFirstJobCode;
  if (title >= 0 && title < static_cast<int>(texts_->titles.size()) &&
      texts_->titles[title] != nullptr) {
    SetWindowText(texts_->titles[title]);
  }
  GetProgress(kNvProProgressId).SetRange(0, kFullPosition);
  GetProgress(kNvProProgressId).SetPos(0);
  message_ = texts_->stopped;
  if (nv_ == nullptr) {
    // Nothing to talk to the printer with: the same as a port that will not open.
    message_ = texts_->port_open_error;
    EndDialog(ui::IDCANCEL);
    return true;
  }
  job_.emplace(*nv_, static_cast<NvProgressSink&>(*this), *texts_);
  job_->SetJobCode(job_code_);
  job_->SetKeyCode(key_code_);
  Follow(job_->Start());
  return true;
}

void CNvProDlg::OnTimer(int id) {
  // Window timers repeat; each step runs once.
  KillTimer(id);
  if (HasEnded() || !job_) return;
  Follow(job_->Run(id));
}

void CNvProDlg::Follow(const NvStep& step) {
  message_ = job_->message();
  switch (step.kind) {
    case NvStep::Kind::kNext:
      SetTimer(step.id, step.delay_ms);
      return;
    case NvStep::Kind::kOk:
      EndDialog(ui::IDOK);
      return;
    case NvStep::Kind::kCancel:
      EndDialog(ui::IDCANCEL);
      return;
  }
}

void CNvProDlg::OnCancel() {
  // The user stops the job between two steps; the timer of the next one dies with the dialog.
  message_ = texts_->stopped;
  EndDialog(ui::IDCANCEL);
}

void CNvProDlg::SetPosition(int position) { GetProgress(kNvProProgressId).SetPos(position); }

// The desktop's frame and the handheld's status line carry the same id.
void CNvProDlg::SetCaption(const std::string& text) { SetDlgItemText(kNvProGroupId, text); }

void CNvProDlg::Refresh() { UpdateWindow(); }
