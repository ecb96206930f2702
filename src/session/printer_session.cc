#include "session/printer_session.h"

#include <utility>

#include "link/link_failure.h"
#include "nvimage/nv_job.h"
#include "session/nv_job_texts.h"
#include "settings/vmsm_strings.h"

namespace session {
namespace {

// A transfer's or NV job's progress on the board; an NV job counts past 100 on long jobs.
class BoardProgress : public jobs::JobProgress {
 public:
  explicit BoardProgress(PrinterSession& session) : session_(session) {}
  void Show(int position, const std::string& line) override {
    session_.ShowProgress(position > 100 ? 100 : position, line);
  }

 private:
  PrinterSession& session_;
};

}  // namespace

PrinterSession::PrinterSession(const devlink::LinkSettings& link, platform::Services& services,
                               ProgressSink progress, bool handheld)
    : services_(services),
      progress_(std::move(progress)),
      util_(services, handheld),
      vmsm_(&util_, services.clock),
      nv_(&util_, services.clock) {
  util_.SetLinkSettings(link);
}

PrinterSession::~PrinterSession() { util_.CloseLink(); }

void PrinterSession::ShowProgress(int percent, const std::string& stage) {
  if (progress_) progress_(percent, stage);
}

bool PrinterSession::StoppedMidway(const devlink::CDev::Traffic& before, std::string* message) {
  // A stop ended the reply wait: the program stopped asking, the printer was not found silent;
  // the stop's own words say what happened.
  if (!devlink::StopEndedWait(util_.dev(), before)) return false;
  message->clear();
  return true;
}

bool PrinterSession::OpenLink(std::string* message) {
  const devlink::CDev::Traffic before = util_.dev().traffic();
  if (util_.OpenLink()) return true;
  *message = devlink::WithFailureLine(
      std::string(settings::TransferText(settings::transfer_ids::kPortOpenError)), util_.dev(),
      before);
  return false;
}

bool PrinterSession::Query(uint32_t kind, std::string_view failure, std::string* message) {
  const devlink::CDev::Traffic before = util_.dev().traffic();
  if (util_.GetPrinterInfo(kind) == protocol::kResultOk) return true;
  if (StoppedMidway(before, message)) return false;
  // A printer that answered as another model or maker says what it is instead.
  const std::string& refused = util_.refused_identity();
  *message = refused.empty() ? devlink::WithFailureLine(std::string(failure), util_.dev(), before)
                             : std::string(failure) + "\n" + refused;
  return false;
}

bool PrinterSession::QueryModel(std::string* message) {
  return Query(protocol::CCommonUtil::kModel,
               settings::TransferText(settings::transfer_ids::kModelNotMatched), message);
}

bool PrinterSession::Transfer(settings::TransferMode mode, std::string* message) {
  return Transfer(settings::DesktopTransferPlan(), mode, message);
}

bool PrinterSession::Transfer(const settings::TransferPlan& plan, settings::TransferMode mode,
                              std::string* message) {
  BoardProgress progress(*this);
  settings::TransferActions actions(vmsm_);
  jobs::JobRunner runner(&util_, plan, actions, progress, services_.clock,
                         settings::EnglishTransferText, settings::FirstTransferEvent(mode));
  if (runner.RunToEnd()) return true;
  *message = runner.message();
  return false;
}

bool PrinterSession::RunJob(nv::NvJobCode job_code, const std::string& key_code,
                            std::string* message) {
  BoardProgress progress(*this);
  nv::NvJob job(nv_, progress, job_code, key_code, DesktopNvJobTexts());
  if (job.runner().RunToEnd()) return true;
  *message = job.runner().message();
  return false;
}

}  // namespace session
