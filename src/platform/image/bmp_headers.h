#pragma once

// The BMP decoder's insides: what the file's headers say about its pixel data, read and checked
// once so the row decoders can trust every field.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/byte_source.h"

namespace platform {

enum class BmpEncoding {
  kIndexed,    // 1, 2, 4 or 8 bits per pixel, each a palette index
  kRgb24,      // B, G, R bytes
  kBitFields,  // 16 or 32 bits per pixel, channels cut out by masks
  kRle8,
  kRle4,
};

struct BmpLayout {
  int width = 0;   // 1..kBmpMaxSide
  int height = 0;  // 1..kBmpMaxSide, the stored sign dropped
  bool top_down = false;
  int bits = 0;
  BmpEncoding encoding = BmpEncoding::kIndexed;
  // Red, green and blue masks (kBitFields only); each contiguous, possibly 0.
  std::array<uint32_t, 3> masks{};
  // For palette encodings exactly 2^bits colours, so any index is in range: entries the file does
  // not hold are black, as the original platform shows them.
  std::vector<std::array<uint8_t, 3>> palette;
  uint64_t data_offset = 0;  // where the pixel data starts (bfOffBits)
  uint64_t stride = 0;       // bytes per stored row, padding included (uncompressed encodings)
};

// Reads the file and info headers, the masks and the palette from the start of `source`; false
// with a one-line reason when the file is refused. Leaves the position unspecified.
bool ReadBmpLayout(ByteSource& source, BmpLayout* layout, std::string* reason);

// Reads until `length` bytes arrived or the source ends: the count read, or -1 on a read error.
long ReadAll(ByteSource& source, uint8_t* buffer, size_t length);

}  // namespace platform
