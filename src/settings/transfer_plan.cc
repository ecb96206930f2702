#include "settings/transfer_plan.h"

#include "protocol/common_util.h"
#include "protocol/vmsm_commands.h"
#include "settings/vmsm_strings.h"

namespace settings {
namespace {

using namespace transfer_ids;
using Op = TransferOp;

// The plan's operations: opening the link and identifying the printer are the runner's own.
jobs::JobStep Kinded(Op op, jobs::JobStep s) {
  if (op == Op::kOpenLink) return jobs::Kind(jobs::StepKind::kOpenLink, s);
  if (op == Op::kPrinterInfo) return jobs::Kind(jobs::StepKind::kPrinterInfo, s);
  return s;
}

jobs::JobStep Do(Op op, uint32_t value, int message_id, uint32_t advance = 0,
                 int when = jobs::kAlways) {
  return Kinded(op, jobs::Do(static_cast<int>(op), value, message_id, advance, when));
}

// A step whose failure shows a fixed text.
jobs::JobStep Say(Op op, uint32_t value, std::string_view message, uint32_t advance = 0,
                  int when = jobs::kAlways) {
  return Kinded(op, jobs::Say(static_cast<int>(op), value, message, advance, when));
}

// The dialog gets a chance to paint between stages.
constexpr uint32_t kStageGapMs = 100;
// Lets the printer settle after identification before the first switch query.
constexpr uint32_t kSettleBeforeReadMs = 500;
// The printer stores the Bluetooth items slowly; the bar keeps moving meanwhile.
constexpr uint32_t kBtSettleSteps = 20;
constexpr uint32_t kBtSettleStepMs = 200;
constexpr uint32_t kFactorySettleSteps = 99;
constexpr uint32_t kFactorySettleStepMs = 50;
constexpr uint32_t kCloseAfterWriteMs = 1000;

TransferPlan MakeDesktopPlan() {
  const int newer = kNewerFirmware;
  const int bt_on = kBluetoothOn;
  TransferPlan plan;
  plan.closing_name_id = kCompleted;
  plan.closing_separator = "...: ";
  plan.events = {
      {kEventReadOpen,
       kGetStatus,
       {
           Do(Op::kOpenLink, 0, kPortOpenError, 5),
           Do(Op::kPrinterInfo, protocol::CCommonUtil::kModel, kModelNotMatched, 5),
           Do(Op::kPrinterInfo, protocol::CCommonUtil::kFirmwareVersion, kVersionFailed, 5),
           jobs::Arm(kEventRead, kStageGapMs),
       }},
      {kEventRead,
       kGetStatus,
       {
           jobs::Advance(4),
           jobs::Pause(kSettleBeforeReadMs),
           Do(Op::kReadSwitch, 1, kReadSw1Failed, 4),
           Do(Op::kReadSwitch, 2, kReadSw2Failed, 4),
           Do(Op::kReadSwitch, 3, kReadSw3Failed, 4),
           Do(Op::kReadSwitch, 5, kReadSw5Failed, 4),
           Do(Op::kReadSwitch, 6, kReadSw6Failed, 4),
           Do(Op::kReadSwitch, 7, kReadSw7Failed, 4),
           Do(Op::kReadSwitch, 8, kReadSw8Failed),
           Do(Op::kReadSwitch, 116, kReadSw116Failed),
           Do(Op::kReadTearOff, 0, kTearOffFailed, 0, newer),
           jobs::Advance(4),
           jobs::Advance(4),
           jobs::Advance(4),
           Do(Op::kReadSerial, 1, kReadIfsw1Failed, 4),
           Do(Op::kReadSerial, 2, kReadIfsw2Failed, 4),
           Do(Op::kReadSerial, 3, kReadIfsw3Failed, 4),
           Do(Op::kReadSerial, 4, kReadIfsw4Failed, 4),
           Do(Op::kReadSentinel, 1, kReadTrack1SentinelFailed, 4),
           Do(Op::kReadSentinel, 2, kReadTrack2SentinelFailed, 4),
           Do(Op::kReadSentinel, 3, kReadTrack3SentinelFailed, 4),
           Do(Op::kReadRfInterface, 0, kReadRfInterfaceFailed, 4),
           Do(Op::kReadBtInfo, protocol::vmsm::kBtConnMode, kReadBtConnModeFailed, 4),
           Do(Op::kReadBtInfo, protocol::vmsm::kBtName, kReadBtNameFailed, 4),
           Do(Op::kReadBtInfo, protocol::vmsm::kBtPin, kReadBtPinFailed, 4),
           Do(Op::kReadBtInfo, protocol::vmsm::kBtSecurity, kReadBtSecurityFailed, 4),
           jobs::Advance(4),
           jobs::Arm(jobs::kEventClose, kStageGapMs),
       }},
      {kEventWriteOpen,
       kSetStatus,
       {
           Do(Op::kOpenLink, 0, kPortOpenError, 5),
           jobs::Arm(kEventWrite, kStageGapMs),
       }},
      {kEventFactoryDefault,
       kSetStatus,
       {
           Do(Op::kOpenLink, 0, kPortOpenError, 5),
           Do(Op::kFactoryDefault, 0, kFactoryDefaultFailed),
           jobs::Advance(kFactorySettleSteps, kFactorySettleStepMs),
           jobs::Arm(jobs::kEventClose, kStageGapMs),
       }},
      {kEventWrite,
       kSetStatus,
       {
           Do(Op::kInitSetting, 0, kInitSettingFailed, 4),
           Do(Op::kWriteSwitch, 1, kWriteMsw1Failed, 4),
           Do(Op::kWriteSwitch, 2, kWriteMsw2Failed, 4),
           Do(Op::kWriteSwitch, 3, kWriteMsw3Failed, 4),
           Do(Op::kWriteSwitch, 5, kWriteMsw5Failed, 4),
           Do(Op::kWriteSwitch, 6, kWriteMsw6Failed, 4),
           Do(Op::kWriteSwitch, 7, kWriteMsw7Failed, 4),
           Do(Op::kWriteSwitch, 8, kWriteMsw8Failed),
           Do(Op::kWriteSwitch, 116, kWriteMsw116Failed, 0, bt_on),
           jobs::Advance(4),
           jobs::Advance(4),
           jobs::Advance(4),
           Do(Op::kWriteSerial, 1, kReadIfsw1Failed, 4),
           Do(Op::kWriteSerial, 2, kReadIfsw2Failed, 4),
           Do(Op::kWriteSerial, 3, kReadIfsw3Failed, 4),
           Do(Op::kWriteSerial, 4, kReadIfsw4Failed),
           Do(Op::kWriteTearOff, 0, kTearOffFailed, 0, newer),
           jobs::Advance(4),
           Do(Op::kWriteSentinel, 1, kWriteTrack1SentinelFailed, 4),
           Do(Op::kWriteSentinel, 2, kWriteTrack2SentinelFailed, 4),
           Do(Op::kWriteSentinel, 3, kWriteTrack3SentinelFailed, 4),
           Do(Op::kWriteRfInterface, 0, kWriteRfInterfaceFailed, 4),
           Do(Op::kEndSetting, 0, kEndSettingFailed, 4),
           // The closing timer is armed before the Bluetooth write, which runs after setting
           // mode has been left; its settling time holds the closing stage back.
           jobs::Arm(jobs::kEventClose, kCloseAfterWriteMs),
           Do(Op::kWriteBtInfo, 0, kWriteBtInfoFailed, 0, bt_on),
           jobs::Only(bt_on, jobs::Advance(kBtSettleSteps, kBtSettleStepMs)),
       }},
  };
  return plan;
}

// The handheld program's own texts.
constexpr std::string_view kHhPortOpen = "Port Open Error!!!";
constexpr std::string_view kHhGetStatus = "Get status";
constexpr std::string_view kHhSetStatus = "Set status";
// Switch 81 (51h, as its messages call it) carries nothing of the record: read, it changes
// nothing; written, it goes out as "leave every bit" (22222222). It stands where the desktop has
// switch 116, whose BLE bit the handheld neither shows nor sends.
constexpr uint8_t kHhSwitch51 = 0x51;

TransferPlan MakeHandheldPlan() {
  const int newer = kNewerFirmware;
  const int bt_on = kBluetoothOn;
  TransferPlan plan;
  plan.closing_name = "Completed";
  plan.closing_separator = "..: ";
  plan.events = {
      {kEventReadOpen,
       kHhGetStatus,
       {
           Say(Op::kOpenLink, 0, kHhPortOpen, 5),
           Say(Op::kPrinterInfo, protocol::CCommonUtil::kModel,
               "Printer Model name not matched...!!", 5),
           Say(Op::kPrinterInfo, protocol::CCommonUtil::kFirmwareVersion,
               "Failed to get Printer version..!!", 5),
           jobs::Arm(kEventRead, kStageGapMs),
       }},
      {kEventRead,
       kHhGetStatus,
       {
           // The wizard's MSR list depends on the open check, so it is asked for every time.
           Say(Op::kPrinterInfo, protocol::CCommonUtil::kCodePage, "Failed to get Codepage..!!"),
           Say(Op::kPrinterInfo, protocol::CCommonUtil::kOpenCheck, "Failed to get MSR Mode..!!"),
           jobs::Advance(4),
           jobs::Pause(kSettleBeforeReadMs),
           Say(Op::kReadSwitch, 1, "Failed to read MSW1..!!", 4),
           Say(Op::kReadSwitch, 2, "Failed to read MSW2..!!", 4),
           Say(Op::kReadSwitch, 3, "Failed to read MSW3..!!", 4),
           Say(Op::kReadSwitch, 5, "Failed to read MSW5..!!", 4),
           Say(Op::kReadSwitch, 6, "Failed to read MSW6..!!", 4),
           Say(Op::kReadSwitch, 7, "Failed to read MSW7..!!", 4),
           Say(Op::kReadSwitch, 8, "Failed to read MSW8..!!"),
           Say(Op::kReadTearOff, 0, "Failed to get tear off position..!!", 0, newer),
           Say(Op::kReadSwitch, kHhSwitch51, "Failed to read SW51 data!"),
           jobs::Advance(4),
           jobs::Advance(4),
           jobs::Advance(4),
           Say(Op::kReadSerial, 1, "Failed to read IFSW1..!!", 4),
           Say(Op::kReadSerial, 2, "Failed to read IFSW2..!!", 4),
           Say(Op::kReadSerial, 3, "Failed to read IFSW3..!!", 4),
           Say(Op::kReadSerial, 4, "Failed to read IFSW4..!!", 4),
           Say(Op::kReadSentinel, 1, "Failed to read Sentinal char of Track1..!!", 4),
           Say(Op::kReadSentinel, 2, "Failed to read Sentinal char of Track2..!!", 4),
           Say(Op::kReadSentinel, 3, "Failed to read Sentinal char of Track3..!!", 4),
           Say(Op::kReadRfInterface, 0, "Failed to read Bluetooth connection mode!!", 4),
           Say(Op::kReadBtInfo, protocol::vmsm::kBtConnMode,
               "Failed to read BT connection mode..!!", 4),
           Say(Op::kReadBtInfo, protocol::vmsm::kBtName, "Failed to read BT device name..!!", 4),
           Say(Op::kReadBtInfo, protocol::vmsm::kBtPin, "Failed to read BT PIN code..!!", 4),
           Say(Op::kReadBtInfo, protocol::vmsm::kBtSecurity, "Failed to read BT security info..!!",
               4),
           jobs::Advance(4),
           jobs::Arm(jobs::kEventClose, kStageGapMs),
       }},
      {kEventWriteOpen,
       kHhSetStatus,
       {
           Say(Op::kOpenLink, 0, kHhPortOpen, 5),
           jobs::Arm(kEventWrite, kStageGapMs),
       }},
      {kEventFactoryDefault,
       kHhSetStatus,
       {
           Say(Op::kOpenLink, 0, kHhPortOpen, 5),
           Say(Op::kFactoryDefault, 0, "Failed to set factory default..!!"),
           jobs::Advance(kFactorySettleSteps, kFactorySettleStepMs),
           jobs::Arm(jobs::kEventClose, kStageGapMs),
       }},
      {kEventWrite,
       kHhSetStatus,
       {
           Say(Op::kInitSetting, 0, "Failed to set Init command..!!", 4),
           Say(Op::kWriteSwitch, 1, "Failed to set MSW1..!!", 4),
           Say(Op::kWriteSwitch, 2, "Failed to set MSW2..!!", 4),
           Say(Op::kWriteSwitch, 3, "Failed to set MSW3..!!", 4),
           Say(Op::kWriteSwitch, 5, "Failed to set MSW5..!!", 4),
           Say(Op::kWriteSwitch, 6, "Failed to set MSW6..!!", 4),
           Say(Op::kWriteSwitch, 7, "Failed to set MSW7..!!", 4),
           Say(Op::kWriteSwitch, 8, "Failed to set MSW8..!!"),
           Say(Op::kWriteSerial, 1, "Failed to set IFSW1 data!!!", 4),
           Say(Op::kWriteSwitch, kHhSwitch51, "Failed to set SW51 data!!!"),
           Say(Op::kWriteSerial, 2, "Failed to set IFSW2 data!!!", 4),
           Say(Op::kWriteSerial, 3, "Failed to set IFSW3 data!!!", 4),
           Say(Op::kWriteSerial, 4, "Failed to set IFSW1 data!!!"),
           Say(Op::kWriteSentinel, 1, "Failed to set Sentinal char of Track1!!!", 4),
           Say(Op::kWriteSentinel, 2, "Failed to set Sentinal char of Track2!!!", 4),
           Say(Op::kWriteSentinel, 3, "Failed to set Sentinal char of Track3!!!", 4),
           // The radio and Bluetooth modules take their settings slowly; setting mode stays
           // open until they have.
           Say(Op::kWriteRfInterface, 0, "Failed to set RFInterface info!!!"),
           jobs::Advance(kBtSettleSteps, kBtSettleStepMs),
           Say(Op::kWriteBtInfo, 0, "Failed to set Bluetooth info!!!", 0, bt_on),
           jobs::Only(bt_on, jobs::Advance(kBtSettleSteps, kBtSettleStepMs)),
           Say(Op::kEndSetting, 0, "Failed to write setting end cmd!!!", 4),
           jobs::Arm(jobs::kEventClose, kStageGapMs),
       }},
  };
  return plan;
}

}  // namespace

const TransferPlan& DesktopTransferPlan() {
  static const TransferPlan plan = MakeDesktopPlan();
  return plan;
}

const TransferPlan& HandheldTransferPlan() {
  static const TransferPlan plan = MakeHandheldPlan();
  return plan;
}
}  // namespace settings
