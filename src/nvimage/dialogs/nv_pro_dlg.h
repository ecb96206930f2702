#pragma once

// CNvProDlg: the small modal progress dialog that runs one NV job (NvJob) as a chain of one-shot
// timers, so the window stays responsive between printer commands and the user can close it
// between two steps:
//
//   CNvProDlg dlg(texts);
//   dlg.SetEngine(&nv);
//   dlg.SetJobCode(NvJobCode::kDeleteImage);
//   dlg.SetKeyCode("10");
//   if (dlg.DoModal(host) != ui::IDOK) MessageBox(dlg.message(), ...);
//
// Ends with IDOK when the job has finished and IDCANCEL when it failed or the user closed the
// dialog (close box or Escape); message() is then the text to show.

#include <optional>
#include <string>
#include <utility>

#include "jobs/dialogs/job_dialog.h"
#include "nvimage/common_nv.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "nvimage/nv_job.h"

namespace nv {
class CNvProDlg : public jobs::JobDialog {
 public:
  // `texts` and `tmpl` are static data; the template's bar is kNvProProgressId, and the step's
  // texts go to kNvProGroupId (a frame's caption, or the handheld's status line).
  explicit CNvProDlg(const NvJobTexts& texts, const ui::Template& tmpl = NvProTemplate());

  // Not owned; must outlive the run.
  void SetEngine(CCommonNv* nv) { nv_ = nv; }
  void SetJobCode(NvJobCode job_code) { job_code_ = job_code; }
  void SetKeyCode(std::string key_code) { key_code_ = std::move(key_code); }

  const std::string& message() const { return message_; }

 protected:
  bool OnInitDialog() override;
  void OnCancel() override;
  void OnJobFailed(const jobs::JobRunner& runner) override { message_ = runner.message(); }

 private:
  const NvJobTexts* texts_;
  CCommonNv* nv_ = nullptr;
  NvJobCode job_code_ = NvJobCode::kReadKeyCodes;
  std::string key_code_;
  std::optional<NvJob> job_;
  std::string message_;
};
}  // namespace nv
