#pragma once

// The settings transfer on the job engine (see JobRunner): TransferActions carries out the plan's
// operations against a CCommonVmsm, and the mode picks the event a transfer starts with. A write
// can follow a read on the same connection and rely on the firmware generation the read found.

#include <string>
#include <string_view>

#include "jobs/job_runner.h"
#include "protocol/common_vmsm.h"
#include "settings/transfer_plan.h"

namespace settings {
// What a transfer does; the values are those the programs have always passed.
enum class TransferMode { kNone = 0, kReadAll = 1, kWriteAll = 2, kFactoryDefault = 3 };

// The event `mode` starts with; a mode without one (kNone, or a value no mode has) gives an event
// no plan holds, so the transfer fails at once instead of sending anything.
int FirstTransferEvent(TransferMode mode);

// The English texts of the plans' string ids.
std::string EnglishTransferText(std::string_view fixed, int id);

class TransferActions : public jobs::JobActions {
 public:
  // `vmsm` (with its util) must outlive the actions.
  explicit TransferActions(protocol::CCommonVmsm& vmsm) : vmsm_(vmsm) {}

  protocol::Result Perform(const jobs::JobStep& step, jobs::JobRunner& runner) override;
  bool Applies(int condition) const override;
  // A transfer stopped in setting mode (after InitSetting, before EndSetting) leaves it: a printer
  // left there holds the settings half written and prints nothing until it is switched off.
  std::string Stop() override;
  // A write that failed in setting mode leaves it too: a refused value (a Bluetooth name holding
  // a line end) fails the step with the link in good order.
  void Failed() override { LeaveSettingMode(); }

 private:
  // Sends EndSetting when in setting mode; false when it was and could not be told to leave.
  bool LeaveSettingMode();

  protocol::CCommonVmsm& vmsm_;
  bool in_setting_mode_ = false;
  bool left_setting_mode_ = false;  // a write's EndSetting went out
};
}  // namespace settings
