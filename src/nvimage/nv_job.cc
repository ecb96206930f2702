#include "nvimage/nv_job.h"

#include <utility>

#include "protocol/common_util.h"
#include "protocol/result_codes.h"

namespace {

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
    t.identify = {{CCommonUtil::kMaker, "Printer model is not matched!", 5, 5, {}}};
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

namespace {

// The job's own operations and conditions.
enum NvAction {
  kMarkIdentified = 1,
  kReadKeyCodes,
  kDelete,
  kDeleteAll,
  kStartDownload,
  kNextItem,
  kSendItem,
  kPrintAll,
  kPrint
};
enum NvCondition { kNotIdentified = kFirstJobCondition, kNoItem, kHaveItem };
constexpr int kEventStart = 1;
constexpr int kEventDownloadItem = 2000;

JobPlan MakePlan(const NvJobTexts& t, NvJobCode code) {
  const int job = static_cast<int>(code);
  JobStep open = Kind(StepKind::kOpenLink, Say(0, 0, t.port_open_error, 5, kLinkClosed));
  open.caption = t.opened;
  std::vector<JobStep> start = {open};
  for (const NvIdentifyQuery& q : t.identify) {
    start.push_back(Only(kNotIdentified, Advance(q.advance_before)));
    JobStep query = Kind(StepKind::kPrinterInfo, Say(0, q.kind, q.failure, q.advance_after));
    query.caption = q.caption;
    start.push_back(Only(kNotIdentified, query));
  }
  start.push_back(Only(kNotIdentified, Do(kMarkIdentified, 0, 0)));
  start.push_back(Arm(job, kStepDelayMs));
  // A job that deletes reads the list again, so that the caller shows it without the image.
  const auto then_list = Arm(static_cast<int>(NvJobCode::kReadKeyCodes), kStepDelayMs);
  const auto then_close = Arm(kEventClose, kStepDelayMs);
  JobPlan plan;
  plan.percent_lines = false;
  plan.events = {
      {kEventStart, 0, std::move(start)},
      {static_cast<int>(NvJobCode::kReadKeyCodes),
       0,
       {Say(kReadKeyCodes, 0, t.read_list_failed), Advance(20, 2, t.read_list), then_close}},
      {static_cast<int>(NvJobCode::kDeleteImage),
       0,
       {Advance(5), Say(kDelete, 0, t.write_failed), Advance(20, 50, t.delete_one), then_list}},
      {static_cast<int>(NvJobCode::kDeleteAll),
       0,
       {Advance(5), Say(kDeleteAll, 0, t.write_failed), Advance(20, 100, t.delete_all), then_list}},
      {static_cast<int>(NvJobCode::kDownload),
       0,
       {Advance(5, 2, t.download_start), Do(kStartDownload, 0, 0),
        Arm(kEventDownloadItem, kStepDelayMs)}},
      {kEventDownloadItem,
       0,
       {Do(kNextItem, 0, 0), Only(kNoItem, Advance(5, 500, t.download_finished)),
        Only(kNoItem, then_close), Say(kSendItem, 0, t.download_write_failed, 0, kHaveItem),
        Only(kHaveItem, Arm(kEventDownloadItem, kItemDelayMs))}},
      // An empty list (400) is a failure here: the user asked for prints and gets none.
      {static_cast<int>(NvJobCode::kPrintAll),
       0,
       {Advance(5), Say(kPrintAll, 0, t.write_failed), Advance(80, 0, t.print_all), then_close}},
      {static_cast<int>(NvJobCode::kPrintImage),
       0,
       {Advance(5), Say(kPrint, 0, t.write_failed), Advance(99, 0, t.print_one), then_close}},
  };
  return plan;
}

}  // namespace

NvJob::NvJob(CCommonNv& nv, JobProgress& progress, NvJobCode code, std::string key_code,
             const NvJobTexts& texts)
    : nv_(nv),
      texts_(texts),
      key_code_(std::move(key_code)),
      plan_(MakePlan(texts, code)),
      runner_(
          nv.util(), plan_, *this, progress, nv.clock(),
          [](std::string_view fixed, int) { return std::string(fixed); }, kEventStart) {
  runner_.set_message(std::string(texts.stopped));
}

bool NvJob::Applies(int condition) const {
  switch (condition) {
    case kNotIdentified:
      return nv_.identified() == 0;
    case kNoItem:
      return item_ == nullptr;
    case kHaveItem:
      return item_ != nullptr;
    default:
      return false;
  }
}

uint32_t NvJob::Perform(const JobStep& step, JobRunner& runner) {
  switch (step.action) {
    case kMarkIdentified:
      nv_.set_identified(1);
      return kResultOk;
    case kReadKeyCodes: {
      const uint32_t result = nv_.ReadKeyCodes();
      // A printer without images is a valid answer: the list is simply empty.
      return result == kResultEmptyKeyList ? kResultOk : result;
    }
    case kDelete:
      return nv_.DeleteImage(key_code_);
    case kDeleteAll:
      return nv_.DeleteAllImages();
    case kPrintAll:
      return nv_.PrintAllImages();
    case kPrint:
      return nv_.PrintImage(key_code_);
    case kStartDownload:
      total_bytes_ = 0;
      for (const NvDownloadItem& item : nv_.download_list()) total_bytes_ += item.data.size();
      next_item_ = 0;
      return kResultOk;
    case kNextItem:
      item_ =
          next_item_ < nv_.download_list().size() ? &nv_.download_list()[next_item_++] : nullptr;
      // The send holds the thread for a while; the user should see which image it is.
      if (item_ != nullptr) runner.SetCaption(item_->name + std::string(texts_.downloading_suffix));
      return kResultOk;
    case kSendItem: {
      const uint32_t result = nv_.SendDownloadItem(*item_);
      if (result != kResultOk) return result;
      // Items of zero length cannot divide anything; they earn nothing.
      const auto size = static_cast<double>(item_->data.size());
      const double share = total_bytes_ == 0 ? 0.0 : size / total_bytes_ * kDownloadShare;
      runner.Advance(static_cast<uint32_t>(share));
      return kResultOk;
    }
    default:
      return kResultOk;
  }
}
