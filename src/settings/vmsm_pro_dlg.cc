#include "settings/vmsm_pro_dlg.h"

#include "link/link_failure.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"
#include "settings/vmsm_pro_template.h"
#include "settings/vmsm_strings.h"

namespace {

constexpr int kFullPosition = 100;
constexpr uint32_t kAdvanceStepMs = 2;
constexpr uint32_t kFirstStageDelayMs = 100;

int FirstEvent(int mode) {
  switch (mode) {
    case CVmsmProDlg::kModeReadAll:
      return kEventReadOpen;
    case CVmsmProDlg::kModeWriteAll:
      return kEventWriteOpen;
    default:
      return kEventFactoryDefault;
  }
}

}  // namespace

CVmsmProDlg::CVmsmProDlg(int mode, CCommonVmsm* vmsm, const TransferPlan& plan,
                         const ui::Template& tmpl)
    : ui::Dialog(tmpl), mode_(mode), vmsm_(vmsm), plan_(&plan) {}

std::string CVmsmProDlg::Text(std::string_view fixed, int id) const {
  return fixed.empty() ? LoadString(id) : std::string(fixed);
}

bool CVmsmProDlg::OnInitDialog() {
  // The window title is the template's caption, "Virtual Memory Switch Manager" in English.
  position_ = 0;
  message_.clear();
  failure_line_.clear();
  GetProgress(kVmsmProProgressId).SetRange(0, kFullPosition);
  GetProgress(kVmsmProProgressId).SetPos(0);
  if (mode_ == kModeNone) {
    EndDialog(ui::IDCANCEL);
    return true;
  }
  if (vmsm_ == nullptr || vmsm_->util() == nullptr) {
    // Nothing to talk to the printer with: the same as a port that will not open, told in the
    // words of the plan's first step (every plan opens the link first).
    const TransferEvent* first = plan_->Find(FirstEvent(mode_));
    const std::string_view fixed =
        first != nullptr && !first->steps.empty() ? first->steps[0].message : std::string_view();
    FailWith(Text(fixed, transfer_ids::kPortOpenError));
    return true;
  }
  SetTimer(FirstEvent(mode_), kFirstStageDelayMs);
  return true;
}

void CVmsmProDlg::OnTimer(int id) {
  // Window timers repeat; each stage runs once.
  KillTimer(id);
  if (HasEnded()) return;
  if (id == kEventClose) {
    Closing();
    return;
  }
  if (const TransferEvent* event = plan_->Find(id)) RunEvent(*event);
}

void CVmsmProDlg::RunEvent(const TransferEvent& event) {
  stage_name_ = Text(event.stage_name, event.stage_name_id);
  for (const TransferStep& step : event.steps) {
    if (!RunStep(step)) return;
  }
}

bool CVmsmProDlg::Applies(StepCondition condition) const {
  switch (condition) {
    case StepCondition::kAlways:
      return true;
    case StepCondition::kNewerFirmware:
      return vmsm_->util()->firmware_version_ == kFirmwareNewer;
    case StepCondition::kBluetoothOn:
      return vmsm_->BtSkip == 0;
  }
  return false;
}

bool CVmsmProDlg::RunStep(const TransferStep& step) {
  if (!Applies(step.when)) return true;
  switch (step.op) {
    case TransferOp::kAdvance:
      Advance(step.value);
      return true;
    case TransferOp::kAdvanceSlow:
      AdvanceSlow(step.value, step.ms);
      return true;
    case TransferOp::kPause:
      clock().Sleep(step.ms);
      return true;
    case TransferOp::kArm:
      // The write arms its closing stage before the Bluetooth items and their settling time;
      // the loop still lets a Cancel pressed meanwhile beat that overdue stage.
      SetTimer(static_cast<int>(step.value), step.ms);
      return true;
    default:
      break;
  }
  // What the link did during the step tells its failure, silence and a wrong reply apart.
  const CDev& dev = vmsm_->util()->dev_;
  const CDev::Traffic before = dev.traffic();
  if (Perform(step) != kResultOk) {
    failure_line_ = FailureLine(dev, before);
    FailWith(Text(step.message, step.message_id) +
             (failure_line_.empty() ? std::string() : "\n" + failure_line_));
    return false;
  }
  Advance(step.advance);
  return true;
}

uint32_t CVmsmProDlg::Perform(const TransferStep& step) {
  CCommonVmsm& v = *vmsm_;
  CCommonUtil& util = *v.util();
  const auto a = static_cast<uint8_t>(step.value);
  switch (step.op) {
    case TransferOp::kOpenLink:
      if (util.dev_.open_flag_ != 0) return kResultOk;
      return util.dev_.Open() == 1 ? kResultOk : kResultNotOpen;
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

void CVmsmProDlg::Advance(uint32_t n) { AdvanceSlow(n, kAdvanceStepMs); }

void CVmsmProDlg::AdvanceSlow(uint32_t n, uint32_t ms) {
  for (uint32_t i = 0; i < n && position_ < kFullPosition; ++i) {
    ++position_;
    ShowPosition(stage_name_ + " : " + std::to_string(position_) + " %");
    clock().Sleep(ms);
  }
}

void CVmsmProDlg::Closing() {
  const std::string name = Text(plan_->closing_name, plan_->closing_name_id);
  while (position_ < kFullPosition) {
    ++position_;
    ShowPosition(name + std::string(plan_->closing_separator) + std::to_string(position_) + " %");
    clock().Sleep(kAdvanceStepMs);
  }
  EndDialog(ui::IDOK);
}

void CVmsmProDlg::ShowPosition(const std::string& line) {
  GetProgress(kVmsmProProgressId).SetPos(position_);
  SetDlgItemText(kVmsmProTextId, line);
  UpdateWindow();
}

void CVmsmProDlg::Fail(int string_id) { FailWith(LoadString(string_id)); }

void CVmsmProDlg::FailWith(std::string text) {
  message_ = std::move(text);
  // A stage may have armed the next one before it failed (the closing stage of a write); the
  // timers of an ended dialog never fire.
  EndDialog(ui::IDCANCEL);
}
