#pragma once

#include "sim/printer_model.h"

namespace sim {

// GS I n (code page, model, firmware version, maker) and the vendor open check ESC M I.
class IdentificationCommands : public CommandFamily {
 public:
  Outcome Parse(std::span<const uint8_t> bytes, PrinterModel& printer) override;
};

}  // namespace sim
