#pragma once

// CNVDlg: the desktop NV image manager. The images chosen on this computer (with a preview and
// a brightness each) on one side, the key codes stored in the printer on the other; every
// printer operation runs as an NV job in the progress dialog. The chosen images are kept in the
// registry between runs.
//
//   CNVDlg manager(nv, registry, texts);   // the key code list has just been read by job 1000
//   manager.DoModal(host);          // the caller closes the link afterwards

#include <string>

#include "nvimage/common_nv.h"
#include "nvimage/dialogs/nv_manager_base.h"
#include "platform/registry/registry.h"

namespace nv {
class CNVDlg : public CNvManagerBase {
 public:
  // `nv` and `registry` must outlive the dialog; `job_texts` (static data) are the program's
  // words for its NV jobs.
  CNVDlg(CCommonNv& nv, platform::Registry& registry, const NvJobTexts& job_texts);

  // The entry shown in the preview (-1: none).
  int current_number() const { return current_number_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnTimer(int id) override;
  void OnDestroy() override;

 private:
  void AddImages() override;
  void RemoveImages() override;
  void Reset() override;
  void Download() override;
  void FillImageList() override;
  void UpdateStatus() override;

  void PollSlider();
  void OnRowChanged();
  void RepaintPreview();
  const NvImageEntry* FindEntry(int number) const;

  std::string preview_path_;
  int current_number_ = -1;
  int last_slider_ = 0;
};
}  // namespace nv
