#pragma once

// CNvProDlg: the small modal progress dialog that runs one NV job (NvJob) as a chain of one-shot
// timers, so the window stays responsive between printer commands and the user can close it
// between two steps:
//
//   CNvProDlg dlg;
//   dlg.SetEngine(&nv);
//   dlg.SetJobCode(NvJob::kJobDeleteImage);
//   dlg.SetKeyCode("10");
//   if (dlg.DoModal(host) != ui::IDOK) MessageBox(dlg.message(), ...);
//
// Ends with IDOK when the job has finished and IDCANCEL when it failed or the user closed the
// dialog (close box or Escape); message() is then the text to show.

#include <optional>
#include <string>
#include <utility>

#include "nvimage/common_nv.h"
#include "nvimage/nv_job.h"
#include "ui/core/dialog.h"

class CNvProDlg : public ui::Dialog, private NvProgressSink {
 public:
  // `texts` is static data; it also chooses the window: a frame captioned with the step's text,
  // or the handheld's status line.
  explicit CNvProDlg(const NvJobTexts& texts = DesktopNvJobTexts());

  // Not owned; must outlive the run.
  void SetEngine(CCommonNv* nv) { nv_ = nv; }
  void SetJobCode(int job_code) { job_code_ = job_code; }
  void SetKeyCode(std::string key_code) { key_code_ = std::move(key_code); }

  const std::string& message() const { return message_; }

 protected:
  bool OnInitDialog() override;
  void OnTimer(int id) override;
  void OnCancel() override;
  bool StopsBetweenSteps() const override { return true; }

 private:
  void Follow(const NvStep& step);
  // NvProgressSink.
  void SetPosition(int position) override;
  void SetCaption(const std::string& text) override;
  void Refresh() override;

  const NvJobTexts* texts_;
  CCommonNv* nv_ = nullptr;
  int job_code_ = 0;
  std::string key_code_;
  std::optional<NvJob> job_;
  std::string message_;
};
