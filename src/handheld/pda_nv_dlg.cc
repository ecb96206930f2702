#include "handheld/pda_nv_dlg.h"

#include "handheld/pda_nv_templates.h"
#include "handheld/pda_nv_texts.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "protocol/common_util.h"

namespace {

using namespace nv_ctl;

constexpr NvManagerTexts kTexts{
    .caption = pda_nv_text::kCaption,
    .file_caption = pda_nv_text::kProgramCaption,
    .area_too_small = pda_nv_text::kAreaTooSmall,
    .question_caption = pda_nv_text::kListCaption,
};

}  // namespace

const NvJobTexts& HandheldNvJobTexts() {
  static const NvJobTexts texts = [] {
    NvJobTexts t;
    t.titles = {"Get Nv Address list", "Delete seleted Nv address", "Delete All Nv address area",
                "Download Image....",  "Print NV All Image...",     "Print selected NV Image..."};
    t.stopped = "Download process is stoped...";
    t.port_open_error = "Port Open Error!!!";
    t.read_list_failed = "Failed to read NV Image address!";
    t.write_failed = " Failed to write data!\r\nPlease Check your printer!";
    t.download_write_failed = "Failed to write data!\r\nPlease Check your printer!";
    // The handheld checks the model name and that the firmware answers, not the maker.
    t.identify = {
        {CCommonUtil::kModel, "Printer Model name not matched...!!", 5, 5, "Check Printer..."},
        {CCommonUtil::kFirmwareVersion, "Failed to get Printer version..!!", 0, 5,
         "Check Printer..."},
    };
    t.opened = "Open Port..";
    t.read_list = "Get NV Address";
    t.delete_one = "Delete Selected NV Image";
    t.delete_all = "Delete all NV Image";
    t.download_start = "Download Start....";
    t.downloading_suffix = " Downloading...";
    t.download_finished = "Finish Downloading....";
    t.print_all = "Print All NV image";
    t.print_one = "Print selected NV Image";
    return t;
  }();
  return texts;
}

CPdaNvDlg::CPdaNvDlg(CCommonNv& nv, platform::Registry& registry)
    : CNvManagerBase(PdaNvTemplate(), kTexts, HandheldNvJobTexts(), PdaNvProTemplate(), nv,
                     registry) {}

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
  if (nv_.images().empty()) {
    Tell(pda_nv_text::kNothingToDownload, pda_nv_text::kListCaption, ui::MB_ICONEXCLAMATION);
    return;
  }
  SendPreparedDownload(PrepareDownload(PdaNvAddrTemplate()));
}

void CPdaNvDlg::FillImageList() {
  ui::ListBox& box = GetListBox(kImageList);
  box.ResetContent();
  for (const NvImageEntry& e : nv_.images()) box.AddString(e.name);
}
