#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// An RGB picture: width x height pixels, 3 bytes each (R, G, B), rows top to bottom.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

}  // namespace platform
