#pragma once

// One printer as a program talks to it: the link opened from one setting, the identification and
// settings engines, the NV engine, and the progress they report. The link is closed when the
// session ends.

#include <functional>
#include <string>
#include <string_view>

#include "link/link_settings.h"
#include "nvimage/common_nv.h"
#include "nvimage/nv_download_plan.h"
#include "platform/system/services.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "settings/transfer_runner.h"

namespace session {

// Where a session shows how far its work is: `percent` 0..100 and the line naming the stage.
using ProgressSink = std::function<void(int percent, const std::string& stage)>;

class PrinterSession : public nv::NvJobRunner {
 public:
  // `progress` may be empty (no progress shown); `handheld` as CCommonUtil takes it.
  PrinterSession(const devlink::LinkSettings& link, platform::Services& services,
                 ProgressSink progress, bool handheld = false);
  ~PrinterSession() override;
  PrinterSession(const PrinterSession&) = delete;
  PrinterSession& operator=(const PrinterSession&) = delete;

  // A whole settings transfer with the desktop program's steps, pauses and messages. A write
  // after a read uses the same link. False with the failure's message.
  bool Transfer(settings::TransferMode mode, std::string* message);
  // The same with another plan of the transfer's operations (`plan` outlives the call).
  bool Transfer(const settings::TransferPlan& plan, settings::TransferMode mode,
                std::string* message);

  // Opens the link unless it is open; false with "Port open error!" and the link's reason.
  bool OpenLink(std::string* message);
  // One identification query on the open link (CCommonUtil::kModel, kMaker, kFirmwareVersion);
  // false with `failure`, the link's reason and, for a printer that named another model or
  // maker, what it said.
  bool Query(uint32_t kind, std::string_view failure, std::string* message);
  // The model query, failing with "Printer model is not matched!".
  bool QueryModel(std::string* message);

  // One NV job to its end, sleeping through its pauses (the NV manager's jobs and texts).
  bool RunJob(nv::NvJobCode job_code, const std::string& key_code, std::string* message) override;

  platform::Services& services() { return services_; }
  protocol::CCommonUtil& util() { return util_; }
  protocol::CCommonVmsm& vmsm() { return vmsm_; }
  nv::CCommonNv& nv() { return nv_; }

  // Shows `percent` and `stage` on the progress sink.
  void ShowProgress(int percent, const std::string& stage);

 private:
  // True, with `message` emptied, when a stop request ended a reply wait of the failed call
  // (traffic since `before`).
  bool StoppedMidway(const devlink::CDev::Traffic& before, std::string* message);

  platform::Services& services_;
  ProgressSink progress_;
  protocol::CCommonUtil util_;
  protocol::CCommonVmsm vmsm_;
  nv::CCommonNv nv_;
};

}  // namespace session
