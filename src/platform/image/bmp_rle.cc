#include "platform/image/bmp_rle.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace platform {
namespace {

// Runs and escapes of the BMP RLE stream, decoded straight into the row being handed out. Rows
// are stored bottom-up. Whatever the stream skips (a delta, an early end of line or of bitmap)
// stays white, so a skipped row still comes out once, all white. Runs past the right edge are
// cut there: the stream can never write outside the row.
class RleDecoder : public BmpDecoder {
 public:
  RleDecoder(std::unique_ptr<ByteSource> source, BmpLayout layout)
      : BmpDecoder(layout.width, layout.height),
        source_(std::move(source)),
        layout_(std::move(layout)),
        nibbles_(layout_.encoding == BmpEncoding::kRle4),
        chunk_(kChunkSize),
        rgb_(static_cast<size_t>(width_) * 3) {}

  bool NextRow(int* y, const uint8_t** rgb) override {
    if (done_ >= height_ || !error_.empty()) return false;
    const int row = height_ - 1 - done_;
    std::fill(rgb_.begin(), rgb_.end(), uint8_t{255});
    if (blank_rows_ > 0) {
      --blank_rows_;
    } else if (!ended_ && !DecodeRow(row)) {
      return false;
    }
    ++done_;
    *y = row;
    *rgb = rgb_.data();
    return true;
  }

 private:
  static constexpr size_t kChunkSize = 4096;

  // Reads commands until this row is complete: end of line, end of bitmap, or a delta that
  // leaves it.
  bool DecodeRow(int row) {
    int x = resume_x_;
    resume_x_ = 0;
    for (;;) {
      uint8_t first, second;
      if (!Next(&first) || !Next(&second)) return Fail(row);
      if (first > 0) {  // a run: `first` pixels of the colour(s) in `second`
        const uint8_t colours[2] = {static_cast<uint8_t>(nibbles_ ? second >> 4 : second),
                                    static_cast<uint8_t>(nibbles_ ? second & 0x0F : second)};
        for (int i = 0; i < first && x < width_; ++i, ++x) Put(x, colours[i & 1]);
        continue;
      }
      switch (second) {
        case 0:  // end of line
          return true;
        case 1:  // end of bitmap: the rest stays white
          ended_ = true;
          return true;
        case 2: {  // delta: right by dx, up by dy
          uint8_t dx, dy;
          if (!Next(&dx) || !Next(&dy)) return Fail(row);
          x = std::min(x + dx, width_);
          if (dy == 0) break;
          blank_rows_ = dy - 1;  // rows passed over entirely
          resume_x_ = x;
          return true;
        }
        default:  // absolute: `second` literal pixels, padded to a 16-bit boundary
          if (!Absolute(second, &x)) return Fail(row);
          break;
      }
    }
  }

  bool Absolute(int count, int* x) {
    const int bytes = nibbles_ ? (count + 1) / 2 : count;
    uint8_t byte = 0;
    for (int i = 0; i < count; ++i) {
      uint8_t index;
      if (nibbles_) {
        if (i % 2 == 0 && !Next(&byte)) return false;
        index = i % 2 == 0 ? byte >> 4 : byte & 0x0F;
      } else {
        if (!Next(&index)) return false;
      }
      if (*x < width_) Put((*x)++, index);
    }
    return bytes % 2 == 0 || Next(&byte);
  }

  // The palette holds 2^bits colours, so every index is in range.
  void Put(int x, uint8_t index) {
    std::copy_n(layout_.palette[index].data(), 3, rgb_.data() + 3 * x);
  }

  bool Fail(int row) {
    error_ = (read_failed_ ? "cannot read row " : "file ends inside row ") + std::to_string(row);
    return false;
  }

  // The next byte of the stream, read through a small buffer.
  bool Next(uint8_t* byte) {
    if (chunk_at_ == chunk_length_) {
      const long got = source_->Read(chunk_.data(), chunk_.size());
      if (got <= 0) {
        read_failed_ = got < 0;
        return false;
      }
      chunk_length_ = static_cast<size_t>(got);
      chunk_at_ = 0;
    }
    *byte = chunk_[chunk_at_++];
    return true;
  }

  std::unique_ptr<ByteSource> source_;
  BmpLayout layout_;
  bool nibbles_;  // RLE4
  std::vector<uint8_t> chunk_;
  size_t chunk_at_ = 0;
  size_t chunk_length_ = 0;
  bool read_failed_ = false;
  std::vector<uint8_t> rgb_;
  int done_ = 0;        // rows handed out
  int blank_rows_ = 0;  // rows a delta passed over, still to hand out
  int resume_x_ = 0;    // where a delta left the next row
  bool ended_ = false;  // end of bitmap seen
};

}  // namespace

std::unique_ptr<BmpDecoder> MakeRleDecoder(std::unique_ptr<ByteSource> source, BmpLayout layout) {
  return std::make_unique<RleDecoder>(std::move(source), std::move(layout));
}

}  // namespace platform
