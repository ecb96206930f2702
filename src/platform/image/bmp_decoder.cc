#include "platform/image/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "platform/image/bmp_headers.h"
#include "platform/image/bmp_rle.h"
#include "platform/image/row_reader.h"

namespace platform {
namespace {

// One channel of a bit-field pixel scaled to 8 bits. Narrower channels repeat their bits
// downwards (5 bits abcde -> abcdeabc), so full scale stays full scale; wider ones keep their top
// 8 bits. Either way each output bit copies one input bit, so the AND of two pixels scales to the
// AND of their scaled channels (what lets a shrink combine raw rows).
class ChannelScale {
 public:
  explicit ChannelScale(uint32_t mask) {
    if (mask == 0) return;  // an absent channel reads as 0
    shift_ = std::countr_zero(mask);
    const uint32_t values = mask >> shift_;
    width_ = std::popcount(values);
    max_ = values;
    if (width_ > 8) return;
    for (uint32_t v = 0; v <= values; ++v) {
      uint32_t scaled = 0;
      for (int filled = 0; filled < 8; filled += width_) scaled = scaled << width_ | v;
      table_[v] = static_cast<uint8_t>(scaled >> (((8 + width_ - 1) / width_) * width_ - 8));
    }
  }

  uint8_t operator()(uint32_t pixel) const {
    if (width_ == 0) return 0;
    const uint32_t value = (pixel >> shift_) & max_;
    return width_ > 8 ? static_cast<uint8_t>(value >> (width_ - 8)) : table_[value];
  }

 private:
  int shift_ = 0;
  int width_ = 0;
  uint32_t max_ = 0;
  std::array<uint8_t, 256> table_{};
};

// Uncompressed rows, read many at a time. Deep pixels (16, 24, 32 bits) go out raw as stored and
// turn into RGB only when asked; palette indices turn into RGB as each row is read.
class PlainDecoder : public BmpDecoder {
 public:
  PlainDecoder(std::unique_ptr<ByteSource> source, BmpLayout layout)
      : BmpDecoder(layout.width, layout.height),
        source_(std::move(source)),
        layout_(std::move(layout)),
        red_(layout_.masks[0]),
        green_(layout_.masks[1]),
        blue_(layout_.masks[2]),
        pixel_bytes_(static_cast<size_t>((static_cast<uint64_t>(width_) * layout_.bits + 7) / 8)),
        rows_(*source_, static_cast<size_t>(layout_.stride), pixel_bytes_, height_),
        rgb_(static_cast<size_t>(width_) * 3) {}

  bool NextRow(int* y, const uint8_t** rgb) override {
    const uint8_t* stored = NextStored(y);
    if (stored == nullptr) return false;
    if (layout_.encoding == BmpEncoding::kIndexed) {
      Unpalette(stored);
    } else {
      RawToRgb(stored, rgb_.data());
    }
    *rgb = rgb_.data();
    return true;
  }

  bool NextRawRow(int* y, const uint8_t** bytes) override {
    if (layout_.encoding == BmpEncoding::kIndexed) return NextRow(y, bytes);
    const uint8_t* stored = NextStored(y);
    if (stored == nullptr) return false;
    *bytes = stored;
    return true;
  }

  size_t raw_row_size() const override {
    return layout_.encoding == BmpEncoding::kIndexed ? BmpDecoder::raw_row_size() : pixel_bytes_;
  }

  void RawToRgb(const uint8_t* in, uint8_t* out) const override {
    switch (layout_.encoding) {
      case BmpEncoding::kRgb24:
        for (int x = 0; x < width_; ++x) {
          out[3 * x] = in[3 * x + 2];
          out[3 * x + 1] = in[3 * x + 1];
          out[3 * x + 2] = in[3 * x];
        }
        break;
      case BmpEncoding::kBitFields:
        for (int x = 0; x < width_; ++x) {
          uint32_t pixel;
          if (layout_.bits == 16) {
            pixel = static_cast<uint32_t>(in[2 * x] | in[2 * x + 1] << 8);
          } else {
            const uint8_t* p = in + 4 * x;
            pixel = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                    static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
          }
          out[3 * x] = red_(pixel);
          out[3 * x + 1] = green_(pixel);
          out[3 * x + 2] = blue_(pixel);
        }
        break;
      case BmpEncoding::kIndexed:  // raw rows are RGB already
        BmpDecoder::RawToRgb(in, out);
        break;
      case BmpEncoding::kRle8:
      case BmpEncoding::kRle4:
        break;  // never here: Open hands these to the RLE decoder
    }
  }

