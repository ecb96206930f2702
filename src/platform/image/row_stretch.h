#pragma once

// Resampling of a decoded bitmap, the way bitmaps are stretched here: where several source pixels
// fall on one target pixel their colours are combined with a bitwise AND (so dark pixels survive a
// shrink); where the target is larger, source pixels repeat.
//
// Source column x lands on target column x * dst_w / src_w when shrinking; when enlarging, target
// column t shows source column t * src_w / dst_w. Rows likewise. Because AND does not care about
// order, source rows may come bottom-up or top-down, as the decoder hands them out. Only one
// target row is held at a time, never the picture. A shrink ANDs the decoder's raw rows as they
// come and turns each target row into RGB once, so a large picture costs little more than reading
// its file.

#include <cstdint>
#include <functional>

#include "platform/image/bmp_decoder.h"

namespace platform {

// Receives each finished target row once: its number from the top and dst_w * 3 RGB bytes.
using RowSink = std::function<void(int y, const uint8_t* rgb)>;

// Reads every row of `bmp` and hands each row of its dst_w x dst_h resampling to `sink`. A target
// with no rows or columns receives nothing. False when the decoder stops on a damaged file
// (bmp.error() says why); the target rows completed before that have been handed out.
bool StretchRows(BmpDecoder& bmp, int dst_w, int dst_h, const RowSink& sink);

}  // namespace platform
