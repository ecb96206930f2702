#pragma once

#include "sim/printer_model.h"

namespace sim {

// BS M S: the MSR start and end sentinels of tracks 1 to 3.
class SentinelCommands : public CommandFamily {
 public:
  Outcome Parse(std::span<const uint8_t> bytes, PrinterModel& printer) override;
};

}  // namespace sim
