#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace sim {

// Writes `raster` as a black-on-white 1-bit greyscale PNG file. The raster is `height` rows of
// ceil(width / 8) bytes, most significant bit the leftmost dot, a set bit black: the printer's own
// layout. The file is written beside `path` and renamed over it, so a viewer never sees half an
// image. False with a message when the sizes do not fit or the file cannot be written.
bool WriteRasterPng(const std::string& path, uint32_t width, uint32_t height,
                    std::span<const uint8_t> raster, std::string* error);

}  // namespace sim
