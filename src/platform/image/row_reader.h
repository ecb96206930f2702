#pragma once

// The stored rows of an uncompressed bitmap, read many rows per call so that a large file costs
// few system calls, and handed out in place, never copied.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/image/byte_source.h"

namespace platform {

class RowReader {
 public:
  // `rows` rows of `stride` bytes each, padding included, of which the first `needed` carry
  // pixels; `source` stands at the first row and outlives the reader.
  RowReader(ByteSource& source, size_t stride, size_t needed, int rows);

  // The next row: at least `needed` bytes (the last row of a file may lack its padding), valid
  // until the next call. nullptr when the source ends or fails inside the row; failed() says
  // which. Call at most `rows` times.
  const uint8_t* Next();
  bool failed() const { return failed_; }

 private:
  void Refill();

  ByteSource& source_;
  size_t stride_;
  size_t needed_;
  int rows_left_;
  std::vector<uint8_t> buffer_;  // room for whole rows
  size_t start_ = 0;             // where the next row starts in buffer_
  size_t valid_ = 0;             // bytes of buffer_ read
  bool stopped_ = false;         // the source ended or failed
  bool failed_ = false;
};

}  // namespace platform
