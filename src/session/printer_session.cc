#include "session/printer_session.h"

#include <utility>

#include "link/link_failure.h"
#include "nvimage/nv_job.h"
#include "settings/vmsm_strings.h"

namespace session {
namespace {

// A transfer's or NV job's progress on the board; an NV job counts past 100 on long jobs.
class BoardProgress : public JobProgress {
 public:
  explicit BoardProgress(PrinterSession& session) : session_(session) {}
  void Show(int position, const std::string& line) override {
    session_.ShowProgress(position > 100 ? 100 : position, line);
  }

 private:
  PrinterSession& session_;
};

}  // namespace

PrinterSession::PrinterSession(const LinkSettings& link, platform::Services& services,
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

bool PrinterSession::OpenLink(std::string* message) {
  const CDev::Traffic before = util_.dev().traffic();
  if (util_.OpenLink()) return true;
  *message =
      WithFailureLine(std::string(TransferText(transfer_ids::kPortOpenError)), util_.dev(), before);
  return false;
}

bool PrinterSession::Transfer(TransferMode mode, std::string* message) {
  BoardProgress progress(*this);
  TransferActions actions(vmsm_);
  JobRunner runner(&util_, DesktopTransferPlan(), actions, progress, services_.clock,
                   EnglishTransferText, FirstTransferEvent(mode));
  if (runner.RunToEnd()) return true;
  *message = runner.message();
  return false;
}

bool PrinterSession::RunJob(NvJobCode job_code, const std::string& key_code, std::string* message) {
  BoardProgress progress(*this);
  NvJob job(nv_, progress, job_code, key_code, DesktopNvJobTexts());
  if (job.runner().RunToEnd()) return true;
  *message = job.runner().message();
  return false;
}

}  // namespace session
