#pragma once

// The settings transfer as data: each timer event of the progress dialog is a list of steps, each
// step one operation with the condition under which it runs, the message shown when it fails and
// the progress it earns. The desktop program's plan takes its texts from the string table; the
// handheld program reads and writes the same items in another order with fixed texts of its own.

#include <cstdint>
#include <string_view>
#include <utility>
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
  int message_id = 0;        // string id of the failure message (printer operations)
  std::string_view message;  // a fixed failure message instead, for programs without the table
  uint32_t advance = 0;      // progress steps earned when the operation succeeds
};

struct TransferEvent {
  // The stage name as a string id, or as a fixed text.
  TransferEvent(int event_id, int name_id, std::vector<TransferStep> event_steps)
      : id(event_id), stage_name_id(name_id), steps(std::move(event_steps)) {}
  TransferEvent(int event_id, std::string_view name, std::vector<TransferStep> event_steps)
      : id(event_id), steps(std::move(event_steps)), stage_name(name) {}

  int id = 0;
  int stage_name_id = 0;  // string id of the stage name in the progress line
  std::vector<TransferStep> steps;
  std::string_view stage_name;  // a fixed stage name instead of the string id
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
  std::string_view closing_name;  // a fixed closing name instead of the string id
  // Between the closing stage's name and the position ("Completed." + "...: " + "100 %").
  std::string_view closing_separator;

  // The event with this id, or nullptr.
  const TransferEvent* Find(int event_id) const;
};

const TransferPlan& DesktopTransferPlan();
// The handheld program's order: it asks for the code page and the open check before the switches,
// reads the tear-off position right after switch 8 and never writes it, keeps switch 81 where the
// desktop has switch 116, and writes the Bluetooth items inside setting mode. Its messages are
// fixed texts of its own.
const TransferPlan& HandheldTransferPlan();

// Operations that exchange bytes with the printer (and so can fail with a message).
bool IsPrinterOperation(TransferOp op);
