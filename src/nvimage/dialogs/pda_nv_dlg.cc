#include "nvimage/dialogs/pda_nv_dlg.h"

#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/dialogs/nv_pro_dlg.h"
#include "nvimage/dialogs/pda_nv_addr_dlg.h"
#include "nvimage/dialogs/pda_nv_templates.h"
#include "nvimage/dialogs/pda_nv_texts.h"
#include "nvimage/nv_image_list.h"
#include "nvimage/nv_job.h"
#include "protocol/result_codes.h"

namespace {

using namespace nv_ctl;

// The printer settles after a download before its list is read again.
constexpr uint32_t kAfterDownloadMs = 200;

}  // namespace

CPdaNvDlg::CPdaNvDlg(CCommonNv& nv, platform::Registry& registry)
    : ui::Dialog(PdaNvTemplate()), nv_(nv), registry_(registry) {}

bool CPdaNvDlg::OnInitDialog() {
  nv::LoadImageList(
      registry_, nv_, [this](const std::string& message) { Tell(message, pda_nv_text::kCaption); },
      pda_nv_text::kAreaTooSmall);
  FillKeyList();
  FillImageList();
  return true;
}

void CPdaNvDlg::OnCommand(int id, ui::Notify code) {
  if (code != ui::Notify::kClicked) {
    ui::Dialog::OnCommand(id, code);
    return;
  }
  switch (id) {
    case kAddImage:
      AddImage();
      return;
    case kRemoveImage:
      RemoveImage();
      return;
    case kReset:
      Reset();
      return;
    case kDownload:
      Download();
      return;
    case kRefresh:
      Refresh();
      return;
    case kPrintAll:
      PrintAll();
      return;
    case kPrint:
      PrintSelected();
      return;
    case kRemoveKey:
      RemoveSelectedKey();
      return;
    case kRemoveAll:
      RemoveAllKeys();
      return;
    default:
      ui::Dialog::OnCommand(id, code);
  }
}

void CPdaNvDlg::OnDestroy() {
  // The next manager run identifies the printer again.
  nv_.identified_ = 0;
  nv::SaveImageList(registry_, nv_);
  nv_.download_list_.clear();
  nv_.key_codes_.clear();
}

// ---- Jobs

bool CPdaNvDlg::RunJob(int job_code, const std::string& key_code, std::string* message) {
  if (host() == nullptr) return false;
  CNvProDlg job(HandheldNvJobTexts());
  job.SetEngine(&nv_);
  job.SetJobCode(job_code);
  job.SetKeyCode(key_code);
  const bool ok = job.DoModal(*host()) == ui::IDOK;
  if (!ok) *message = job.message();
  return ok;
}

bool CPdaNvDlg::RunJobOrTell(int job_code, const std::string& key_code) {
  std::string message;
  if (RunJob(job_code, key_code, &message)) return true;
  Tell(message, pda_nv_text::kCaption);
  return false;
}

void CPdaNvDlg::Tell(const std::string& text, const char* caption, unsigned icon) {
  MessageBox(text, caption, ui::MB_OK | icon);
}

// ---- The image list side

void CPdaNvDlg::AddImage() {
  for (const std::string& path : FileOpenDialog(nv_text::kImageFilter, false)) {
    int status = CCommonNv::kStatusOk;
    auto entry =
        nv_.CreateImageEntry(static_cast<uint8_t>(nv_.images_.size() + 1), path, 0, &status);
    if (status == CCommonNv::kStatusTooTall) {
      Tell(nv_.load_error(), pda_nv_text::kProgramCaption);
      continue;
    }
    if (!entry) {
      Tell(nv_text::kLoadFailed, pda_nv_text::kProgramCaption);
      continue;
    }
    const uint32_t result = nv_.AddImageEntry(std::move(entry));
    if (result == kResultNvAreaFull) Tell(pda_nv_text::kAreaTooSmall, pda_nv_text::kCaption);
    if (result == kResultNvListFull) Tell(nv_text::kListFull, pda_nv_text::kCaption);
  }
  FillImageList();
}

void CPdaNvDlg::RemoveImage() {
  const int row = GetListBox(kImageList).GetCurSel();
  if (row < 0) {
    Tell(pda_nv_text::kNothingToRemove, pda_nv_text::kCaption, ui::MB_ICONEXCLAMATION);
    return;
  }
  if (MessageBox(nv_text::kConfirmRemove, pda_nv_text::kListCaption,
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
  const auto ask = [this](const std::vector<std::string>& chosen) -> std::optional<std::string> {
    CPdaNvAddrDlg address(nv_.key_codes_, chosen);
    if (host() == nullptr || address.DoModal(*host()) != ui::IDOK) return std::nullopt;
    return address.key_code();
  };
  const auto skipped = [this](const std::string& reason) {
    Tell(reason, pda_nv_text::kProgramCaption);
  };
  switch (nv::PrepareDownload(nv_, IsDlgButtonChecked(kAutoAddressing), ask, skipped)) {
    case nv::PrepareResult::kReady:
      break;
    case nv::PrepareResult::kCancelled:
      Tell(nv_text::kCancelDownload, pda_nv_text::kCaption, ui::MB_ICONEXCLAMATION);
      return;
    case nv::PrepareResult::kNoFreeAddress:
      Tell(nv_text::kNoFreeAddress, pda_nv_text::kCaption);
      return;
    case nv::PrepareResult::kNothingToSend:
      return;
  }
  std::string message;
  if (!nv::SendDownload(nv_, registry_, *this, &message)) Tell(message, pda_nv_text::kCaption);
  clock().Sleep(kAfterDownloadMs);
  Refresh();
}

void CPdaNvDlg::FillImageList() {
  ui::ListBox& box = GetListBox(kImageList);
  box.ResetContent();
  for (const NvImageEntry& e : nv_.images_) box.AddString(e.name);
}

// ---- The printer side

void CPdaNvDlg::FillKeyList() {
  ui::ListBox& box = GetListBox(kKeyList);
  box.ResetContent();
  for (const std::string& code : nv_.key_codes_) box.AddString(code);
}

std::string CPdaNvDlg::SelectedKeyOrTell() {
  const ui::ListBox& box = GetListBox(kKeyList);
  if (box.GetCurSel() < 0) {
    Tell(nv_text::kSelectAddress, pda_nv_text::kCaption);
    return {};
  }
  return box.GetText();
}

void CPdaNvDlg::Refresh() {
  nv_.key_codes_.clear();
  if (RunJobOrTell(NvJob::kJobReadKeyCodes)) FillKeyList();
}

void CPdaNvDlg::PrintSelected() {
  const std::string code = SelectedKeyOrTell();
  if (!code.empty()) RunJobOrTell(NvJob::kJobPrintImage, code);
}

void CPdaNvDlg::RemoveSelectedKey() {
  const std::string code = SelectedKeyOrTell();
  if (!code.empty() && RunJobOrTell(NvJob::kJobDeleteImage, code)) FillKeyList();
}

void CPdaNvDlg::RemoveAllKeys() {
  if (RunJobOrTell(NvJob::kJobDeleteAll)) FillKeyList();
}

void CPdaNvDlg::PrintAll() {
  nv_.image_count_ = static_cast<uint32_t>(GetListBox(kKeyList).GetCount());
  RunJobOrTell(NvJob::kJobPrintAll);
}
