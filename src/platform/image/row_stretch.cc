#include "platform/image/row_stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// acc[i] &= row[i] for n bytes. Whole 32-byte blocks of buffers that cannot overlap: the compiler
// turns that into vector instructions even where it vectorises only the cheapest loops (-O2).
void AndInto(uint8_t* __restrict acc, const uint8_t* __restrict row, size_t n) {
  constexpr size_t kBlock = 32;
  size_t i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    for (size_t k = 0; k < kBlock; ++k) acc[i + k] &= row[i + k];
  }
  for (; i < n; ++i) acc[i] &= row[i];
}

class Stretcher {
 public:
  Stretcher(BmpDecoder& bmp, int dst_w, int dst_h, const RowSink& sink)
      : bmp_(bmp),
        src_w_(bmp.width()),
        src_h_(bmp.height()),
        dst_w_(std::max(dst_w, 0)),
        dst_h_(std::max(dst_h, 0)),
        sink_(sink),
        columns_(static_cast<size_t>(dst_w_) + 1),
        scaled_(static_cast<size_t>(dst_w_) * 3) {}

  bool Run() {
    if (dst_w_ == 0 || dst_h_ == 0 || src_w_ <= 0 || src_h_ <= 0) return Drain();
    // Shrinking, target column t takes the source columns from columns_[t] up to columns_[t + 1]
    // (those x with x * dst_w / src_w == t); enlarging, it shows source column columns_[t].
    for (int64_t t = 0; t <= dst_w_; ++t) {
      columns_[static_cast<size_t>(t)] =
          static_cast<int>(dst_w_ <= src_w_ ? (t * src_w_ + dst_w_ - 1) / dst_w_
                                            : std::min<int64_t>(t * src_w_ / dst_w_, src_w_ - 1));
    }
    return dst_h_ <= src_h_ ? Shrink() : Enlarge();
  }

 private:
  // Reads the rows without using them: a damaged file still fails.
  bool Drain() {
    int y;
    const uint8_t* row;
    while (bmp_.NextRawRow(&y, &row)) {
    }
    return bmp_.error().empty();
  }

  // One or more source rows per target row: their raw rows are ANDed, and the result turned
  // into RGB and scaled across when the target row is complete.
  bool Shrink() {
    const size_t raw_size = bmp_.raw_row_size();
    std::vector<uint8_t> combined(raw_size);
    wide_.resize(static_cast<size_t>(src_w_) * 3);
    int open = -1;  // the target row being combined
    int y;
    const uint8_t* row;
    while (bmp_.NextRawRow(&y, &row)) {
      if (y < 0 || y >= src_h_) continue;
      const int target = static_cast<int>(static_cast<int64_t>(y) * dst_h_ / src_h_);
      if (target == open) {
        AndInto(combined.data(), row, raw_size);
        continue;
      }
      if (open >= 0) EmitRaw(open, combined.data());
      open = target;
      std::memcpy(combined.data(), row, raw_size);
    }
    if (!bmp_.error().empty()) return false;
    if (open >= 0) EmitRaw(open, combined.data());
    return true;
  }

  void EmitRaw(int target, const uint8_t* raw) {
    bmp_.RawToRgb(raw, wide_.data());
    ScaleColumns(wide_.data());
    sink_(target, scaled_.data());
  }

  // Each source row shows on the target rows t with t * src_h / dst_h == y.
  bool Enlarge() {
    int y;
    const uint8_t* rgb;
    while (bmp_.NextRow(&y, &rgb)) {
      if (y < 0 || y >= src_h_) continue;
      ScaleColumns(rgb);
      const int64_t first = (static_cast<int64_t>(y) * dst_h_ + src_h_ - 1) / src_h_;
      const int64_t end = (static_cast<int64_t>(y + 1) * dst_h_ + src_h_ - 1) / src_h_;
      for (int64_t t = first; t < end && t < dst_h_; ++t)
        sink_(static_cast<int>(t), scaled_.data());
    }
    return bmp_.error().empty();
  }

  // One source row (src_w * 3 RGB bytes) at the target width, into scaled_.
  void ScaleColumns(const uint8_t* rgb) {
    const int* columns = columns_.data();
    uint8_t* out = scaled_.data();
    if (dst_w_ > src_w_) {
      for (int t = 0; t < dst_w_; ++t) std::memcpy(out + 3 * t, rgb + 3 * columns[t], 3);
      return;
    }
    for (int t = 0; t < dst_w_; ++t) {
      uint8_t r = 0xFF, g = 0xFF, b = 0xFF;
      for (int x = columns[t]; x < columns[t + 1]; ++x) {
        r &= rgb[3 * x];
        g &= rgb[3 * x + 1];
        b &= rgb[3 * x + 2];
      }
      out[3 * t] = r;
      out[3 * t + 1] = g;
      out[3 * t + 2] = b;
    }
  }

  BmpDecoder& bmp_;
  int src_w_, src_h_, dst_w_, dst_h_;
  const RowSink& sink_;
  std::vector<int> columns_;
  std::vector<uint8_t> wide_;    // a combined row in RGB at the source width
  std::vector<uint8_t> scaled_;  // the target row being handed out
};

}  // namespace

bool StretchRows(BmpDecoder& bmp, int dst_w, int dst_h, const RowSink& sink) {
  return Stretcher(bmp, dst_w, dst_h, sink).Run();
}

}  // namespace platform
