#pragma once

#include "sim/printer_model.h"

namespace sim {

// US US: Bluetooth items. "i" kind reads one item; "p" writes security, connection mode, PIN and
// device name at once.
class BluetoothCommands : public CommandFamily {
 public:
  Outcome Parse(std::span<const uint8_t> bytes, PrinterModel& printer) override;
};

}  // namespace sim
