#include "handheld/pda_nv_dlg.h"

#include "handheld/pda_nv_templates.h"
#include "handheld/pda_nv_texts.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "protocol/common_util.h"

namespace pda {
namespace {

using namespace nv::nv_ctl;

constexpr nv::NvManagerTexts kTexts{
    .caption = pda_nv_text::kCaption,
    .file_caption = pda_nv_text::kProgramCaption,
    .area_too_small = pda_nv_text::kAreaTooSmall,
    .question_caption = pda_nv_text::kListCaption,
    .progress = PdaNvProTemplate,
};

}  // namespace

const nv::NvJobTexts& HandheldNvJobTexts() {
  static const nv::NvJobTexts texts{
      .titles = {"Get Nv Address list", "Delete seleted Nv address", "Delete All Nv address area",
                 "Download Image....", "Print NV All Image...", "Print selected NV Image..."},
      .stopped = "Download process is stoped...",
      .port_open_error = "Port Open Error!!!",
      .read_list_failed = "Failed to read NV Image address!",
      .write_failed = " Failed to write data!\r\nPlease Check your printer!",
      .download_write_failed = "Failed to write data!\r\nPlease Check your printer!",
      // The handheld checks the model name and that the firmware answers, not the maker.
      .identify = {{protocol::CCommonUtil::kModel, "Printer Model name not matched...!!", 5, 5,
                    "Check Printer..."},
                   {protocol::CCommonUtil::kFirmwareVersion, "Failed to get Printer version..!!", 0,
                    5, "Check Printer..."}},
      .opened = "Open Port..",
      .read_list = "Get NV Address",
      .delete_one = "Delete Selected NV Image",
      .delete_all = "Delete all NV Image",
      .download_start = "Download Start....",
      .downloading_suffix = " Downloading...",
      .download_finished = "Finish Downloading....",
      .print_all = "Print All NV image",
      .print_one = "Print selected NV Image",
  };
  return texts;
}

CPdaNvDlg::CPdaNvDlg(nv::CCommonNv& nv, platform::Registry& registry)
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
  if (MessageBox(nv::nv_text::kConfirmRemove, kTexts.question_caption,
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
  if (nv_.images().empty()) {
    Tell(pda_nv_text::kNothingToDownload, pda_nv_text::kListCaption, ui::MB_ICONEXCLAMATION);
    return;
  }
  SendPreparedDownload(PrepareDownload(PdaNvAddrTemplate()));
}

void CPdaNvDlg::FillImageList() {
  ui::ListBox& box = GetListBox(kImageList);
  box.ResetContent();
  for (const nv::NvImageEntry& e : nv_.images()) box.AddString(e.name);
}
}  // namespace pda
