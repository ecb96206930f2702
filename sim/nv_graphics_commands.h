#pragma once

#include <vector>

#include "sim/printer_model.h"

namespace sim {

// GS ( L with m = 30h: the NV graphics the printer keeps in PrinterState::nv_images.
//   fn 40h  "KC"  the key code list, in blocks 37 72 <41h more | 40h last> <kc1 kc2>... 00; after
//                 a block with 41h the printer waits for the host's ACK (06h: next block) or
//                 CAN (18h: stop)
//   fn 41h  "CLR" delete all
//   fn 42h  kc1 kc2  delete one
//   fn 43h  30h kc1 kc2 01h xL xH yL yH 31h raster  define (replaces an image of the same key code)
//   fn 45h  kc1 kc2 x y  print one, each scale 1 or 2
// A refused or unknown command is still taken whole by its parameter length, so the commands
// after it parse as sent.
class NvGraphicsCommands : public CommandFamily {
 public:
  Outcome Parse(std::span<const uint8_t> bytes, PrinterModel& printer) override;
  void OnConnect() override { pending_keys_.clear(); }

 private:
  void ListKeys(std::span<const uint8_t> params, PrinterModel& printer);
  void SendKeyBlock(PrinterModel& printer);
  void Handshake(uint8_t byte, PrinterModel& printer);

  // Key codes of the list exchange under way not sent yet; empty when no exchange waits for an
  // ACK or CAN. The list is taken when the host asks for it, so a change in between does not
  // tear it.
  std::vector<NvKeyCode> pending_keys_;
};

}  // namespace sim
