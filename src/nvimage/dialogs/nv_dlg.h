#pragma once

// CNVDlg: the desktop NV image manager. The images chosen on this computer (with a preview and
// a brightness each) on one side, the key codes stored in the printer on the other; every
// printer operation runs as an NV job in the progress dialog. The chosen images are kept in the
// registry between runs.
//
//   CNVDlg manager(nv, registry);   // the key code list has just been read by job 1000
//   manager.DoModal(host);          // the caller closes the link afterwards

#include <string>

#include "nvimage/common_nv.h"
#include "nvimage/nv_download_plan.h"
#include "platform/registry.h"
#include "ui/core/dialog.h"

class CNVDlg : public ui::Dialog, private nv::NvJobRunner {
 public:
  // Both must outlive the dialog.
  CNVDlg(CCommonNv& nv, platform::Registry& registry);

  // The entry shown in the preview (-1: none).
  int current_number() const { return current_number_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnTimer(int id) override;
  void OnDestroy() override;

 private:
  // nv::NvJobRunner: the job in its progress dialog.
  bool RunJob(int job_code, const std::string& key_code, std::string* message) override;
  // Runs a job and shows its message when it fails.
  bool RunJobOrTell(int job_code, const std::string& key_code = {});

  void PollSlider();
  void OnRowChanged();
  void AddImages();
  void RemoveImages();
  void Reset();
  void Download();
  // Chooses each image's key code and builds its define command; false when the user gave up.
  bool PrepareDownload();
  void Refresh();
  void PrintSelected();
  void RemoveSelectedKey();
  void RemoveAllKeys();
  void PrintAll();

  void FillImageList();
  void FillKeyList();
  void UpdateStatus();
  void RepaintPreview();
  NvImageEntry* FindEntry(int number);
  void Tell(const std::string& text, unsigned icon = 0);

  CCommonNv& nv_;
  platform::Registry& registry_;
  std::string preview_path_;
  int current_number_ = -1;
  int last_slider_ = 0;
};
