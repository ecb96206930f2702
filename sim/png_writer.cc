#include "sim/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace sim {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// PNG caps width and height at 2^31 - 1; the printer's images are far smaller, but the roll is
// sized by its caller.
constexpr uint32_t kMaxPngSide = 0x7FFFFFFF;

void OnPngError(png_structp png, png_const_charp message) {
  auto* text = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(text, 128, "%s", message);
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports a failure by longjmp back into this function, which would skip any C++
// destructor between here and the error; so only plain pointers live here and the caller owns the
// file and the rows. `message` holds 128 characters.
bool Encode(std::FILE* file, uint32_t width, uint32_t height, png_bytepp rows, char* message) {
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, message, OnPngError, OnPngWarning);
  if (png == nullptr) {
    std::snprintf(message, 128, "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    if (info == nullptr) std::snprintf(message, 128, "out of memory");
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // A grey PNG's 0 bit is black; the printer's is white.
  png_set_invert_mono(png);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

bool WriteRasterPng(const std::string& path, uint32_t width, uint32_t height,
                    std::span<const uint8_t> raster, std::string* error) {
  const size_t row_bytes = (static_cast<size_t>(width) + 7) / 8;
  if (width == 0 || height == 0 || width > kMaxPngSide || height > kMaxPngSide ||
      raster.size() / row_bytes < height) {
    return Fail(error, path + ": raster does not fit " + std::to_string(width) + " x " +
                           std::to_string(height));
  }
  // libpng takes rows as non-const pointers but copies each row before inverting it, so the
  // raster is never written to.
  std::vector<png_bytep> rows(height);
  for (uint32_t y = 0; y < height; ++y) {
    rows[y] = const_cast<png_bytep>(raster.data() + y * row_bytes);
  }
  const std::string temp = path + ".tmp";
  UniqueFile file(std::fopen(temp.c_str(), "wb"));
  if (!file) return Fail(error, "cannot write " + temp + ": " + std::strerror(errno));
  char message[128] = "";
  bool ok = Encode(file.get(), width, height, rows.data(), message);
  if (ok && std::fflush(file.get()) != 0) {
    ok = false;
    std::snprintf(message, sizeof message, "%s", std::strerror(errno));
  }
  if (std::fclose(file.release()) != 0 && ok) {
    ok = false;
    std::snprintf(message, sizeof message, "%s", std::strerror(errno));
  }
  if (!ok) {
    std::remove(temp.c_str());
    return Fail(error, "cannot write " + path + ": " + message);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temp.c_str());
    return Fail(error, "cannot replace " + path + ": " + reason);
  }
  return true;
}

}  // namespace sim
