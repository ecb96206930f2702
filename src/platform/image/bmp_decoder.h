#pragma once

// Our BMP decoder: the bitmap loader the NV engine and the preview rely on. It reads through a
// ByteSource and hands out one row at a time, so a large file is never held whole; every pixel ends
// as 8-bit R, G, B whatever the file's depth.
//
// Accepted: BITMAPCOREHEADER (OS/2 1.x, 12 bytes), OS/2 2.x (16..64 bytes), BITMAPINFOHEADER and
// its V2/V3/V4/V5 successors; 1, 2, 4, 8 bits per pixel with a palette; 16, 24, 32 bits per pixel;
// BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS and BI_ALPHABITFIELDS with any contiguous masks; bottom-up
// and top-down rows. Pixels that an RLE stream skips (delta, early end of line or of bitmap) are
// white; palette indices past the colours a file stores are black. Pixel data starts where the
// file header's offset says. Everything else is refused with one short reason ("width 0",
// "unsupported compression 4 (JPEG)", "file ends inside row 17", ...).
//
//   std::string reason;
//   auto bmp = platform::BmpDecoder::OpenFile(path, &reason);
//   if (!bmp) return Refuse(path + ": " + reason);  // the reason does not name the file
//   int y; const uint8_t* rgb;
//   while (bmp->NextRow(&y, &rgb)) Use(y, rgb, bmp->width());
//   if (!bmp->error().empty()) return Refuse(bmp->error());

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/image/byte_source.h"
#include "platform/image/rgb_image.h"

namespace platform {

// Largest picture accepted: each side, and the pixel count (checked before anything is allocated).
inline constexpr int kBmpMaxSide = 30000;
inline constexpr uint64_t kBmpMaxPixels = uint64_t{1} << 26;

class BmpDecoder {
 public:
  virtual ~BmpDecoder() = default;

  // Reads and checks the headers and the palette; nullptr and a one-line reason when the file
  // is refused.
  static std::unique_ptr<BmpDecoder> Open(std::unique_ptr<ByteSource> source, std::string* reason);
  static std::unique_ptr<BmpDecoder> OpenFile(const std::string& path, std::string* reason);

  int width() const { return width_; }
  int height() const { return height_; }

  // The next row in the order the file stores them (bottom-up files from the bottom row, top-down
  // files from the top row): `y` its number counted from the top (0 = top row), `rgb` width * 3
  // bytes valid until the next call. Every row comes exactly once. False after the last row, or
  // when the file turns out damaged; error() then says why (empty after the last row).
  virtual bool NextRow(int* y, const uint8_t** rgb) = 0;
  const std::string& error() const { return error_; }

  // The same rows before their turn into RGB, for callers that AND many rows together and look
  // at the result only (the shrink). `bytes` holds raw_row_size() bytes, valid until the next
  // call; RawToRgb turns such a row, or the AND of several, into width * 3 RGB bytes. Where each
  // RGB bit is a copy of one stored bit or 0 (16, 24 and 32 bits per pixel) the raw row is the
  // stored one, so RawToRgb(a & b) == RawToRgb(a) & RawToRgb(b) and the AND can come first;
  // elsewhere it is the RGB row and RawToRgb copies. Rows, order and errors as NextRow; a caller
  // uses one or the other.
  virtual bool NextRawRow(int* y, const uint8_t** bytes) { return NextRow(y, bytes); }
  virtual size_t raw_row_size() const { return static_cast<size_t>(width_) * 3; }
  virtual void RawToRgb(const uint8_t* bytes, uint8_t* rgb) const;

 protected:
  BmpDecoder(int width, int height) : width_(width), height_(height) {}
  int width_;
  int height_;
  std::string error_;
};

// The whole picture at once (tests and small files); false with the reason when refused.
bool DecodeBmp(std::unique_ptr<ByteSource> source, RgbImage* image, std::string* reason);

}  // namespace platform
