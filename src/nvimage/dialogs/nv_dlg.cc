#include "nvimage/dialogs/nv_dlg.h"

#include <cstdio>
#include <cstdlib>

#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "nvimage/nv_preview.h"

namespace nv {
namespace {

using namespace nv_ctl;

constexpr int kSliderPollTimer = 100;
constexpr uint32_t kSliderPollMs = 200;

constexpr NvManagerTexts kTexts{
    .caption = nv_text::kCaption,
    .file_caption = nv_text::kCaption,
    .area_too_small = nv_text::kAreaTooSmall,
    .question_caption = nv_text::kCaption,
    .progress = NvProTemplate,
};

std::string Format(const char* format, auto... values) {
  char text[128];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

}  // namespace

CNVDlg::CNVDlg(CCommonNv& nv, platform::Registry& registry, const NvJobTexts& job_texts)
    : CNvManagerBase(NvManagerTemplate(), kTexts, job_texts, nv, registry) {}

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
  CNvManagerBase::OnInitDialog();
  UpdateStatus();
  RepaintPreview();
  return true;
}

void CNVDlg::OnCommand(int id, ui::Notify code) {
  if (id == kImageList && code == ui::Notify::kItemChanged) {
    OnRowChanged();
    return;
  }
  CNvManagerBase::OnCommand(id, code);
}

void CNVDlg::OnTimer(int id) {
  if (id != kSliderPollTimer) return;
  KillTimer(id);
  PollSlider();
  SetTimer(kSliderPollTimer, kSliderPollMs);
}

void CNVDlg::OnDestroy() {
  KillTimer(kSliderPollTimer);
  // A slider moved since the last poll: the list is stored with it.
  nv_.SetImageBrightness(current_number_, GetSlider(kBrightness).GetPos());
  CNvManagerBase::OnDestroy();
}

// ---- The image list side

const NvImageEntry* CNVDlg::FindEntry(int number) const {
  for (const NvImageEntry& e : nv_.images()) {
    if (e.number == number) return &e;
  }
  return nullptr;
}

void CNVDlg::PollSlider() {
  const int pos = GetSlider(kBrightness).GetPos();
  if (pos == last_slider_) return;
  last_slider_ = pos;
  nv_.SetImageBrightness(current_number_, pos);
  RepaintPreview();
}

void CNVDlg::OnRowChanged() {
  ui::ListView& list = GetListView(kImageList);
  const int row = list.ChangedRow();
  if (row < 0 || !list.IsSelected(row)) return;
  const int number = std::atoi(list.GetItemText(row, 0).c_str());
  const NvImageEntry* entry = FindEntry(number);
  if (entry == nullptr || number == current_number_) return;
  current_number_ = number;
  preview_path_ = entry->path;
  GetSlider(kBrightness).SetPos(entry->brightness);
  RepaintPreview();
}

void CNVDlg::AddImages() {
  PollSlider();
  AddImageFiles(true, last_slider_);
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
  if (MessageBox(nv_text::kConfirmRemove, kTexts.question_caption,
                 ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES) {
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
  // A slider moved since the last poll: the images go out as the preview shows them.
  PollSlider();
  if (nv_.images().empty()) {
    Tell(nv_text::kNothingSelected, ui::MB_ICONEXCLAMATION);
    return;
  }
  if (!SendPreparedDownload(PrepareDownload(NvAddrTemplate()))) return;
  UpdateStatus();
}

void CNVDlg::FillImageList() {
  ui::ListView& list = GetListView(kImageList);
  list.DeleteAllItems();
  for (const NvImageEntry& e : nv_.images()) {
    const int row = list.InsertItem(list.GetItemCount(), std::to_string(e.number));
    list.SetItemText(row, 1, e.name);
    list.SetItemText(row, 2, Format(nv_text::kSizeFormat, e.size));
  }
}

void CNVDlg::UpdateStatus() {
  SetDlgItemText(kStatus, Format(nv_text::kStatusFormat, static_cast<int>(nv_.images().size()),
                                 static_cast<int>(nv_.key_codes().size()),
                                 static_cast<int>(nv_.GetImagesSize()),
                                 static_cast<int>(CCommonNv::kAreaCapacity)));
}

void CNVDlg::RepaintPreview() {
  const ui::Rect& area = GetControl(kPreview).rect();
  GetPicture(kPreview).SetImage(RenderPreview(preview_path_.empty() ? nullptr : &preview_path_,
                                              area.w, area.h, GetSlider(kBrightness).GetPos()));
  UpdateWindow();
}
}  // namespace nv
