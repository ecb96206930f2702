#include "nvimage/dialogs/nv_dlg.h"

#include <cstdio>
#include <cstdlib>

#include "nvimage/dialogs/nv_addr_dlg.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/dialogs/nv_pro_dlg.h"
#include "nvimage/nv_image_list.h"
#include "nvimage/nv_job.h"
#include "nvimage/nv_preview.h"
#include "protocol/result_codes.h"

namespace {

using namespace nv_ctl;

constexpr int kSliderPollTimer = 100;
constexpr uint32_t kSliderPollMs = 200;
// The printer settles after a download before its list is read again.
constexpr uint32_t kAfterDownloadMs = 200;

std::string Format(const char* format, auto... values) {
  char text[128];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

CNVDlg::CNVDlg(CCommonNv& nv, platform::Registry& registry)
    : ui::Dialog(NvManagerTemplate()), nv_(nv), registry_(registry) {}

bool CNVDlg::OnInitDialog() {
  ui::ListView& list = GetListView(kImageList);
  list.SetExtendedStyle(ui::ListView::kGridLines | ui::ListView::kFullRowSelect);
  list.InsertColumn(0, "No.", 42, ui::ColumnAlign::kCenter);
  list.InsertColumn(1, "Name", 115, ui::ColumnAlign::kCenter);
  list.InsertColumn(2, "Size", 55, ui::ColumnAlign::kCenter);
  preview_path_.clear();
  current_number_ = -1;
  last_slider_ = 0;
  GetSlider(kBrightness).SetRange(0, 100);
  GetSlider(kBrightness).SetPos(0);
  SetTimer(kSliderPollTimer, kSliderPollMs);
  nv::LoadImageList(registry_, nv_, [this](const std::string& message) { Tell(message); });
  FillKeyList();
  FillImageList();
  UpdateStatus();
  RepaintPreview();
  return true;
}

void CNVDlg::OnCommand(int id, ui::Notify code) {
  if (id == kImageList && code == ui::Notify::kItemChanged) {
    OnRowChanged();
    return;
  }
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

void CNVDlg::OnTimer(int id) {
  if (id != kSliderPollTimer) return;
  KillTimer(id);
  PollSlider();
  SetTimer(kSliderPollTimer, kSliderPollMs);
}

void CNVDlg::OnDestroy() {
  KillTimer(kSliderPollTimer);
  // The next manager run identifies the printer again.
  nv_.identified_ = 0;
  nv::SaveImageList(registry_, nv_);
  nv_.download_list_.clear();
  nv_.key_codes_.clear();
}

// ---- Jobs

bool CNVDlg::RunJob(int job_code, const std::string& key_code, std::string* message) {
  if (host() == nullptr) return false;
  CNvProDlg job;
  job.SetEngine(&nv_);
  job.SetJobCode(job_code);
  job.SetKeyCode(key_code);
  const bool ok = job.DoModal(*host()) == ui::IDOK;
  if (!ok) *message = job.message();
  return ok;
}

bool CNVDlg::RunJobOrTell(int job_code, const std::string& key_code) {
  std::string message;
  if (RunJob(job_code, key_code, &message)) return true;
  Tell(message);
  return false;
}

void CNVDlg::Tell(const std::string& text, unsigned icon) {
  MessageBox(text, nv_text::kCaption, ui::MB_OK | icon);
}

// ---- The image list side

NvImageEntry* CNVDlg::FindEntry(int number) {
  for (NvImageEntry& e : nv_.images_) {
    if (e.number == number) return &e;
  }
  return nullptr;
}

void CNVDlg::PollSlider() {
  const int pos = GetSlider(kBrightness).GetPos();
  if (pos == last_slider_) return;
  last_slider_ = pos;
  if (NvImageEntry* entry = FindEntry(current_number_)) entry->brightness = pos;
  RepaintPreview();
}

void CNVDlg::OnRowChanged() {
  ui::ListView& list = GetListView(kImageList);
  const int row = list.ChangedRow();
  if (row < 0 || !list.IsSelected(row)) return;
  const int number = std::atoi(list.GetItemText(row, 0).c_str());
  NvImageEntry* entry = FindEntry(number);
  if (entry == nullptr || number == current_number_) return;
  current_number_ = number;
  preview_path_ = entry->path;
  GetSlider(kBrightness).SetPos(entry->brightness);
  RepaintPreview();
}

void CNVDlg::AddImages() {
  PollSlider();
  for (const std::string& path : FileOpenDialog(nv_text::kImageFilter, true)) {
    int status = CCommonNv::kStatusOk;
    auto entry = nv_.CreateImageEntry(static_cast<uint8_t>(nv_.images_.size() + 1), path,
                                      last_slider_, &status);
    if (status == CCommonNv::kStatusTooTall) {
      Tell(nv_.load_error());
      continue;
    }
    if (!entry) {
      Tell(nv_text::kLoadFailed);
      continue;
    }
    const uint32_t result = nv_.AddImageEntry(std::move(entry));
    if (result == kResultNvAreaFull) Tell(nv_text::kAreaTooSmall);
    if (result == kResultNvListFull) Tell(nv_text::kListFull);
  }
  FillImageList();
  UpdateStatus();
}

void CNVDlg::RemoveImages() {
  const std::vector<int> rows = GetListView(kImageList).GetSelectedRows();
  if (rows.empty()) {
    Tell(nv_text::kNothingSelected, ui::MB_ICONEXCLAMATION);
    FillImageList();
    UpdateStatus();
    return;
  }
  if (MessageBox(nv_text::kConfirmRemove, nv_text::kCaption, ui::MB_YESNO | ui::MB_ICONQUESTION) !=
      ui::IDYES) {
    return;
  }
  // The preview's entry goes too: otherwise the slider would change the brightness of the
  // entry that moves up into its number.
  preview_path_.clear();
  current_number_ = -1;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    nv_.RemoveImageEntry(static_cast<uint8_t>(*it + 1));
  }
  FillImageList();
  UpdateStatus();
  RepaintPreview();
}

void CNVDlg::Reset() {
  GetListView(kImageList).DeleteAllItems();
  preview_path_.clear();
  current_number_ = -1;
  nv_.ClearImageEntries();
  UpdateStatus();
  RepaintPreview();
}

void CNVDlg::Download() {
  if (nv_.images_.empty()) {
    Tell(nv_text::kNothingSelected, ui::MB_ICONEXCLAMATION);
    return;
  }
  if (!PrepareDownload()) return;
  std::string message;
  if (!nv::SendDownload(nv_, registry_, *this, &message)) Tell(message);
  clock().Sleep(kAfterDownloadMs);
  Refresh();
  UpdateStatus();
}

bool CNVDlg::PrepareDownload() {
  const auto ask = [this](const std::vector<std::string>& chosen) -> std::optional<std::string> {
    CNvAddrDlg address(nv_.key_codes_, chosen);
    if (host() == nullptr || address.DoModal(*host()) != ui::IDOK) return std::nullopt;
    return address.key_code();
  };
  // Nothing made up goes to the printer: an image that no longer loads is left out, by name.
  const auto skipped = [this](const std::string& reason) { Tell(reason); };
  switch (nv::PrepareDownload(nv_, IsDlgButtonChecked(kAutoAddressing), ask, skipped)) {
    case nv::PrepareResult::kReady:
      return true;
    case nv::PrepareResult::kCancelled:
      Tell(nv_text::kCancelDownload, ui::MB_ICONEXCLAMATION);
      return false;
    case nv::PrepareResult::kNoFreeAddress:
      Tell(nv_text::kNoFreeAddress);
      return false;
    case nv::PrepareResult::kNothingToSend:
      return false;
  }
  return false;
}

void CNVDlg::FillImageList() {
  ui::ListView& list = GetListView(kImageList);
  list.DeleteAllItems();
  for (const NvImageEntry& e : nv_.images_) {
    const int row = list.InsertItem(list.GetItemCount(), std::to_string(e.number));
    list.SetItemText(row, 1, e.name);
    list.SetItemText(row, 2, Format(nv_text::kSizeFormat, e.size));
  }
}

void CNVDlg::UpdateStatus() {
  SetDlgItemText(kStatus, Format(nv_text::kStatusFormat, static_cast<int>(nv_.images_.size()),
                                 static_cast<int>(nv_.key_codes_.size()),
                                 static_cast<int>(nv_.GetImagesSize()),
                                 static_cast<int>(CCommonNv::kAreaCapacity)));
}

void CNVDlg::RepaintPreview() {
  const ui::Rect& area = GetControl(kPreview).rect();
  GetPicture(kPreview).SetImage(nv::RenderPreview(preview_path_.empty() ? nullptr : &preview_path_,
                                                  area.w, area.h, GetSlider(kBrightness).GetPos()));
  UpdateWindow();
}

// ---- The printer side

void CNVDlg::FillKeyList() {
  ui::ListBox& box = GetListBox(kKeyList);
  box.ResetContent();
  for (const std::string& code : nv_.key_codes_) box.AddString(code);
}

void CNVDlg::Refresh() {
  nv_.key_codes_.clear();
  if (RunJobOrTell(NvJob::kJobReadKeyCodes)) FillKeyList();
}

void CNVDlg::PrintSelected() {
  const std::string code = GetListBox(kKeyList).GetText();
  if (GetListBox(kKeyList).GetCurSel() < 0) {
    Tell(nv_text::kSelectAddress);
    return;
  }
  RunJobOrTell(NvJob::kJobPrintImage, code);
}

void CNVDlg::RemoveSelectedKey() {
  if (GetListBox(kKeyList).GetCurSel() < 0) {
    Tell(nv_text::kSelectAddress);
    return;
  }
  if (RunJobOrTell(NvJob::kJobDeleteImage, GetListBox(kKeyList).GetText())) FillKeyList();
}

void CNVDlg::RemoveAllKeys() {
  if (RunJobOrTell(NvJob::kJobDeleteAll)) FillKeyList();
}

void CNVDlg::PrintAll() {
  nv_.image_count_ = static_cast<uint32_t>(GetListBox(kKeyList).GetCount());
  RunJobOrTell(NvJob::kJobPrintAll);
}
