#pragma once

// Resampling of a picture whose rows arrive one at a time, the way bitmaps are stretched here:
// where several source pixels fall on one target pixel their colours are combined with a bitwise
// AND (so dark pixels survive a shrink); where the target is larger, source pixels repeat.
//
// Source column x lands on target column x * dst_w / src_w when shrinking; when enlarging, target
// column t shows source column t * src_w / dst_w. Rows likewise. Because AND does not care about
// order, source rows may come bottom-up or top-down: they only have to come in one direction, as
// a decoder hands them out. Only one target row is held at a time (plus the rows an enlargement
// repeats), never the picture.

#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

class RowStretcher {
 public:
  // Receives each finished target row once: its number from the top and dst_w * 3 RGB bytes.
  using RowSink = std::function<void(int y, const uint8_t* rgb)>;

  // All sizes at least 0; a target with no rows or columns receives nothing.
  RowStretcher(int src_w, int src_h, int dst_w, int dst_h, RowSink sink);

  // Source row `y` (0 = top), src_w * 3 RGB bytes. Rows must come in one direction.
  void AddRow(int y, const uint8_t* rgb);
  // Hands out the target row still being combined. Call once after the last source row.
  void Finish();

 private:
  void ScaleColumns(const uint8_t* rgb);
  void Emit(int target_y, const uint8_t* rgb);

  int src_w_, src_h_, dst_w_, dst_h_;
  RowSink sink_;
  std::vector<uint8_t> scaled_;    // the current source row at the target width
  std::vector<uint8_t> combined_;  // AND of the source rows of the open target row
  int open_row_ = -1;              // target row being combined (shrinking), -1 when none
};

}  // namespace platform
