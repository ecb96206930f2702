#include "platform/image/row_reader.h"

#include <algorithm>

namespace platform {
namespace {

// About this much is read at a time: few calls, and the rows stay in the cache until they are
// used.
constexpr size_t kReadSize = size_t{128} << 10;

}  // namespace

RowReader::RowReader(ByteSource& source, size_t stride, size_t needed, int rows)
    : source_(source),
      stride_(stride),
      needed_(needed),
      rows_left_(rows),
      buffer_(std::clamp<size_t>(kReadSize / stride, 1, static_cast<size_t>(std::max(rows, 1))) *
              stride) {}

const uint8_t* RowReader::Next() {
  if (rows_left_ <= 0) return nullptr;
  if (valid_ - start_ < stride_ && !stopped_) Refill();
  const size_t have = std::min(valid_ - start_, stride_);
  if (have < stride_ && (failed_ || have < needed_)) return nullptr;
  const uint8_t* row = buffer_.data() + start_;
  start_ += have;
  --rows_left_;
  return row;
}

void RowReader::Refill() {
  // Whole rows, up to the last one: until the source stops, every read ends on a row's end.
  start_ = 0;
  valid_ = 0;
  const size_t wanted = static_cast<size_t>(
      std::min<uint64_t>(buffer_.size(), static_cast<uint64_t>(rows_left_) * stride_));
  while (valid_ < wanted) {
    const long got = source_.Read(buffer_.data() + valid_, wanted - valid_);
    if (got <= 0) {
      stopped_ = true;
      failed_ = got < 0;
      return;
    }
    valid_ += static_cast<size_t>(got);
  }
}

}  // namespace platform
