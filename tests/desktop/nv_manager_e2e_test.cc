// The NV image manager end to end: the real deskutil driven through the automation protocol
// against a printer-sim process on loopback TCP that shows what it stores in --nv-dir.

#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "integration/program_run.h"
#include "integration/sim_process.h"
#include "nvimage/bmp_files.h"
#include "platform/temp_dir.h"

namespace {

using platform_test::ReadAll;
using platform_test::TempDir;

const std::string kDeskutil = std::string(PELLISET_BINARY_DIR) + "/src/desktop/deskutil";

// A PNG as rows of '#' (dark) and '.' (light); empty when it cannot be read.
std::vector<std::string> PngRows(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_GRAY;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  std::vector<std::string> rows(image.height, std::string(image.width, '.'));
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      if (pixels[y * image.width + x] < 128) rows[y][x] = '#';
    }
  }
  return rows;
}

class NvManagerE2eTest : public ::testing::Test {
 protected:
  int Run(const std::string& script) {
    const itest::ProgramOutcome o = itest::RunProgram(dir, kDeskutil, script);
    out_ = o.out;
    return o.status;
  }
  static std::string Launch(int port) {
    return "wait dialog 102\nselect 1006 3\ntype 1074 \"127.0.0.1\"\ntype 1075 \"" +
           std::to_string(port) + "\"\nclick 1001\nwait dialog 151 20\n";
  }

  TempDir dir;
  std::string out_;
};

TEST_F(NvManagerE2eTest, DownloadPrintRemoveAndTheListComesBack) {
  const std::string a = dir.File("a.bmp"), b = dir.File("b.bmp");
  // 16 x 2: a dark top row. 8 x 1: the left half dark.
  nv_test::WriteBmp(a, 16, 2,
                    [](int, int y) { return y == 0 ? nv_test::kBlack : nv_test::kWhite; });
  nv_test::WriteBmp(b, 8, 1, [](int x, int) { return x < 4 ? nv_test::kBlack : nv_test::kWhite; });
  const std::string shown = dir.File("nv");
  itest::SimProcess sim({"--port", "0", "--state", dir.File("state.txt"), "--nv-dir", shown});
  ASSERT_GT(sim.port(), 0) << sim.first_line();

  ASSERT_EQ(Run(Launch(sim.port()) + "click 1043\nfiles \"" + a + "\" \"" + b +
                "\"\nclick 1047\nclick 1046\nwait dialog 151 30\n"
                "select 1049 \"11\"\nclick 1052\nwait dialog 151 20\nclick 1\n"
                "wait dialog 102 20\nclick 1\n"),
            0)
      << out_;
  EXPECT_EQ(out_.find("\"event\":\"messagebox\""), std::string::npos) << out_;
  EXPECT_EQ(PngRows(shown + "/nv-10.png"),
            (std::vector<std::string>{"################", "................"}));
  EXPECT_EQ(PngRows(shown + "/nv-11.png"), std::vector<std::string>{"####...."});
  // The print of 11 is on the paper roll.
  const std::vector<std::string> roll = PngRows(shown + "/roll.png");
  ASSERT_FALSE(roll.empty());
  EXPECT_EQ(roll[0].substr(0, 8), "####....");

  // The next start shows the same two images; Remove All empties the printer.
  ASSERT_EQ(Run(Launch(sim.port()) + "snapshot\nclick 1054\nwait messagebox 20\nanswer Yes\n"
                                     "wait dialog 151 20\nsnapshot\n"
                                     "click 1\nwait dialog 102 20\nclick 1\n"),
            0)
      << out_;
  EXPECT_NE(out_.find(R"(["1","a.bmp","4 Bytes"],["2","b.bmp","1 Bytes"])"), std::string::npos)
      << out_;
  const size_t last = out_.rfind("\"event\":\"snapshot\"");
  ASSERT_NE(last, std::string::npos);
  EXPECT_NE(
      out_.find(R"("id":1049,"kind":"list","text":"","enabled":true,"visible":true,"items":[])",
                last),
      std::string::npos)
      << out_;
  EXPECT_TRUE(PngRows(shown + "/nv-10.png").empty());
  ASSERT_EQ(sim.Stop(), 0);
  EXPECT_EQ(ReadAll(dir.File("state.txt")).find("nv_image"), std::string::npos);
}

}  // namespace
