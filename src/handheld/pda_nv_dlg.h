#pragma once

// CPdaNvDlg: the handheld NV manager. The same jobs and rules as the desktop's (CNVDlg) on a
// small screen: the chosen images by name on top, the printer's key codes (sorted) below; no
// preview, no brightness (images are added at 0) and no status line. The chosen images are kept
// in the registry between runs.
//
//   CPdaNvDlg manager(nv, registry);   // the key code list has just been read by job 1000
//   manager.DoModal(host);             // the caller closes the link afterwards

#include "nvimage/common_nv.h"
#include "nvimage/dialogs/nv_manager_base.h"
#include "platform/registry/registry.h"

namespace pda {
// The handheld program's NV job texts: a title by job code and a text for every step, so that the
// user of a slow handheld link sees what it is waiting for.
const nv::NvJobTexts& HandheldNvJobTexts();

class CPdaNvDlg : public nv::CNvManagerBase {
 public:
  // Both must outlive the dialog.
  CPdaNvDlg(nv::CCommonNv& nv, platform::Registry& registry);

 private:
  void AddImages() override;
  void RemoveImages() override;
  void Reset() override;
  void Download() override;
  void FillImageList() override;
};
}  // namespace pda
