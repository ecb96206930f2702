#include "nvimage/dialogs/nv_pro_dlg.h"

namespace nv {
CNvProDlg::CNvProDlg(const NvJobTexts& texts, const ui::Template& tmpl)
    : JobDialog(tmpl, kNvProProgressId, kNvProGroupId), texts_(&texts), message_(texts.stopped) {}

bool CNvProDlg::OnInitDialog() {
  const auto title =
      static_cast<size_t>(static_cast<int>(job_code_) - static_cast<int>(NvJobCode::kReadKeyCodes));
  if (title < texts_->titles.size() && !texts_->titles[title].empty()) {
    SetWindowText(texts_->titles[title]);
  }
  GetProgress(kNvProProgressId).SetRange(0, jobs::JobRunner::kFullPosition);
  GetProgress(kNvProProgressId).SetPos(0);
  message_ = texts_->stopped;
  if (nv_ == nullptr) {
    // Nothing to talk to the printer with: the same as a port that will not open.
    message_ = texts_->port_open_error;
    EndDialog(ui::IDCANCEL);
    return true;
  }
  job_.emplace(*nv_, static_cast<jobs::JobProgress&>(*this), job_code_, key_code_, *texts_);
  StartJob(job_->runner());
  return true;
}

void CNvProDlg::OnCancel() {
  // The user stops the job between two steps; the timer of the next one dies with the dialog.
  message_ = texts_->stopped;
  JobDialog::OnCancel();
}
}  // namespace nv
