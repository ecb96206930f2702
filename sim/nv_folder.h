#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/printer_model.h"

namespace sim {

// printer-sim's --nv-dir: the NV images as PNG files, so a person can see what the printer holds
// and what it printed.
//   nv-<kc1><kc2>.png  one per stored image, written on define and removed on delete; a key code
//                      character that is not a letter, digit, '-' or '_' is written as %XX
//   roll.png           the paper: every print stacked top to bottom, kRollWidth dots wide (wider
//                      images are cut like on paper), kRollGapRows blank rows between prints.
//                      Past kMaxRollRows rows the printing goes on in roll-2.png, roll-3.png...
class NvFolder {
 public:
  static constexpr uint32_t kRollWidth = 384;
  static constexpr uint32_t kRollGapRows = 24;
  static constexpr uint32_t kMaxRollRows = 20000;

  explicit NvFolder(std::string dir) : dir_(std::move(dir)) {}

  // Acts on one event of the model's NvSink. False with a message when a file could not be
  // written or removed; the folder stays usable.
  bool OnEvent(const NvEvent& event, std::string* error);

  std::string ImagePath(NvKeyCode key) const;
  std::string RollPath() const;

 private:
  bool Print(const NvImage& image, std::string* error);

  std::string dir_;
  uint32_t roll_number_ = 1;
  uint32_t roll_rows_ = 0;
  std::vector<uint8_t> roll_;  // roll_rows_ rows of kRollWidth / 8 bytes
};

}  // namespace sim
