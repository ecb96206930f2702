#include "sim/nv_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/png_writer.h"

namespace sim {
namespace {

constexpr size_t kRollRowBytes = NvFolder::kRollWidth / 8;

bool SafeInFileName(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

}  // namespace

std::string NvFolder::ImagePath(NvKeyCode key) const {
  std::string name;
  for (uint8_t c : key) {
    if (SafeInFileName(c)) {
      name += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      name += hex;
    }
  }
  return dir_ + "/nv-" + name + ".png";
}

std::string NvFolder::RollPath() const {
  if (roll_number_ == 1) return dir_ + "/roll.png";
  return dir_ + "/roll-" + std::to_string(roll_number_) + ".png";
}

bool NvFolder::OnEvent(const NvEvent& event, std::string* error) {
  switch (event.kind) {
    case NvEvent::Kind::kDefined:
      return WriteRasterPng(ImagePath(event.key_code), event.image->width, event.image->height,
                            event.image->raster, error);
    case NvEvent::Kind::kDeleted: {
      const std::string path = ImagePath(event.key_code);
      if (std::remove(path.c_str()) == 0 || errno == ENOENT) return true;
      if (error) *error = "cannot remove " + path + ": " + std::strerror(errno);
      return false;
    }
    case NvEvent::Kind::kPrinted:
      return Print(*event.image, error);
  }
  return true;
}

bool NvFolder::Print(const NvImage& image, std::string* error) {
  uint32_t gap = roll_rows_ == 0 ? 0 : kRollGapRows;
  // The tallest print (2304 rows at double height) fits an empty roll many times over.
  if (roll_rows_ + gap + image.height > kMaxRollRows) {
    ++roll_number_;
    roll_rows_ = 0;
    roll_.clear();
    gap = 0;
  }
  // Dots past the paper's width, and the padding bits at the end of each image row, are not
  // printed.
  const uint32_t width = std::min<uint32_t>(image.width, kRollWidth);
  const size_t copy = NvImage::RowBytes(width);
  const uint8_t last_mask = width % 8 == 0 ? 0xFF : static_cast<uint8_t>(0xFF << (8 - width % 8));
  const size_t image_row = NvImage::RowBytes(image.width);
  roll_.resize((roll_rows_ + gap + image.height) * kRollRowBytes, 0);
  for (uint32_t y = 0; y < image.height; ++y) {
    uint8_t* dst = roll_.data() + (roll_rows_ + gap + y) * kRollRowBytes;
    std::copy_n(image.raster.data() + y * image_row, copy, dst);
    dst[copy - 1] &= last_mask;
  }
  roll_rows_ += gap + image.height;
  return WriteRasterPng(RollPath(), kRollWidth, roll_rows_, roll_, error);
}

}  // namespace sim
