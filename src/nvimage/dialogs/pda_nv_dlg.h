#pragma once

// CPdaNvDlg: the handheld NV manager. The same jobs and rules as the desktop's (CNVDlg) on a
// small screen: the chosen images by name on top, the printer's key codes (sorted) below; no
// preview, no brightness (images are added at 0) and no status line. The chosen images are kept
// in the registry between runs.
//
//   CPdaNvDlg manager(nv, registry);   // the key code list has just been read by job 1000
//   manager.DoModal(host);             // the caller closes the link afterwards

#include <string>

#include "nvimage/common_nv.h"
#include "nvimage/nv_download_plan.h"
#include "platform/registry.h"
#include "ui/core/dialog.h"

class CPdaNvDlg : public ui::Dialog, private nv::NvJobRunner {
 public:
  // Both must outlive the dialog.
  CPdaNvDlg(CCommonNv& nv, platform::Registry& registry);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnDestroy() override;

 private:
  // nv::NvJobRunner: the job in the handheld's progress dialog.
  bool RunJob(int job_code, const std::string& key_code, std::string* message) override;
  // Runs a job and shows its message when it fails.
  bool RunJobOrTell(int job_code, const std::string& key_code = {});

  void AddImage();
  void RemoveImage();
  void Reset();
  void Download();
  void Refresh();
  void PrintSelected();
  void RemoveSelectedKey();
  void RemoveAllKeys();
  void PrintAll();

  void FillImageList();
  void FillKeyList();
  // The selected key code, or empty after telling the user to select one.
  std::string SelectedKeyOrTell();
  void Tell(const std::string& text, const char* caption, unsigned icon = 0);

  CCommonNv& nv_;
  platform::Registry& registry_;
};
