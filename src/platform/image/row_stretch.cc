#include "platform/image/row_stretch.h"

#include <algorithm>

namespace platform {

RowStretcher::RowStretcher(int src_w, int src_h, int dst_w, int dst_h, RowSink sink)
    : src_w_(std::max(src_w, 0)),
      src_h_(std::max(src_h, 0)),
      dst_w_(std::max(dst_w, 0)),
      dst_h_(std::max(dst_h, 0)),
      sink_(std::move(sink)),
      scaled_(static_cast<size_t>(dst_w_) * 3),
      combined_(static_cast<size_t>(dst_w_) * 3) {}

void RowStretcher::ScaleColumns(const uint8_t* rgb) {
  if (dst_w_ <= src_w_) {
    std::fill(scaled_.begin(), scaled_.end(), 0xFF);
    for (int x = 0; x < src_w_; ++x) {
      const auto t = static_cast<size_t>(static_cast<int64_t>(x) * dst_w_ / src_w_);
      for (int c = 0; c < 3; ++c) scaled_[t * 3 + c] &= rgb[static_cast<size_t>(x) * 3 + c];
    }
  } else {
    for (int t = 0; t < dst_w_; ++t) {
      const auto x = static_cast<size_t>(static_cast<int64_t>(t) * src_w_ / dst_w_);
      std::copy_n(rgb + x * 3, 3, scaled_.begin() + static_cast<long>(t) * 3);
    }
  }
}

void RowStretcher::AddRow(int y, const uint8_t* rgb) {
  if (dst_w_ == 0 || dst_h_ == 0 || src_w_ == 0 || y < 0 || y >= src_h_) return;
  ScaleColumns(rgb);
  if (dst_h_ <= src_h_) {
    const int target = static_cast<int>(static_cast<int64_t>(y) * dst_h_ / src_h_);
    if (target != open_row_) {
      Finish();
      open_row_ = target;
      combined_ = scaled_;
    } else {
      for (size_t i = 0; i < combined_.size(); ++i) combined_[i] &= scaled_[i];
    }
    return;
  }
  // Enlarging: every target row t with t * src_h / dst_h == y shows this source row.
  const int64_t first = (static_cast<int64_t>(y) * dst_h_ + src_h_ - 1) / src_h_;
  const int64_t end = (static_cast<int64_t>(y + 1) * dst_h_ + src_h_ - 1) / src_h_;
  for (int64_t t = first; t < end && t < dst_h_; ++t) Emit(static_cast<int>(t), scaled_.data());
}

void RowStretcher::Finish() {
  if (open_row_ >= 0) Emit(open_row_, combined_.data());
  open_row_ = -1;
}

void RowStretcher::Emit(int target_y, const uint8_t* rgb) {
  if (sink_) sink_(target_y, rgb);
}

}  // namespace platform
