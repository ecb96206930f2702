#pragma once

// BMP picture -> the printer's one-bit raster and the define command that stores it in NV memory.
// Pure functions over a decoder: no link, no list.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image/bmp_decoder.h"

namespace nv {

inline constexpr int kPrintableWidth = 384;
// The define command's 16-bit parameter length holds 11 header bytes plus the raster.
inline constexpr uint32_t kMaxDefineParameters = 65535;
inline constexpr uint32_t kDefineHeaderParameters = 11;

struct ScaledSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// The size a picture is printed at: at most the printable width, the height in proportion
// (rounded down); never enlarged.
ScaledSize ScaleToPrintable(uint32_t width, uint32_t height);
// The raster bytes of a scaled picture: ceil(width / 8) per row.
uint64_t RasterBytes(ScaledSize size);
// What the image list counts for a file: the row bytes at the printable width times the file's
// own height (larger than the raster for files wider than the printable width).
uint32_t EstimatedSize(uint32_t width, uint32_t height);
// The printer refuses a picture taller than this, however few bytes its rows take.
inline constexpr uint32_t kMaxDefineRows = 2304;
// Most rows one define command can carry at `width` dots (1365 at the printable width).
uint32_t MaxRows(uint32_t width);

// Why a picture of this size cannot be stored as one image, or empty when it can.
std::string StorageRefusal(uint32_t width, uint32_t height);
// Why an image the image list counts as `estimated_size` bytes (EstimatedSize) can never join
// it, even alone, in an NV image area of `capacity` bytes; empty when it can.
std::string AreaRefusal(uint32_t estimated_size, uint32_t capacity);

struct Raster {
  uint32_t width = 0;          // dots
  uint32_t height = 0;         // rows
  std::vector<uint8_t> bytes;  // rows top to bottom, leftmost dot in the high bit, 1 = black
};

// Whether the dot at (x, y) may print at this brightness (0..100): the 4 x 4 thinning pattern.
bool PatternAllows(int brightness, uint32_t x, uint32_t y);

// Reads every row of `bmp` and folds it into the scaled raster. False with the decoder's reason
// when the file turns out damaged; `raster` is then incomplete.
bool ConvertRows(platform::BmpDecoder& bmp, int brightness, Raster* raster, std::string* reason);

// The whole define command: the 16-byte header for key code kc1 kc2, then the raster. The
// caller has made sure the raster fits (StorageRefusal).
std::vector<uint8_t> DefineCommand(uint8_t kc1, uint8_t kc2, const Raster& raster);

}  // namespace nv
