#pragma once

// Small 24-bit bottom-up BMP files for the NV engine's tests.

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace nv_test {

struct Rgb {
  uint8_t r, g, b;
};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

// Writes a width x height picture whose pixel (x, y), y from the top, is `pixel(x, y)`.
inline void WriteBmp(const std::string& path, int width, int height,
                     const std::function<Rgb(int x, int y)>& pixel) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t data = stride * static_cast<uint32_t>(height);
  std::vector<uint8_t> f;
  auto u16 = [&](uint32_t v) {
    f.push_back(v & 0xFF);
    f.push_back((v >> 8) & 0xFF);
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  f.push_back('B');
  f.push_back('M');
  u32(54 + data), u32(0), u32(54);
  u32(40), u32(static_cast<uint32_t>(width)), u32(static_cast<uint32_t>(height)), u16(1), u16(24);
  u32(0), u32(data), u32(2835), u32(2835), u32(0), u32(0);
  for (int y = height - 1; y >= 0; --y) {
    const size_t start = f.size();
    for (int x = 0; x < width; ++x) {
      const Rgb p = pixel(x, y);
      f.push_back(p.b), f.push_back(p.g), f.push_back(p.r);
    }
    f.resize(start + stride, 0);
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
}

inline void WriteFilled(const std::string& path, int width, int height, Rgb colour) {
  WriteBmp(path, width, height, [colour](int, int) { return colour; });
}

}  // namespace nv_test
