// The conversion of pictures into the printer's one-bit raster, pinned to raster bytes worked out
// by hand.

#include "nvimage/raster.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "nvimage/bmp_files.h"

namespace {

using Bytes = std::vector<uint8_t>;
using nv_test::Rgb;

// Hands out rows of a picture drawn by a function, bottom row first like most files.
class DrawnPicture : public platform::BmpDecoder {
 public:
  DrawnPicture(int width, int height, std::function<Rgb(int, int)> pixel)
      : BmpDecoder(width, height), pixel_(std::move(pixel)), next_(height - 1) {}
  bool NextRow(int* y, const uint8_t** rgb) override {
    if (next_ < 0) return false;
    row_.clear();
    for (int x = 0; x < width_; ++x) {
      const Rgb p = pixel_(x, next_);
      row_.insert(row_.end(), {p.r, p.g, p.b});
    }
    *y = next_--;
    *rgb = row_.data();
    return true;
  }

 private:
  std::function<Rgb(int, int)> pixel_;
  int next_;
  std::vector<uint8_t> row_;
};

nv::Raster Convert(int width, int height, std::function<Rgb(int, int)> pixel, int brightness = 0) {
  DrawnPicture picture(width, height, std::move(pixel));
  nv::Raster raster;
  std::string reason;
  EXPECT_TRUE(nv::ConvertRows(picture, brightness, &raster, &reason)) << reason;
  return raster;
}

Rgb Black(int, int) { return nv_test::kBlack; }

TEST(RasterTest, SmallPicturesPackLeftmostDotInTheHighBit) {
  EXPECT_EQ(Convert(1, 1, Black).bytes, Bytes{0x80});
  EXPECT_EQ(Convert(1, 1, [](int, int) { return nv_test::kWhite; }).bytes, Bytes{0x00});

  // 7 x 3: a full row, a row with its two end dots, an empty row.
  const nv::Raster r = Convert(7, 3, [](int x, int y) {
    const bool dark = y == 0 || (y == 1 && (x == 0 || x == 6));
    return dark ? nv_test::kBlack : nv_test::kWhite;
  });
  EXPECT_EQ(r.width, 7u);
  EXPECT_EQ(r.height, 3u);
  EXPECT_EQ(r.bytes, (Bytes{0xFE, 0x82, 0x00}));

  // 100 dots: 13 bytes a row, only the four high bits of the last one used.
  const nv::Raster wide = Convert(100, 2, Black);
  Bytes row(12, 0xFF);
  row.push_back(0xF0);
  Bytes two_rows = row;
  two_rows.insert(two_rows.end(), row.begin(), row.end());
  EXPECT_EQ(wide.bytes, two_rows);

  // The printable width is kept as it is.
  const nv::Raster full = Convert(384, 200, Black);
  EXPECT_EQ(full.bytes.size(), 9600u);
  EXPECT_EQ(full.height, 200u);
}

TEST(RasterTest, ThresholdIsPerChannel) {
  const Rgb row[] = {{226, 226, 226}, {225, 255, 255}, {255, 255, 0}, {255, 254, 226}};
  EXPECT_EQ(Convert(4, 1, [&](int x, int) { return row[x]; }).bytes, Bytes{0x60});
}

TEST(RasterTest, BrightnessThinsByTheFourByFourPattern) {
  EXPECT_EQ(Convert(8, 4, Black, 6).bytes, Convert(8, 4, Black, 0).bytes);
  // Brightness 100 leaves one dot per 4 x 4 cell, at x % 4 == 0 and y % 4 == 0.
  EXPECT_EQ(Convert(8, 5, Black, 100).bytes, (Bytes{0x88, 0x00, 0x00, 0x00, 0x88}));
  // Brightness 7 drops only the cell's value-1 position, x % 4 == 3 on y % 4 == 1.
  EXPECT_EQ(Convert(8, 2, Black, 7).bytes, (Bytes{0xFF, 0xEE}));
  // Brightness 50 keeps 9 of 16: values 8 and up.
  EXPECT_EQ(Convert(4, 4, Black, 50).bytes, (Bytes{0xF0, 0x80, 0xF0, 0x00}));
}

TEST(RasterTest, ShrinkToPrintableWidthKeepsThinDarkLines) {
  // 768 x 4 halves to 384 x 2; one dark column (x = 1) and one dark row (y = 3) survive.
  const nv::Raster r = Convert(
      768, 4, [](int x, int y) { return x == 1 || y == 3 ? nv_test::kBlack : nv_test::kWhite; });
  EXPECT_EQ(r.width, 384u);
  EXPECT_EQ(r.height, 2u);
  Bytes expected(96, 0x00);
  expected[0] = 0x80;
  std::fill(expected.begin() + 48, expected.end(), 0xFF);
  EXPECT_EQ(r.bytes, expected);
}

TEST(RasterTest, SizesAndDefineHeader) {
  EXPECT_EQ(nv::EstimatedSize(768, 100), 4800u);  // the file's height, not the scaled one
  EXPECT_EQ(nv::EstimatedSize(500, 100), 4800u);
  EXPECT_EQ(nv::ScaleToPrintable(500, 100).height, 76u);
  EXPECT_EQ(nv::MaxRows(384), 1365u);  // 48 bytes a row fill the define command
  EXPECT_EQ(nv::MaxRows(200), 2304u);  // 25 a row would allow 2620: the printer's own limit
  EXPECT_EQ(nv::StorageRefusal(768, 2000), "");  // 384 x 1000
  EXPECT_EQ(nv::StorageRefusal(384, 1365), "");
  EXPECT_NE(nv::StorageRefusal(384, 1366), "");
  EXPECT_EQ(nv::StorageRefusal(8, 2304), "");
  EXPECT_EQ(nv::StorageRefusal(8, 20000),
            "scaled to 8 dots wide it is 20000 dots high; one image holds at most 2304 rows at 8 "
            "dots");
  EXPECT_NE(nv::StorageRefusal(1000, 1), "");  // scales to no rows at all

  nv::Raster r{384, 100, Bytes(4800, 0xAA)};
  const Bytes command = nv::DefineCommand('1', '0', r);
  ASSERT_EQ(command.size(), 16u + 4800u);
  EXPECT_EQ(Bytes(command.begin(), command.begin() + 16),
            (Bytes{0x1D, 0x28, 0x4C, 0xCB, 0x12, 0x30, 0x43, 0x30, 0x31, 0x30, 0x01, 0x80, 0x01,
                   0x64, 0x00, 0x31}));
  EXPECT_EQ(command[16], 0xAA);
}

}  // namespace