 private:
  // The next stored row, numbered; nullptr with error_ set when the file breaks off inside it.
  const uint8_t* NextStored(int* y) {
    if (done_ >= height_ || !error_.empty()) return nullptr;
    const int row = layout_.top_down ? done_ : height_ - 1 - done_;
    const uint8_t* stored = rows_.Next();
    if (stored == nullptr) {
      error_ =
          (rows_.failed() ? "cannot read row " : "file ends inside row ") + std::to_string(row);
      return nullptr;
    }
    ++done_;
    *y = row;
    return stored;
  }

  void Unpalette(const uint8_t* in) {
    const int bits = layout_.bits;
    const unsigned index_mask = (1u << bits) - 1;
    const std::array<uint8_t, 3>* palette = layout_.palette.data();  // 2^bits entries
    uint8_t* out = rgb_.data();
    for (int x = 0; x < width_; ++x) {
      const int bit = x * bits;
      const unsigned index = (in[bit / 8] >> (8 - bits - bit % 8)) & index_mask;
      std::copy_n(palette[index].data(), 3, out + 3 * x);
    }
  }

  std::unique_ptr<ByteSource> source_;
  BmpLayout layout_;
  ChannelScale red_;
  ChannelScale green_;
  ChannelScale blue_;
  size_t pixel_bytes_;  // the bytes of a stored row that carry pixels
  RowReader rows_;
  std::vector<uint8_t> rgb_;
  int done_ = 0;  // rows handed out
};

}  // namespace

std::unique_ptr<BmpDecoder> BmpDecoder::Open(std::unique_ptr<ByteSource> source,
                                             std::string* reason) {
  std::string local_reason;
  if (reason == nullptr) reason = &local_reason;
  if (source == nullptr) {
    *reason = "no file";
    return nullptr;
  }
  BmpLayout layout;
  if (!ReadBmpLayout(*source, &layout, reason)) return nullptr;
  if (!source->Seek(layout.data_offset)) {
    *reason = "cannot find the pixel data";
    return nullptr;
  }
  if (layout.encoding == BmpEncoding::kRle8 || layout.encoding == BmpEncoding::kRle4) {
    return MakeRleDecoder(std::move(source), std::move(layout));
  }
  return std::make_unique<PlainDecoder>(std::move(source), std::move(layout));
}

std::unique_ptr<BmpDecoder> BmpDecoder::OpenFile(const std::string& path, std::string* reason) {
  std::string local_reason;
  if (reason == nullptr) reason = &local_reason;
  std::unique_ptr<ByteSource> source = OpenFileSource(path, reason);
  if (source == nullptr) return nullptr;
  return Open(std::move(source), reason);
}

void BmpDecoder::RawToRgb(const uint8_t* bytes, uint8_t* rgb) const {
  std::memcpy(rgb, bytes, static_cast<size_t>(width_) * 3);
}

bool DecodeBmp(std::unique_ptr<ByteSource> source, RgbImage* image, std::string* reason) {
  std::string local_reason;
  if (reason == nullptr) reason = &local_reason;
  std::unique_ptr<BmpDecoder> bmp = BmpDecoder::Open(std::move(source), reason);
  if (bmp == nullptr) return false;
  const size_t row_bytes = static_cast<size_t>(bmp->width()) * 3;
  std::vector<uint8_t> pixels(row_bytes * static_cast<size_t>(bmp->height()));
  int y;
  const uint8_t* rgb;
  while (bmp->NextRow(&y, &rgb)) {
    std::copy_n(rgb, row_bytes, pixels.begin() + static_cast<std::ptrdiff_t>(y * row_bytes));
  }
  if (!bmp->error().empty()) {
    *reason = bmp->error();
    return false;
  }
  image->width = bmp->width();
  image->height = bmp->height();
  image->rgb = std::move(pixels);
  return true;
}

}  // namespace platform
