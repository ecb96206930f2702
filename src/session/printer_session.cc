#include "session/printer_session.h"

#include <utility>

#include "link/link_failure.h"
#include "nvimage/nv_job.h"
#include "settings/transfer_plan.h"
#include "settings/vmsm_strings.h"

namespace session {
namespace {

class BoardTransferProgress : public TransferProgress {
 public:
  explicit BoardTransferProgress(PrinterSession& session) : session_(session) {}
  void Show(int position, const std::string& line) override {
    session_.ShowProgress(position, line);
  }

 private:
  PrinterSession& session_;
};

// An NV job's progress counts past 100 on long jobs; the caption names the step.
class BoardNvProgress : public NvProgressSink {
 public:
  explicit BoardNvProgress(PrinterSession& session) : session_(session) {}
  void SetPosition(int position) override { position_ = position; }
  void SetCaption(const std::string& text) override { caption_ = text; }
  void Refresh() override { session_.ShowProgress(position_ > 100 ? 100 : position_, caption_); }

 private:
  PrinterSession& session_;
  int position_ = 0;
  std::string caption_;
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

bool PrinterSession::Transfer(int mode, std::string* message) {
  BoardTransferProgress progress(*this);
  TransferRunner runner(vmsm_, DesktopTransferPlan(), progress, services_.clock);
  if (runner.RunToEnd(mode)) return true;
  *message = runner.message();
  return false;
}

bool PrinterSession::RunJob(int job_code, const std::string& key_code, std::string* message) {
  BoardNvProgress progress(*this);
  NvJob job(nv_, progress, DesktopNvJobTexts());
  job.SetJobCode(job_code);
  job.SetKeyCode(key_code);
  NvStep step = job.Start();
  while (step.kind == NvStep::Kind::kNext) {
    services_.clock.Sleep(step.delay_ms);
    step = job.Run(step.id);
  }
  if (step.kind == NvStep::Kind::kOk) return true;
  *message = job.message();
  return false;
}

}  // namespace session
