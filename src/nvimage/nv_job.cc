#include "nvimage/nv_job.h"

#include <utility>

#include "protocol/result_codes.h"

using jobs::Advance;
using jobs::Say;

namespace nv {
namespace {

// The pause before the next step: long enough for the window to take the user's input.
constexpr uint32_t kStepDelayMs = 100;
// The printer stores each define command before it can take the next one.
constexpr uint32_t kItemDelayMs = 1000;
// The part of the bar a download's items share in proportion to their sizes.
constexpr double kDownloadShare = 70.0;

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
enum NvCondition { kNotIdentified = jobs::kFirstJobCondition, kNoItem, kHaveItem };
constexpr int kEventStart = 1;
constexpr int kEventDownloadItem = 2000;

constexpr int Code(NvJobCode code) { return static_cast<int>(code); }

jobs::JobPlan MakePlan(const NvJobTexts& t, NvJobCode code) {
  const int job = Code(code);
  jobs::JobStep open =
      jobs::Kind(jobs::StepKind::kOpenLink, Say(0, 0, t.port_open_error, 5, jobs::kLinkClosed));
  open.caption = t.opened;
  std::vector<jobs::JobStep> start = {open};
  for (const NvIdentifyQuery& q : t.identify) {
    start.push_back(jobs::Only(kNotIdentified, Advance(q.advance_before)));
    jobs::JobStep query =
        jobs::Kind(jobs::StepKind::kPrinterInfo, Say(0, q.kind, q.failure, q.advance_after));
    query.caption = q.caption;
    start.push_back(jobs::Only(kNotIdentified, query));
  }
  start.push_back(jobs::Only(kNotIdentified, jobs::Do(kMarkIdentified, 0, 0)));
  start.push_back(jobs::Arm(job, kStepDelayMs));
  // A job that deletes reads the list again, so that the caller shows it without the image.
  const auto then_list = jobs::Arm(Code(NvJobCode::kReadKeyCodes), kStepDelayMs);
  const auto then_close = jobs::Arm(jobs::kEventClose, kStepDelayMs);
  jobs::JobPlan plan;
  plan.percent_lines = false;
  plan.events = {
      {kEventStart, std::move(start)},
      {Code(NvJobCode::kReadKeyCodes),
       {Say(kReadKeyCodes, 0, t.read_list_failed), Advance(20, 2, t.read_list), then_close}},
      {Code(NvJobCode::kDeleteImage),
       {Advance(5), Say(kDelete, 0, t.write_failed), Advance(20, 50, t.delete_one), then_list}},
      {Code(NvJobCode::kDeleteAll),
       {Advance(5), Say(kDeleteAll, 0, t.write_failed), Advance(20, 100, t.delete_all), then_list}},
      {Code(NvJobCode::kDownload),
       {Advance(5, 2, t.download_start), jobs::Do(kStartDownload, 0, 0),
        jobs::Arm(kEventDownloadItem, kStepDelayMs)}},
      {kEventDownloadItem,
       {jobs::Do(kNextItem, 0, 0), jobs::Only(kNoItem, Advance(5, 500, t.download_finished)),
        jobs::Only(kNoItem, then_close), Say(kSendItem, 0, t.download_write_failed, 0, kHaveItem),
        jobs::Only(kHaveItem, jobs::Arm(kEventDownloadItem, kItemDelayMs))}},
      // An empty list (400) is a failure here: the user asked for prints and gets none.
      {Code(NvJobCode::kPrintAll),
       {Advance(5), Say(kPrintAll, 0, t.write_failed), Advance(80, 0, t.print_all), then_close}},
      {Code(NvJobCode::kPrintImage),
       {Advance(5), Say(kPrint, 0, t.write_failed), Advance(99, 0, t.print_one), then_close}},
  };
  return plan;
}

}  // namespace

NvJob::NvJob(CCommonNv& nv, jobs::JobProgress& progress, NvJobCode code, std::string key_code,
             const NvJobTexts& texts)
    : nv_(nv),
      texts_(texts),
      key_code_(std::move(key_code)),
      plan_(MakePlan(texts, code)),
      runner_(nv.util(), plan_, *this, progress, nv.clock(), nullptr, kEventStart) {
  runner_.set_message(std::string(texts.stopped));
}

bool NvJob::Applies(int condition) const {
  if (condition == kNotIdentified) return nv_.identified() == 0;
  return (item_ != nullptr) == (condition == kHaveItem);
}

protocol::Result NvJob::Perform(const jobs::JobStep& step, jobs::JobRunner& runner) {
  switch (step.action) {
    case kMarkIdentified:
      nv_.MarkIdentified();
      return protocol::kResultOk;
    case kReadKeyCodes: {
      const protocol::Result result = nv_.ReadKeyCodes();
      // A printer without images is a valid answer: the list is simply empty.
      return result == protocol::kResultEmptyKeyList ? protocol::kResultOk : result;
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
      return protocol::kResultOk;
    case kNextItem:
      item_ =
          next_item_ < nv_.download_list().size() ? &nv_.download_list()[next_item_++] : nullptr;
      // The send holds the thread for a while; the user should see which image it is.
      if (item_ != nullptr) runner.SetCaption(item_->name + std::string(texts_.downloading_suffix));
      return protocol::kResultOk;
    case kSendItem: {
      const protocol::Result result = nv_.SendDownloadItem(*item_);
      if (result != protocol::kResultOk) return result;
      // Items of zero length cannot divide anything; they earn nothing.
      const auto size = static_cast<double>(item_->data.size());
      const double share = total_bytes_ == 0 ? 0.0 : size / total_bytes_ * kDownloadShare;
      runner.Advance(static_cast<uint32_t>(share));
      return protocol::kResultOk;
    }
    default:
      return protocol::kResultOk;
  }
}
}  // namespace nv
