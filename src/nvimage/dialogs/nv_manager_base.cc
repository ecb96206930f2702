#include "nvimage/dialogs/nv_manager_base.h"

#include "link/cdev.h"
#include "nvimage/dialogs/nv_addr_dlg.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/dialogs/nv_pro_dlg.h"
#include "nvimage/nv_image_list.h"
#include "protocol/result_codes.h"

namespace nv {
namespace {

using namespace nv_ctl;

// The printer settles after a download before its list is read again.
constexpr uint32_t kAfterDownloadMs = 200;

}  // namespace

CNvManagerBase::CNvManagerBase(const ui::Template& layout, const NvManagerTexts& texts,
                               const NvJobTexts& job_texts, CCommonNv& nv,
                               platform::Registry& registry)
    : ui::Dialog(layout), nv_(nv), registry_(registry), texts_(texts), job_texts_(job_texts) {}

bool CNvManagerBase::OnInitDialog() {
  LoadImageList(
      registry_, nv_, [this](const std::string& message) { Tell(message); }, texts_.area_too_small);
  FillKeyList();
  FillImageList();
  return true;
}

void CNvManagerBase::OnCommand(int id, ui::Notify code) {
  if (code != ui::Notify::kClicked) {
    ui::Dialog::OnCommand(id, code);
    return;
  }
  switch (id) {
    case kAddImage:
      AddImages();
      return;
    case kRemoveImage:
      RemoveImages();
      return;
    case kReset:
      Reset();
      return;
    case kDownload:
      Download();
      return;
    case kRefresh:
      Refresh();
      break;
    case kPrintAll:
      PrintAll();
      break;
    case kPrint:
      PrintSelected();
      break;
    case kRemoveKey:
      RemoveSelectedKey();
      break;
    case kRemoveAll:
      RemoveAllKeys();
      break;
    default:
      ui::Dialog::OnCommand(id, code);
      return;
  }
  // Every button on the printer side may have changed what the printer holds.
  UpdateStatus();
}

void CNvManagerBase::OnDestroy() {
  // The next manager run identifies the printer again.
  nv_.ForgetIdentification();
  // Told once the manager has closed, by the dialog it was started from.
  if (!SaveImageList(registry_, nv_)) list_not_saved_ = registry_.LastError();
  nv_.ForgetKeyCodes();
}

void CNvManagerBase::RunOverKeyCodes(ui::Host& host, ui::Dialog& owner,
                                     std::string_view failure_caption) {
  const auto close_link = [this] { nv_.util()->CloseLink(); };
  nv_.ForgetIdentification();
  {
    CNvProDlg read(job_texts_, texts_.progress());
    read.SetEngine(&nv_);
    read.SetJobCode(NvJobCode::kReadKeyCodes);
    if (read.DoModal(host) != ui::IDOK) {
      close_link();
      owner.MessageBox(read.message(), failure_caption, ui::MB_OK);
      nv_.ForgetIdentification();
      return;
    }
  }
  DoModal(host);
  close_link();
  if (!list_not_saved_.empty()) {
    owner.MessageBox(ui::FormatMessage(nv_text::kListNotSavedFormat, {list_not_saved_}),
                     texts_.file_caption, ui::MB_OK | ui::MB_ICONEXCLAMATION);
    list_not_saved_.clear();
  }
}

// ---- Jobs

bool CNvManagerBase::RunJob(NvJobCode job_code, const std::string& key_code, std::string* message) {
  if (host() == nullptr) return false;
  CNvProDlg job(job_texts_, texts_.progress());
  job.SetEngine(&nv_);
  job.SetJobCode(job_code);
  job.SetKeyCode(key_code);
  const bool ok = job.DoModal(*host()) == ui::IDOK;
  if (!ok) *message = job.message();
  return ok;
}

bool CNvManagerBase::RunJobOrTell(NvJobCode job_code, const std::string& key_code) {
  std::string message;
  if (RunJob(job_code, key_code, &message)) return true;
  Tell(message);
  return false;
}

void CNvManagerBase::Tell(const std::string& text, unsigned icon) {
  Tell(text, texts_.caption, icon);
}

void CNvManagerBase::Tell(const std::string& text, const char* caption, unsigned icon) {
  MessageBox(text, caption, ui::MB_OK | icon);
}

// ---- The image list side

void CNvManagerBase::AddImageFiles(bool several, int brightness) {
  for (const std::string& path : FileOpenDialog(nv_text::kImageFilter, several)) {
    CCommonNv::EntryStatus status = CCommonNv::EntryStatus::kOk;
    auto entry = nv_.CreateImageEntry(static_cast<uint8_t>(nv_.images().size() + 1), path,
                                      brightness, &status);
    if (status == CCommonNv::EntryStatus::kNotStorable) {
      Tell(nv_.load_error(), texts_.file_caption);
      continue;
    }
    if (!entry) {
      // The second line names the file and says what is wrong with it.
      Tell(std::string(nv_text::kLoadFailed) + "\n" + nv_.load_error(), texts_.file_caption);
      continue;
    }
    const protocol::Result result = nv_.AddImageEntry(std::move(entry));
    if (result == protocol::kResultNvAreaFull) Tell(texts_.area_too_small);
    if (result == protocol::kResultNvListFull) Tell(nv_text::kListFull);
  }
}

std::vector<NvDownloadItem> CNvManagerBase::PrepareDownload(const ui::Template& address_layout) {
  const auto ask = [&](const std::vector<std::string>& chosen) -> std::optional<std::string> {
    CNvAddrDlg address(address_layout, texts_.file_caption, nv_.key_codes(), chosen);
    if (host() == nullptr || address.DoModal(*host()) != ui::IDOK) return std::nullopt;
    return address.key_code();
  };
  // Nothing made up goes to the printer: an image that no longer loads is left out, by name.
  const auto skipped = [this](const std::string& reason) { Tell(reason, texts_.file_caption); };
  auto plan = nv::PrepareDownload(nv_, IsDlgButtonChecked(kAutoAddressing), ask, skipped);
  if (plan.result == PrepareResult::kCancelled) {
    Tell(nv_text::kCancelDownload, ui::MB_ICONEXCLAMATION);
  } else if (plan.result == PrepareResult::kNoFreeAddress) {
    Tell(nv_text::kNoFreeAddress);
  }
  return std::move(plan.items);
}

bool CNvManagerBase::SendPreparedDownload(const std::vector<NvDownloadItem>& items) {
  if (items.empty()) return false;
  std::string message;
  const bool sent = SendDownload(nv_, items, registry_, *this, &message);
  if (!sent) Tell(message);
  clock().Sleep(kAfterDownloadMs);
  if (!RunJobOrTell(NvJobCode::kReadKeyCodes)) return true;
  FillKeyList();
  // A printer whose memory is full refuses a define without a word.
  std::string missing;
  for (const std::string& code : UnlistedKeyCodes(items, nv_.key_codes())) {
    missing += (missing.empty() ? "" : ", ") + code;
  }
  if (sent && !missing.empty()) Tell(ui::FormatMessage(nv_text::kNotStoredFormat, {missing}));
  return true;
}

// ---- The printer side

void CNvManagerBase::FillKeyList() {
  ui::ListBox& box = GetListBox(kKeyList);
  box.ResetContent();
  for (const std::string& code : nv_.key_codes()) box.AddString(code);
}

std::optional<std::string> CNvManagerBase::SelectedKeyOrTell() {
  const ui::ListBox& box = GetListBox(kKeyList);
  if (box.GetCurSel() < 0) {
    Tell(nv_text::kSelectAddress);
    return std::nullopt;
  }
  return box.GetText();
}

void CNvManagerBase::Refresh() {
  // A read that fails keeps the codes the printer was last known to hold, as the list still
  // shows them.
  if (RunJobOrTell(NvJobCode::kReadKeyCodes)) FillKeyList();
}

void CNvManagerBase::PrintSelected() {
  if (const auto code = SelectedKeyOrTell()) RunJobOrTell(NvJobCode::kPrintImage, *code);
}

void CNvManagerBase::RemoveSelectedKey() {
  const auto code = SelectedKeyOrTell();
  if (code && RunJobOrTell(NvJobCode::kDeleteImage, *code)) FillKeyList();
}

void CNvManagerBase::RemoveAllKeys() {
  if (MessageBox(nv_text::kConfirmRemoveAll, texts_.question_caption,
                 ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2) != ui::IDYES) {
    return;
  }
  if (RunJobOrTell(NvJobCode::kDeleteAll)) FillKeyList();
}

void CNvManagerBase::PrintAll() {
  nv_.CountImagesFromKeyCodes();  // the key list shows key_codes()
  RunJobOrTell(NvJobCode::kPrintAll);
}
}  // namespace nv
