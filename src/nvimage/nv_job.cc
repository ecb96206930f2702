#include "nvimage/nv_job.h"

#include "link/link_failure.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"

namespace {

constexpr int kFullProgress = 100;
// The pause before the next step: long enough for the window to take the user's input.
constexpr uint32_t kStepDelayMs = 100;
// The printer stores each define command before it can take the next one.
constexpr uint32_t kItemDelayMs = 1000;
// The part of the bar a download's items share in proportion to their sizes.
constexpr double kDownloadShare = 70.0;

}  // namespace

const NvJobTexts& DesktopNvJobTexts() {
  static const NvJobTexts texts = [] {
    NvJobTexts t;
    t.stopped = "Download process is stoped...";
    t.port_open_error = "Port open error!";
    t.read_list_failed = "Failed to read NV image address!";
    t.write_failed = " Failed to write data!\r\nPlease check your printer.";
    t.download_write_failed = t.write_failed;
    t.identify = {{CCommonUtil::kMaker, "Printer model is not matched!", 5, 5, nullptr}};
    t.delete_one = "Delete selected NV image...";
    t.delete_all = "Delete all NV image...";
    t.downloading_suffix = " Downloading...";
    t.download_finished = "Finish download...";
    t.print_all = "Print all NV image...";
    t.print_one = "Print selected NV image...";
    return t;
  }();
  return texts;
}

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
    t.status_line = true;
    return t;
  }();
  return texts;
}

NvJob::NvJob(CCommonNv& nv, NvProgressSink& sink, const NvJobTexts& texts)
    : nv_(nv), sink_(sink), texts_(&texts) {}

NvStep NvJob::Start() {
  progress_ = 0;
  message_ = texts_->stopped;
  return {NvStep::Kind::kNext, kStepStart, kStepDelayMs};
}

NvStep NvJob::Run(int id) {
  const NvJobTexts& t = *texts_;
  MarkExchange();
  switch (id) {
    case kStepStart:
      return StartStep();
    case kJobReadKeyCodes:
      return ReadKeyCodesStep();
    case kJobDeleteImage:
      Advance(5);
      if (nv_.DeleteImage(key_code_) != kResultOk) return Cancel(t.write_failed);
      // The list is read again so that the caller shows it without the deleted image.
      Advance(20, t.delete_one, 50);
      return {NvStep::Kind::kNext, kJobReadKeyCodes, kStepDelayMs};
    case kJobDeleteAll:
      Advance(5);
      if (nv_.DeleteAllImages() != kResultOk) return Cancel(t.write_failed);
      Advance(20, t.delete_all, 100);
      return {NvStep::Kind::kNext, kJobReadKeyCodes, kStepDelayMs};
    case kJobDownload:
      Advance(5, t.download_start);
      total_bytes_ = 0;
      for (const NvDownloadItem& item : nv_.download_list()) total_bytes_ += item.data.size();
      next_item_ = 0;
      item_delay_ms_ = kItemDelayMs;
      return {NvStep::Kind::kNext, kStepDownloadItem, kStepDelayMs};
    case kStepDownloadItem:
      return DownloadItemStep();
    case kJobPrintAll:
      Advance(5);
      // An empty list (400) is a failure here: the user asked for prints and gets none.
      if (nv_.PrintAllImages() != kResultOk) return Cancel(t.write_failed);
      Advance(80, t.print_all, 0);
      return {NvStep::Kind::kNext, kStepFinish, kStepDelayMs};
    case kJobPrintImage:
      Advance(5);
      if (nv_.PrintImage(key_code_) != kResultOk) return Cancel(t.write_failed);
      Advance(99, t.print_one, 0);
      return {NvStep::Kind::kNext, kStepFinish, kStepDelayMs};
    case kStepFinish:
      return FinishStep();
    default:
      return {NvStep::Kind::kCancel, 0, 0};
  }
}

NvStep NvJob::StartStep() {
  const NvJobTexts& t = *texts_;
  CCommonUtil* util = nv_.util();
  if (util == nullptr) return Cancel(t.port_open_error);
  if (!util->dev().is_open()) {
    if (!util->OpenLink()) return Cancel(t.port_open_error);
    Advance(5, t.opened);
  }
  if (nv_.identified_ == 0) {
    for (const NvIdentifyQuery& q : t.identify) {
      Advance(q.advance_before);
      MarkExchange();
      if (util->GetPrinterInfo(q.kind) != kResultOk) {
        const NvStep cancel = Cancel(q.failure);
        // A printer that answered as another model or maker says what it is.
        if (!util->refused_identity().empty()) message_ += "\n" + util->refused_identity();
        return cancel;
      }
      Advance(q.advance_after, q.caption);
    }
    nv_.identified_ = 1;
  }
  return {NvStep::Kind::kNext, job_code_, kStepDelayMs};
}

NvStep NvJob::ReadKeyCodesStep() {
  const uint32_t result = nv_.ReadKeyCodes();
  // A printer without images is a valid answer: the list is simply empty.
  if (result != kResultOk && result != kResultEmptyKeyList) return Cancel(texts_->read_list_failed);
  Advance(20, texts_->read_list);
  return {NvStep::Kind::kNext, kStepFinish, kStepDelayMs};
}

NvStep NvJob::DownloadItemStep() {
  const NvJobTexts& t = *texts_;
  if (next_item_ >= nv_.download_list().size()) {
    Advance(5, t.download_finished, 500);
    return {NvStep::Kind::kNext, kStepFinish, kStepDelayMs};
  }
  const NvDownloadItem& item = nv_.download_list()[next_item_++];
  sink_.SetCaption(item.name + t.downloading_suffix);
  // The send holds the thread for a while; the user should see which image it is.
  sink_.Refresh();
  if (nv_.SendDownloadItem(item) != kResultOk) return Cancel(t.download_write_failed);
  // Items of zero length cannot divide anything; they earn nothing.
  const auto size = static_cast<double>(item.data.size());
  const double share = total_bytes_ == 0 ? 0.0 : size / total_bytes_ * kDownloadShare;
  Advance(static_cast<uint32_t>(share));
  return {NvStep::Kind::kNext, kStepDownloadItem, item_delay_ms_};
}

NvStep NvJob::FinishStep() {
  while (progress_ < kFullProgress) Advance(1);
  return {NvStep::Kind::kOk, 0, 0};
}

void NvJob::MarkExchange() {
  if (nv_.util() != nullptr) before_ = nv_.util()->dev().traffic();
}

NvStep NvJob::Cancel(const char* text) {
  message_ = text;
  if (nv_.util() != nullptr) {
    message_ = WithFailureLine(message_, nv_.util()->dev(), before_);
  }
  return {NvStep::Kind::kCancel, 0, 0};
}

void NvJob::Advance(uint32_t n, const char* caption, uint32_t ms) {
  if (caption != nullptr) sink_.SetCaption(caption);
  for (uint32_t i = 0; i < n; ++i) {
    ++progress_;
    sink_.SetPosition(progress_);
    sink_.Refresh();
    nv_.clock().Sleep(ms);
  }
}
