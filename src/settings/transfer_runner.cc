#include "settings/transfer_runner.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "link/link_failure.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"
#include "settings/vmsm_strings.h"

namespace {
constexpr uint32_t kAdvanceStepMs = 2;
}  // namespace

std::string EnglishTransferText(std::string_view fixed, int id) {
  return std::string(fixed.empty() ? TransferText(id) : fixed);
}

TransferRunner::TransferRunner(CCommonVmsm& vmsm, const TransferPlan& plan,
                               TransferProgress& progress, platform::Clock& clock,
                               TransferTextSource text)
    : vmsm_(vmsm), plan_(plan), progress_(progress), text_(std::move(text)), clock_(clock) {}

int TransferRunner::FirstEvent(int mode) {
  switch (mode) {
    case kReadAll:
      return kEventReadOpen;
    case kWriteAll:
      return kEventWriteOpen;
    default:
      return kEventFactoryDefault;
  }
}

bool TransferRunner::RunEvent(const TransferEvent& event, const ArmTimer& arm) {
  stage_name_ = text_(event.stage_name, event.stage_name_id);
  for (const TransferStep& step : event.steps) {
    if (!RunStep(step, arm)) return false;
  }
  return true;
}

bool TransferRunner::RunToEnd(int mode) {
  struct Due {
    int event;
    uint32_t at;  // tick count
  };
  std::vector<Due> pending = {{FirstEvent(mode), clock_.TickCount() + kFirstStageDelayMs}};
  const ArmTimer arm = [&](int event, uint32_t delay_ms) {
    pending.push_back({event, clock_.TickCount() + delay_ms});
  };
  while (!pending.empty()) {
    // The earliest due first; ties in the order armed. Ticks are compared as differences, so a
    // wrap of the 32-bit count does not reorder them.
    const uint32_t now = clock_.TickCount();
    auto next = std::min_element(pending.begin(), pending.end(), [now](const Due& a, const Due& b) {
      return static_cast<int32_t>(a.at - now) < static_cast<int32_t>(b.at - now);
    });
    const Due due = *next;
    pending.erase(next);
    const auto wait = static_cast<int32_t>(due.at - clock_.TickCount());
    if (wait > 0) clock_.Sleep(static_cast<uint32_t>(wait));
    if (due.event == kEventClose) {
      Closing();
      return true;
    }
    const TransferEvent* event = plan_.Find(due.event);
    if (event == nullptr) continue;
    if (!RunEvent(*event, arm)) return false;
  }
  // A plan whose events never arm the closing stage has still run every step it has.
  return true;
}

bool TransferRunner::Applies(StepCondition condition) const {
  switch (condition) {
    case StepCondition::kAlways:
      return true;
    case StepCondition::kNewerFirmware:
      return vmsm_.util()->identity().firmware_version == kFirmwareNewer;
    case StepCondition::kBluetoothOn:
      return vmsm_.settings().BtSkip == 0;
  }
  return false;
}

bool TransferRunner::RunStep(const TransferStep& step, const ArmTimer& arm) {
  if (!Applies(step.when)) return true;
  switch (step.op) {
    case TransferOp::kAdvance:
      Advance(step.value);
      return true;
    case TransferOp::kAdvanceSlow:
      AdvanceSlow(step.value, step.ms);
      return true;
    case TransferOp::kPause:
      clock_.Sleep(step.ms);
      return true;
    case TransferOp::kArm:
      arm(static_cast<int>(step.value), step.ms);
      return true;
    default:
      break;
  }
  // What the link did during the step tells its failure, silence and a wrong reply apart.
  const CDev& dev = vmsm_.util()->dev();
  const CDev::Traffic before = dev.traffic();
  if (Perform(step) != kResultOk) {
    failure_line_ = FailureLine(dev, before);
    // A printer that answered as another model or maker says what it is instead.
    if (failure_line_.empty() && step.op == TransferOp::kPrinterInfo) {
      failure_line_ = vmsm_.util()->refused_identity();
    }
    message_ = text_(step.message, step.message_id) +
               (failure_line_.empty() ? std::string() : "\n" + failure_line_);
    return false;
  }
  Advance(step.advance);
  return true;
}

uint32_t TransferRunner::Perform(const TransferStep& step) {
  CCommonVmsm& v = vmsm_;
  CCommonUtil& util = *v.util();
  const auto a = static_cast<uint8_t>(step.value);
  switch (step.op) {
    case TransferOp::kOpenLink:
      return util.OpenLink() ? kResultOk : kResultNotOpen;
    case TransferOp::kPrinterInfo:
      return util.GetPrinterInfo(step.value);
    case TransferOp::kInitSetting:
      return v.InitSetting();
    case TransferOp::kEndSetting:
      return v.EndSetting();
    case TransferOp::kReadSwitch:
      return v.ReadSwitch(a);
    case TransferOp::kWriteSwitch:
      return v.WriteSwitch(a);
    case TransferOp::kReadSerial:
      return v.ReadSerial(a);
    case TransferOp::kWriteSerial:
      return v.WriteSerial(a);
    case TransferOp::kReadTearOff:
      return v.ReadTearOff();
    case TransferOp::kWriteTearOff:
      return v.WriteTearOff();
    case TransferOp::kReadSentinel:
      return v.ReadSentinel(a);
    case TransferOp::kWriteSentinel:
      return v.WriteSentinel(a);
    case TransferOp::kReadRfInterface:
      return v.ReadRfInterface();
    case TransferOp::kWriteRfInterface:
      return v.WriteRfInterface();
    case TransferOp::kReadBtInfo:
      return v.ReadBtInfo(a);
    case TransferOp::kWriteBtInfo:
      return v.WriteBtInfo();
    case TransferOp::kFactoryDefault:
      return v.FactoryDefault();
    case TransferOp::kAdvance:
    case TransferOp::kAdvanceSlow:
    case TransferOp::kPause:
    case TransferOp::kArm:
      break;
  }
  return kResultOk;
}

void TransferRunner::Fail(std::string text) { message_ = std::move(text); }

void TransferRunner::Advance(uint32_t n) { AdvanceSlow(n, kAdvanceStepMs); }

void TransferRunner::AdvanceSlow(uint32_t n, uint32_t ms) {
  for (uint32_t i = 0; i < n && position_ < kFullPosition; ++i) {
    ++position_;
    progress_.Show(position_, stage_name_ + " : " + std::to_string(position_) + " %");
    clock_.Sleep(ms);
  }
}

void TransferRunner::Closing() {
  const std::string name = text_(plan_.closing_name, plan_.closing_name_id);
  while (position_ < kFullPosition) {
    ++position_;
    progress_.Show(position_,
                   name + std::string(plan_.closing_separator) + std::to_string(position_) + " %");
    clock_.Sleep(kAdvanceStepMs);
  }
}
