#include "platform/image/bmp_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "platform/image/row_stretch.h"
#include "temp_dir.h"

namespace platform {
namespace {

using Bytes = std::vector<uint8_t>;
using Rgb = std::array<uint8_t, 3>;

void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

struct Info {
  int32_t width;
  int32_t height;
  uint16_t bits;
  uint32_t compression = 0;
  uint32_t colours_used = 0;
  uint16_t planes = 1;
  bool core = false;  // the 12-byte OS/2 1.x header instead of the 40-byte one
};

// A BMP file: file header, info header, `table` (masks and palette), then `pixels`.
Bytes Bmp(const Info& info, const Bytes& table, const Bytes& pixels) {
  const uint32_t header_size = info.core ? 12 : 40;
  const uint32_t offset = 14 + header_size + static_cast<uint32_t>(table.size());
  Bytes out = {'B', 'M'};
  Put32(out, offset + static_cast<uint32_t>(pixels.size()));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, header_size);
  if (info.core) {
    Put16(out, static_cast<uint32_t>(info.width));
    Put16(out, static_cast<uint32_t>(info.height));
    Put16(out, info.planes);
    Put16(out, info.bits);
  } else {
    Put32(out, static_cast<uint32_t>(info.width));
    Put32(out, static_cast<uint32_t>(info.height));
    Put16(out, info.planes);
    Put16(out, info.bits);
    Put32(out, info.compression);
    for (int i = 0; i < 3; ++i) Put32(out, 0);  // image size, resolution
    Put32(out, info.colours_used);
    Put32(out, 0);
  }
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// Four palette colours as the file stores them (B, G, R, 0) and as they decode.
const Bytes kPalette = {3, 2, 1, 0, 60, 50, 40, 0, 0, 0, 255, 0, 255, 0, 0, 0};
constexpr Rgb C0 = {1, 2, 3}, C1 = {40, 50, 60}, C2 = {255, 0, 0}, C3 = {0, 0, 255};
constexpr Rgb W = {255, 255, 255}, K = {0, 0, 0};

Bytes Flat(std::initializer_list<Rgb> pixels) {
  Bytes out;
  for (const Rgb& p : pixels) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes PaletteOf(int entries) { return Bytes(kPalette.begin(), kPalette.begin() + 4 * entries); }

// The RLE8 stream of a 5 x 4 picture: a run and an absolute run (with its pad byte) in the bottom
// row; a delta that leaves row 2 and skips row 1 whole; a pixel and the end of the bitmap in row 0.
const Bytes kRle8 = {2, 1, 0, 3, 2, 3, 1, 0, 0, 0,  // row 3
                     1, 2, 0, 2, 2, 2,              // row 2, then right 2 and up 2
                     1, 3, 0, 1};                   // row 0 from x = 3

TEST(BmpDecoder, DecodesEachStoredVariant) {
  struct Case {
    const char* name;
    Bytes file;
    int width, height;
    Bytes rgb;  // top row first
  };
  const Case cases[] = {
      {"1 bit, across a byte", Bmp({10, 1, 1, 0, 2}, PaletteOf(2), {0xB0, 0x40, 0, 0}), 10, 1,
       Flat({C1, C0, C1, C1, C0, C0, C0, C0, C0, C1})},
      {"2 bits", Bmp({5, 1, 2, 0, 4}, PaletteOf(4), {0x1B, 0x80, 0, 0}), 5, 1,
       Flat({C0, C1, C2, C3, C2})},
      {"4 bits, an index past the palette is black",
       Bmp({3, 1, 4, 0, 3}, PaletteOf(3), {0x12, 0x50, 0, 0}), 3, 1, Flat({C1, C2, K})},
      {"8 bits bottom-up", Bmp({2, 2, 8, 0, 4}, PaletteOf(4), {0, 1, 0, 0, 2, 3, 0, 0}), 2, 2,
       Flat({C2, C3, C0, C1})},
      {"8 bits top-down", Bmp({2, -2, 8, 0, 4}, PaletteOf(4), {2, 3, 0, 0, 0, 1, 0, 0}), 2, 2,
       Flat({C2, C3, C0, C1})},
      {"OS/2 core header, 3-byte palette",
       Bmp({2, 1, 8, 0, 0, 1, true}, {3, 2, 1, 60, 50, 40}, {1, 0, 0, 0}), 2, 1, Flat({C1, C0})},
      {"16 bits 5-5-5", Bmp({3, 1, 16}, {}, {0x00, 0x7C, 0x10, 0x02, 0x01, 0x00, 0, 0}), 3, 1,
       Flat({{255, 0, 0}, {0, 132, 132}, {0, 0, 8}})},
      {"16 bits 5-6-5 bit fields",
       Bmp({3, 1, 16, 3}, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
           {0x00, 0xF8, 0xE0, 0x07, 0x21, 0x08, 0, 0}),
       3, 1, Flat({{255, 0, 0}, {0, 255, 0}, {8, 4, 8}})},
      {"24 bits, odd width padded",
       Bmp({3, 2, 24}, {},
           {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0}),
       3, 2, Flat({{12, 11, 10}, {15, 14, 13}, {18, 17, 16}, {3, 2, 1}, {6, 5, 4}, {9, 8, 7}})},
      {"24 bits, the last row without its padding",
       Bmp({3, 2, 24}, {},
           {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18}),
       3, 2, Flat({{12, 11, 10}, {15, 14, 13}, {18, 17, 16}, {3, 2, 1}, {6, 5, 4}, {9, 8, 7}})},
      {"32 bits, top byte ignored", Bmp({2, 1, 32}, {}, {1, 2, 3, 0xFF, 4, 5, 6, 0x80}), 2, 1,
       Flat({{3, 2, 1}, {6, 5, 4}})},
      {"RLE8, skipped pixels white", Bmp({5, 4, 8, 1, 4}, PaletteOf(4), kRle8), 5, 4,
       Flat({W,  W,  W,  C3, W,  //
             W,  W,  W,  W,  W,  //
             C2, W,  W,  W,  W,  //
             C1, C1, C2, C3, C1})},
      {"RLE4, runs alternate nibbles, odd absolute run padded",
       Bmp({8, 1, 4, 2, 4}, PaletteOf(4), {3, 0x12, 0, 5, 0x23, 0x12, 0x30, 0, 0, 1}), 8, 1,
       Flat({C1, C2, C1, C2, C3, C1, C2, C3})},
  };
  for (const Case& c : cases) {
    RgbImage image;
    std::string reason;
    ASSERT_TRUE(DecodeBmp(MemorySource(c.file), &image, &reason)) << c.name << ": " << reason;
    EXPECT_EQ(image.width, c.width) << c.name;
    EXPECT_EQ(image.height, c.height) << c.name;
    EXPECT_EQ(image.rgb, c.rgb) << c.name;
  }
}

std::vector<int> RowOrder(const Bytes& file) {
  std::string reason;
  std::unique_ptr<BmpDecoder> bmp = BmpDecoder::Open(MemorySource(file), &reason);
  EXPECT_NE(bmp, nullptr) << reason;
  std::vector<int> order;
  int y;
  const uint8_t* rgb;
  while (bmp != nullptr && bmp->NextRow(&y, &rgb)) order.push_back(y);
  return order;
}

TEST(BmpDecoder, HandsOutRowsInStoredOrder) {
  // Rows a delta skips still come out, once, in their place.
  EXPECT_EQ(RowOrder(Bmp({5, 4, 8, 1, 4}, PaletteOf(4), kRle8)), (std::vector<int>{3, 2, 1, 0}));
  EXPECT_EQ(RowOrder(Bmp({1, -3, 8, 0, 1}, PaletteOf(1), Bytes(12, 0))),
            (std::vector<int>{0, 1, 2}));
}

TEST(BmpDecoder, RefusesWithOneReason) {
  struct Case {
    Bytes file;
    const char* reason;
  };
  const Case cases[] = {
      {{'P', 'K', 3, 4, 0, 0, 0, 0}, "not a BMP file"},
      {Bytes{'B', 'M', 0, 0}, "file ends inside the headers"},
      // The bottom row is there, the top one is not.
      {Bmp({3, 2, 24}, {}, Bytes(12, 0)), "file ends inside row 0"},
      // Many rows are read at once; the error still names the row that broke off (row 25 has
      // its pixels, not all its padding).
      {Bmp({3, 40, 24}, {}, Bytes(40 * 12 - 4, 0)), "file ends inside row 0"},
      {Bmp({3, -40, 24}, {}, Bytes(25 * 12 + 10, 0)), "file ends inside row 26"},
      // Row 3 ends, then the stream stops inside row 2.
      {Bmp({5, 4, 8, 1, 4}, PaletteOf(4), {2, 1, 0, 0, 1}), "file ends inside row 2"},
      {Bmp({0, 1, 8}, {}, {}), "width 0"},
      {Bmp({1, 0, 8}, {}, {}), "height 0"},
      {Bmp({40000, 40000, 24}, {}, {}), "image too large: 40000 x 40000 (at most 30000 per side)"},
      {Bmp({30000, -30000, 1}, {}, {}), "image too large: 30000 x 30000 (at most 67108864 pixels)"},
      {Bmp({3, 1, 0, 4}, {}, {}), "unsupported compression 4 (JPEG)"},
      {Bmp({3, 1, 32, 11}, {}, {}), "unsupported compression 11 (CMYK)"},
      {Bmp({3, 1, 3}, {}, {}), "unsupported bit count 3"},
      {Bmp({3, 1, 8, 0, 0, 2}, {}, {}), "planes 2 (must be 1)"},
      {Bmp({2, -2, 8, 1}, {}, {}), "top-down RLE8 bitmap (not allowed)"},
      {Bmp({2, 2, 4, 1}, {}, {}), "RLE8 needs 8 bits per pixel, not 4"},
      {Bmp({2, 2, 24, 3}, {}, {}), "bit fields need 16 or 32 bits per pixel, not 24"},
      {Bmp({1, 1, 16, 3}, {0x0F, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0}),
       "bit field mask 0xF00F is not contiguous"},
  };
  for (const Case& c : cases) {
    RgbImage image;
    std::string reason;
    EXPECT_FALSE(DecodeBmp(MemorySource(c.file), &image, &reason)) << c.reason;
    EXPECT_EQ(reason, c.reason);
  }
}

TEST(BmpDecoder, OpensOnlyRegularFiles) {
  platform_test::TempDir dir;
  const std::string path = dir.File("two.bmp");
  const Bytes file = Bmp({2, 1, 32}, {}, {1, 2, 3, 0, 4, 5, 6, 0});
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  std::string reason;
  std::unique_ptr<BmpDecoder> bmp = BmpDecoder::OpenFile(path, &reason);
  ASSERT_NE(bmp, nullptr) << reason;
  int y;
  const uint8_t* rgb;
  ASSERT_TRUE(bmp->NextRow(&y, &rgb));
  EXPECT_EQ(Bytes(rgb, rgb + 6), (Bytes{3, 2, 1, 6, 5, 4}));
  EXPECT_FALSE(bmp->NextRow(&y, &rgb));
  EXPECT_EQ(bmp->error(), "");

  EXPECT_EQ(BmpDecoder::OpenFile(dir.path(), &reason), nullptr);
  EXPECT_EQ(reason, "a folder, not a file");
  EXPECT_EQ(BmpDecoder::OpenFile(dir.File("absent.bmp"), &reason), nullptr);
  EXPECT_EQ(reason, "No such file or directory");
}

// Four colours 5-5-5 holds exactly (5-bit 31, 28, 16, 0 widen to 255, 231, 132, 0), in a pattern
// with no period that matches a shrink below.
constexpr Rgb kColours[4] = {{255, 255, 255}, {231, 255, 231}, {132, 0, 255}, {255, 231, 132}};
int ColourAt(int x, int y, int colours) { return (x * 7 + y * 3 + x * y / 5) % colours; }

// The pattern as a w x h file of `bits` per pixel: palette indices, 5-5-5, B G R or B G R 0.
Bytes Stored(int w, int h, int bits, bool top_down) {
  const int colours = bits == 1 ? 2 : 4;
  Bytes palette, pixels;
  for (int c = 0; bits <= 8 && c < colours; ++c) {
    palette.insert(palette.end(), {kColours[c][2], kColours[c][1], kColours[c][0], 0});
  }
  for (int i = 0; i < h; ++i) {
    Bytes row((static_cast<size_t>(w) * bits + 31) / 32 * 4, 0);
    for (int x = 0; x < w; ++x) {
      const int at = x * bits / 8;
      const int c = ColourAt(x, top_down ? i : h - 1 - i, colours);
      const Rgb& p = kColours[c];
      const int v = (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | p[2] >> 3;
      if (bits <= 8) row[at] |= static_cast<uint8_t>(c << (8 - bits - x * bits % 8));
      if (bits == 16) row[at] = static_cast<uint8_t>(v), row[at + 1] = static_cast<uint8_t>(v >> 8);
      if (bits >= 24) row[at] = p[2], row[at + 1] = p[1], row[at + 2] = p[0];
    }
    pixels.insert(pixels.end(), row.begin(), row.end());
  }
  return Bmp({w, top_down ? -h : h, static_cast<uint16_t>(bits), 0,
              static_cast<uint32_t>(palette.size() / 4)},
             palette, pixels);
}

// Target pixel (t, u) by the definition: the AND of every source pixel (x, y) with
// x * dw / w == t and y * dh / h == u; on a side that grows, the one pixel t * w / dw (u * h / dh).
Bytes ReferenceStretch(int w, int h, int dw, int dh, int colours) {
  Bytes out;
  for (int u = 0; u < dh; ++u) {
    for (int t = 0; t < dw; ++t) {
      Rgb p = W;
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          if ((dw <= w ? x * dw / w != t : x != t * w / dw) ||
              (dh <= h ? y * dh / h != u : y != u * h / dh)) {
            continue;
          }
          for (int c = 0; c < 3; ++c) p[c] &= kColours[ColourAt(x, y, colours)][c];
        }
      }
      out.insert(out.end(), p.begin(), p.end());
    }
  }
  return out;
}

TEST(StretchRows, EveryStoredKindStretchesLikeItsPixels) {
  constexpr int kW = 37, kH = 23;  // odd: every depth pads its rows
  const std::pair<int, int> targets[] = {{12, 9}, {kW, kH}, {5, kH}, {kW, 4}, {60, 40}, {0, 5}};
  for (const auto& [dw, dh] : targets) {
    const Bytes two_colours = ReferenceStretch(kW, kH, dw, dh, 2);
    const Bytes four_colours = ReferenceStretch(kW, kH, dw, dh, 4);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
      for (bool top_down : {false, true}) {
        const std::string name = std::to_string(bits) + " bits" + (top_down ? " top-down" : "") +
                                 " to " + std::to_string(dw) + " x " + std::to_string(dh);
        std::string reason;
        auto bmp = BmpDecoder::Open(MemorySource(Stored(kW, kH, bits, top_down)), &reason);
        ASSERT_NE(bmp, nullptr) << name << ": " << reason;
        Bytes got(static_cast<size_t>(dw) * dh * 3);
        std::vector<int> times(static_cast<size_t>(dh), 0);
        ASSERT_TRUE(StretchRows(*bmp, dw, dh, [&](int y, const uint8_t* rgb) {
          ASSERT_TRUE(y >= 0 && y < dh) << name;
          ++times[static_cast<size_t>(y)];
          std::copy_n(rgb, dw * 3, got.begin() + static_cast<ptrdiff_t>(y) * dw * 3);
        })) << name;
        // Each row once; none at all when the target has no columns.
        EXPECT_EQ(times, std::vector<int>(static_cast<size_t>(dh), dw > 0 ? 1 : 0)) << name;
        EXPECT_EQ(got, bits == 1 ? two_colours : four_colours) << name;
      }
    }
  }
}

}  // namespace
}  // namespace platform
