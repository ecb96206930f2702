#include "nvimage/dialogs/pda_nv_dlg.h"

#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/dialogs/pda_nv_templates.h"
#include "nvimage/dialogs/pda_nv_texts.h"

namespace {

using namespace nv_ctl;

constexpr NvManagerTexts kTexts{
    .caption = pda_nv_text::kCaption,
    .file_caption = pda_nv_text::kProgramCaption,
    .area_too_small = pda_nv_text::kAreaTooSmall,
    .question_caption = pda_nv_text::kListCaption,
};

}  // namespace

CPdaNvDlg::CPdaNvDlg(CCommonNv& nv, platform::Registry& registry)
    : CNvManagerBase(PdaNvTemplate(), kTexts, HandheldNvJobTexts(), nv, registry) {}

// ---- The image list side

void CPdaNvDlg::AddImages() {
  // No brightness on the handheld: every image is added at 0.
  AddImageFiles(false, 0);
  FillImageList();
}

void CPdaNvDlg::RemoveImages() {
  const int row = GetListBox(kImageList).GetCurSel();
  if (row < 0) {
    Tell(pda_nv_text::kNothingToRemove, ui::MB_ICONEXCLAMATION);
    return;
  }
  if (MessageBox(nv_text::kConfirmRemove, kTexts.question_caption,
                 ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES) {
    return;
  }
  nv_.RemoveImageEntry(static_cast<uint8_t>(row + 1));
  FillImageList();
}

void CPdaNvDlg::Reset() {
  GetListBox(kImageList).ResetContent();
  nv_.ClearImageEntries();
}

void CPdaNvDlg::Download() {
  if (nv_.images_.empty()) {
    Tell(pda_nv_text::kNothingToDownload, pda_nv_text::kListCaption, ui::MB_ICONEXCLAMATION);
    return;
  }
  SendPreparedDownload(PrepareDownload(PdaNvAddrTemplate()));
}

void CPdaNvDlg::FillImageList() {
  ui::ListBox& box = GetListBox(kImageList);
  box.ResetContent();
  for (const NvImageEntry& e : nv_.images_) box.AddString(e.name);
}
