#pragma once

// The NV manager's preview of a chosen image: the colour picture, stretched to the preview
// area's scale and lightened by the brightness slider (not the one-bit raster it becomes).

#include <string>

#include "platform/image/rgb_image.h"

namespace nv {

// The preview area of `area_width` x `area_height` pixels: white with a one-pixel black border,
// and, when `path` names a loadable BMP, the picture in its top-left corner. Files narrower than
// the area are drawn at the printable width's scale (area width x file width / 384); wider files
// fill the width. Each component is raised by slider * 255 / 100 (0..100), at most 255. A file
// that does not load leaves only the white area.
platform::RgbImage RenderPreview(const std::string* path, int area_width, int area_height,
                                 int slider);

}  // namespace nv
