// The NV manager's preview: the picture at the printable width's scale, lightened by the slider,
// on a white area with a black border.

#include <gtest/gtest.h>

#include "nvimage/bmp_files.h"
#include "nvimage/nv_preview.h"
#include "platform/temp_dir.h"

namespace {

struct Px {
  int r, g, b;
  bool operator==(const Px&) const = default;
};

Px At(const platform::RgbImage& image, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
  return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

TEST(PreviewTest, NarrowFileDrawnAtPrintableScaleAndLightened) {
  platform_test::TempDir dir;
  const std::string path = dir.File("logo.bmp");
  // 100 x 50, black with a red 4 x 4 corner.
  nv_test::WriteBmp(path, 100, 50, [](int x, int y) {
    return x < 4 && y < 4 ? nv_test::Rgb{200, 0, 0} : nv_test::kBlack;
  });
  // 200 wide area: 200 * 100 / 384 = 52 wide, 50 * 52 / 100 = 26 high. Slider 50 adds 127.
  const platform::RgbImage p = nv::RenderPreview(&path, 200, 150, 50);
  ASSERT_EQ(p.width, 200);
  ASSERT_EQ(p.height, 150);
  EXPECT_EQ(At(p, 0, 0), (Px{255, 127, 127}));
  EXPECT_EQ(At(p, 51, 25), (Px{127, 127, 127}));
  EXPECT_EQ(At(p, 52, 10), (Px{255, 255, 255}));
  EXPECT_EQ(At(p, 10, 26), (Px{255, 255, 255}));
  EXPECT_EQ(At(p, 199, 149), (Px{0, 0, 0}));  // the border
  EXPECT_EQ(At(p, 100, 0), (Px{0, 0, 0}));

  // Nothing selected, or a file that does not load: the framed white area only.
  const std::string gone = dir.File("gone.bmp");
  for (const platform::RgbImage& empty :
       {nv::RenderPreview(nullptr, 200, 150, 0), nv::RenderPreview(&gone, 200, 150, 0)}) {
    EXPECT_EQ(At(empty, 0, 0), (Px{0, 0, 0}));
    EXPECT_EQ(At(empty, 1, 1), (Px{255, 255, 255}));
    EXPECT_EQ(At(empty, 51, 25), (Px{255, 255, 255}));
  }
}

TEST(PreviewTest, WideFileFillsTheWidth) {
  platform_test::TempDir dir;
  const std::string path = dir.File("wide.bmp");
  // 800 x 40 with one dark column at x = 11: the area's 100 columns take 8 source columns each.
  nv_test::WriteBmp(path, 800, 40, [](int x, int) {
    return x == 11 ? nv_test::kBlack : nv_test::Rgb{100, 150, 200};
  });
  const platform::RgbImage p = nv::RenderPreview(&path, 100, 20, 0);
  EXPECT_EQ(At(p, 1, 2), (Px{0, 0, 0}));        // AND keeps the dark column
  EXPECT_EQ(At(p, 2, 4), (Px{100, 150, 200}));  // 40 * 100 / 800 = 5 rows
  EXPECT_EQ(At(p, 2, 5), (Px{255, 255, 255}));
}

}  // namespace
