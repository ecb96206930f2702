#include "nvimage/raster.h"

#include <algorithm>
#include <iterator>

#include "platform/image/row_stretch.h"

namespace nv {
namespace {

// A pixel stays white only when all three components are at least this light.
constexpr uint8_t kWhiteFrom = 226;

// Thinning order of the 4 x 4 cell, by [x % 4][y % 4]: a position whose value is below the
// brightness level is left white.
constexpr uint8_t kPattern[4][4] = {
    {16, 8, 14, 6},
    {12, 4, 10, 2},
    {13, 5, 15, 7},
    {9, 1, 11, 3},
};

uint32_t RowBytes(uint32_t width) { return (width + 7) / 8; }

}  // namespace

ScaledSize ScaleToPrintable(uint32_t width, uint32_t height) {
  if (width == 0) return {};
  const uint32_t w = std::min<uint32_t>(width, kPrintableWidth);
  return {w, static_cast<uint32_t>(uint64_t{height} * w / width)};
}

uint64_t RasterBytes(ScaledSize size) { return uint64_t{RowBytes(size.width)} * size.height; }

uint32_t EstimatedSize(uint32_t width, uint32_t height) {
  const uint64_t size = uint64_t{RowBytes(std::min<uint32_t>(width, kPrintableWidth))} * height;
  return static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX));
}

uint32_t MaxRows(uint32_t width) {
  if (width == 0) return 0;
  const uint32_t by_bytes = (kMaxDefineParameters - kDefineHeaderParameters) / RowBytes(width);
  return std::min(by_bytes, kMaxDefineRows);
}

std::string StorageRefusal(uint32_t width, uint32_t height) {
  const ScaledSize s = ScaleToPrintable(width, height);
  if (s.width == 0 || s.height == 0) {
    return "scaled to " + std::to_string(s.width) + " x " + std::to_string(s.height) +
           " dots it has no rows to print";
  }
  if (s.height > MaxRows(s.width)) {
    return "scaled to " + std::to_string(s.width) + " dots wide it is " + std::to_string(s.height) +
           " dots high; one image holds at most " + std::to_string(MaxRows(s.width)) + " rows at " +
           std::to_string(s.width) + " dots";
  }
  return {};
}

std::string AreaRefusal(uint32_t estimated_size, uint32_t capacity) {
  if (estimated_size <= capacity) return {};
  return "counted as " + std::to_string(estimated_size) +
         " bytes it does not fit the printer's NV image area (" + std::to_string(capacity) +
         " bytes)";
}

bool PatternAllows(int brightness, uint32_t x, uint32_t y) {
  if (brightness <= 0) return true;
  // Level L = B * 16 / 100 and "value below L" is, in integers, 25 * value < 4 * B.
  return 25 * kPattern[x % 4][y % 4] >= 4 * brightness;
}

bool ConvertRows(platform::BmpDecoder& bmp, int brightness, Raster* raster, std::string* reason) {
  const ScaledSize s =
      ScaleToPrintable(static_cast<uint32_t>(bmp.width()), static_cast<uint32_t>(bmp.height()));
  const uint32_t row_bytes = RowBytes(s.width);
  raster->width = s.width;
  raster->height = s.height;
  raster->bytes.assign(static_cast<size_t>(RasterBytes(s)), 0);

  const bool complete = platform::StretchRows(
      bmp, static_cast<int>(s.width), static_cast<int>(s.height), [&](int y, const uint8_t* rgb) {
        uint8_t* out = raster->bytes.data() + static_cast<size_t>(y) * row_bytes;
        for (uint32_t x = 0; x < s.width; ++x) {
          const uint8_t* p = rgb + static_cast<size_t>(x) * 3;
          const bool dark = p[0] < kWhiteFrom || p[1] < kWhiteFrom || p[2] < kWhiteFrom;
          if (dark && PatternAllows(brightness, x, static_cast<uint32_t>(y))) {
            out[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
          }
        }
      });
  if (!complete) {
    *reason = bmp.error();
    return false;
  }
  return true;
}

std::vector<uint8_t> DefineCommand(uint8_t kc1, uint8_t kc2, const Raster& raster) {
  const auto parameters = static_cast<uint32_t>(kDefineHeaderParameters + raster.bytes.size());
  const uint8_t header[] = {
      0x1D,
      0x28,
      0x4C,  // GS ( L
      static_cast<uint8_t>(parameters & 0xFF),
      static_cast<uint8_t>(parameters >> 8),
      0x30,
      0x43,  // m, function 67: define raster graphics
      0x30,  // monochrome
      kc1,
      kc2,
      0x01,  // one colour
      static_cast<uint8_t>(raster.width & 0xFF),
      static_cast<uint8_t>(raster.width >> 8),
      static_cast<uint8_t>(raster.height & 0xFF),
      static_cast<uint8_t>(raster.height >> 8),
      0x31,  // colour 1
  };
  // Sized once, then filled (GCC 12 misreads an insert behind the header as an overflow).
  std::vector<uint8_t> command(sizeof header + raster.bytes.size());
  std::copy(std::begin(header), std::end(header), command.begin());
  std::copy(raster.bytes.begin(), raster.bytes.end(), command.begin() + sizeof header);
  return command;
}

}  // namespace nv
