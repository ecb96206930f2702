#pragma once

// The BMP decoder's RLE4 and RLE8 rows.

#include <memory>

#include "platform/image/bmp_decoder.h"
#include "platform/image/bmp_headers.h"

namespace platform {

// A decoder over the compressed stream of an RLE4 or RLE8 `layout`; `source` stands at the
// start of the pixel data.
std::unique_ptr<BmpDecoder> MakeRleDecoder(std::unique_ptr<ByteSource> source, BmpLayout layout);

}  // namespace platform
