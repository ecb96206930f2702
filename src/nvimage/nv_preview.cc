#include "nvimage/nv_preview.h"

#include <algorithm>

#include "nvimage/raster.h"
#include "platform/image/bmp_decoder.h"
#include "platform/image/row_stretch.h"

namespace nv {
namespace {

void FillFramed(platform::RgbImage* image) {
  std::fill(image->rgb.begin(), image->rgb.end(), 0xFF);
  for (int y = 0; y < image->height; ++y) {
    for (int x = 0; x < image->width; ++x) {
      if (y == 0 || x == 0 || y == image->height - 1 || x == image->width - 1) {
        std::fill_n(image->rgb.begin() + (static_cast<long>(y) * image->width + x) * 3, 3, 0);
      }
    }
  }
}

}  // namespace

platform::RgbImage RenderPreview(const std::string* path, int area_width, int area_height,
                                 int slider) {
  platform::RgbImage image;
  image.width = std::max(area_width, 0);
  image.height = std::max(area_height, 0);
  image.rgb.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3, 0);
  FillFramed(&image);
  if (path == nullptr || image.width == 0) return image;

  std::string reason;
  auto bmp = platform::BmpDecoder::OpenFile(*path, &reason);
  if (!bmp) return image;
  const int64_t file_w = bmp->width();
  const int64_t file_h = bmp->height();
  const int64_t pw =
      file_w < image.width
          ? static_cast<int64_t>(image.width * static_cast<double>(file_w) / kPrintableWidth)
          : image.width;
  const int64_t ph = file_h * pw / file_w;
  const int lift = static_cast<int>(std::clamp(slider, 0, 100) * 255.0 / 100.0);

  // Drawn into a copy so that a file that breaks off half-way leaves the empty area.
  platform::RgbImage drawn = image;
  const bool complete = platform::StretchRows(
      *bmp, static_cast<int>(pw), static_cast<int>(std::min<int64_t>(ph, INT32_MAX)),
      [&](int y, const uint8_t* rgb) {
        if (y >= drawn.height) return;
        const int cols = static_cast<int>(std::min<int64_t>(pw, drawn.width));
        uint8_t* out = drawn.rgb.data() + static_cast<size_t>(y) * drawn.width * 3;
        for (int i = 0; i < cols * 3; ++i)
          out[i] = static_cast<uint8_t>(std::min(rgb[i] + lift, 255));
      });
  if (!complete) return image;
  return drawn;
}

}  // namespace nv
