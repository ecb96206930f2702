#pragma once

// The settings transfer as data: each timer event of the progress dialog is a list of steps, each
// step one operation with the condition under which it runs, the message shown when it fails and
// the progress it earns. The desktop program's plan takes its texts from the string table; the
// handheld program reads and writes the same items in another order with fixed texts of its own.

#include "jobs/job_plan.h"

namespace settings {
// The transfer's own operations (JobStep::action); the link and the identification are the
// runner's (StepKind::kOpenLink, kPrinterInfo).
enum class TransferOp {
  kOpenLink = 1,  // open the link unless it is open already
  kPrinterInfo,   // CCommonUtil::GetPrinterInfo(value)
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
};

enum TransferCondition {
  kNewerFirmware = jobs::kFirstJobCondition,  // the printer's firmware has the tear-off position
  kBluetoothOn,  // the user has not switched the Bluetooth settings off (BtSkip is 0)
  // Closing the link may discard bytes it has not sent yet: every link but TCP/IP, whose close
  // still delivers them.
  kUnsentLostOnClose,
};

// Timer events of the transfer.
inline constexpr int kEventReadOpen = 1000;
inline constexpr int kEventRead = 101;
inline constexpr int kEventWriteOpen = 2000;
inline constexpr int kEventWrite = 102;
inline constexpr int kEventFactoryDefault = 3000;
// And kEventClose, the closing stage.

using TransferPlan = jobs::JobPlan;

const TransferPlan& DesktopTransferPlan();
// The handheld program's order: it asks for the code page and the open check before the switches,
// reads the tear-off position right after switch 8 and never writes it, keeps switch 81 where the
// desktop has switch 116, and writes the Bluetooth items inside setting mode. Its messages are
// fixed texts of its own.
const TransferPlan& HandheldTransferPlan();
}  // namespace settings
