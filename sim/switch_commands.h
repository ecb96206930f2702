#pragma once

#include "sim/printer_model.h"

namespace sim {

// GS ( E: setting mode, memory switches (including 116 for BLE and "P" for the radio interface),
// the serial interface items and the tear-off position.
class SwitchCommands : public CommandFamily {
 public:
  Outcome Parse(std::span<const uint8_t> bytes, PrinterModel& printer) override;
};

// The 8 wire characters of a switch value, bit 8 first.
std::string SwitchText(uint8_t bits);
// Applies c1..c8 ("0", "1" or "2" = keep) to `bits`; false (and `bits` untouched) when a character
// is anything else.
bool ApplySwitchText(std::span<const uint8_t> chars, uint8_t& bits);

}  // namespace sim
