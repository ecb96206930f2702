#pragma once

// The settings transfer as data: each timer event of the progress dialog is a list of steps, each
// step one operation with the condition under which it runs, the message shown when it fails and
// the progress it earns. The desktop program's plan is below; the handheld program reads and
// writes the same items in another order with its own texts and gets a plan of its own.

#include <cstdint>
#include <string_view>
#include <vector>

enum class TransferOp {
  kOpenLink,     // open the link unless it is open already
  kPrinterInfo,  // CCommonUtil::GetPrinterInfo(value)
  kInitSetting,
  kEndSetting,
  kReadSwitch,  // value: switch number
  kWriteSwitch,
  kReadSerial,  // value: serial item 1..4
  kWriteSerial,
  kReadTearOff,
  kWriteTearOff,
  kReadSentinel,  // value: track 1..3
  kWriteSentinel,
  kReadRfInterface,
  kWriteRfInterface,
  kReadBtInfo,  // value: the item's kind letter
  kWriteBtInfo,
  kFactoryDefault,
  kAdvance,      // progress: value steps
  kAdvanceSlow,  // progress: value steps of ms each
  kPause,        // sleep ms
  kArm,          // arm timer event `value`, ms ahead
};

enum class StepCondition {
  kAlways,
  kNewerFirmware,  // the printer's firmware has the tear-off position
  kBluetoothOn,    // the user has not switched the Bluetooth settings off (BtSkip is 0)
};

struct TransferStep {
  TransferOp op = TransferOp::kPause;
  uint32_t value = 0;
  uint32_t ms = 0;
  StepCondition when = StepCondition::kAlways;
  int message_id = 0;    // string id of the failure message (printer operations)
  uint32_t advance = 0;  // progress steps earned when the operation succeeds
};

struct TransferEvent {
  int id = 0;
  int stage_name_id = 0;  // string id of the stage name in the progress line
  std::vector<TransferStep> steps;
};

// Timer events of the transfer.
inline constexpr int kEventReadOpen = 1000;
inline constexpr int kEventRead = 101;
inline constexpr int kEventWriteOpen = 2000;
inline constexpr int kEventWrite = 102;
inline constexpr int kEventFactoryDefault = 3000;
inline constexpr int kEventClose = 9999;

struct TransferPlan {
  std::vector<TransferEvent> events;
  int closing_name_id = 0;
  // Between the closing stage's name and the position ("Completed." + "...: " + "100 %").
  std::string_view closing_separator;

  // The event with this id, or nullptr.
  const TransferEvent* Find(int event_id) const;
};

const TransferPlan& DesktopTransferPlan();

// Operations that exchange bytes with the printer (and so can fail with a message).
bool IsPrinterOperation(TransferOp op);
