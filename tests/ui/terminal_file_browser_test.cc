// The terminal file browser's filters and typed paths.

#include "ui/terminal/terminal_file_browser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(FileFilter, PatternsMatchAsTheFiltersMean) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  };
  const Case cases[] = {
      {"logo.bmp", "*.bmp", true},
      {"LOGO.BMP", "*.bmp", true},
      {"logo.bmp.txt", "*.bmp", false},
      {"a.b", "*.*", true},
      {"noext", "*.*", true},
      {"x1.dat", "x?.dat", true},
      {"x12.dat", "x?.dat", false},
      {"fw_v2.bin", "fw*.bin", true},
      {"", "*", true},
      {"abc", "a*c*", true},
      {"ab", "a*c", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::MatchesPattern(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
  }
  const auto filters = ui::ParseFileFilter("Image Files(*.bmp)|*.bmp; *.dib|All|*.*||");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].description, "Image Files(*.bmp)");
  EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.bmp", "*.dib"}));
  EXPECT_EQ(ui::ParseFileFilter("").front().patterns, (std::vector<std::string>{"*"}));
  EXPECT_EQ(ui::ParseFileFilter("broken").front().patterns, (std::vector<std::string>{"*"}));
}

TEST(FileBrowser, TypedPathsOpenFoldersChooseFilesAndReportMissingOnes) {
  char tmpl[] = "/tmp/pelliset-fb-XXXXXX";
  const std::string dir = mkdtemp(tmpl);
  std::filesystem::create_directory(dir + "/inner");
  std::ofstream(dir + "/inner/fw.bin") << "x";
  ui::FileOpenRequest request;
  request.filter = "Firmware(*.bin)|*.bin||";
  ui::FileBrowser b(request, dir);
  EXPECT_EQ(b.Dir(), dir);
  auto type = [&](std::string_view text) {
    for (char c : text) b.HandleKey(ui::MakeChar(std::string(1, c)));
    return b.HandleKey(ui::MakeKey(ui::Key::kEnter));
  };
  EXPECT_EQ(type("inner"), ui::FileBrowser::Outcome::kNone);
  EXPECT_EQ(b.Dir(), dir + "/inner");
  EXPECT_EQ(type("nope.bin"), ui::FileBrowser::Outcome::kNone);
  EXPECT_NE(b.Message().find("No such file or folder"), std::string::npos);
  for (int i = 0; i < 8; ++i) b.HandleKey(ui::MakeKey(ui::Key::kBackspace));
  EXPECT_EQ(type("/dev/null"), ui::FileBrowser::Outcome::kNone);
  EXPECT_EQ(b.Message(), "Not a file: /dev/null");
  for (int i = 0; i < 9; ++i) b.HandleKey(ui::MakeKey(ui::Key::kBackspace));
  EXPECT_EQ(b.PathText(), "");
  EXPECT_EQ(type("fw.bin"), ui::FileBrowser::Outcome::kChosen);
  EXPECT_EQ(b.Chosen(), (std::vector<std::string>{dir + "/inner/fw.bin"}));
  // Backspace in the list goes up and lands on the folder we came from.
  b.HandleKey(ui::MakeKey(ui::Key::kTab));
  EXPECT_FALSE(b.PathFocused());
  b.HandleKey(ui::MakeKey(ui::Key::kBackspace));
  EXPECT_EQ(b.Dir(), dir);
  ASSERT_LT(b.Cursor(), static_cast<int>(b.Entries().size()));
  EXPECT_EQ(b.Entries()[static_cast<size_t>(b.Cursor())].name, "inner");

  // Where several files may be chosen, a typed space on the list marks one; a pasted space is
  // the start of a path, typed into the path line.
  request.multiple = true;
  ui::FileBrowser several(request, dir + "/inner");
  if (several.PathFocused()) several.HandleKey(ui::MakeKey(ui::Key::kTab));
  ASSERT_FALSE(several.PathFocused());
  ui::KeyEvent pasted = ui::MakeChar(" ");
  pasted.pasted = true;
  several.HandleKey(pasted);
  EXPECT_TRUE(several.PathFocused());
  EXPECT_EQ(several.PathText(), " ");
  std::filesystem::remove_all(dir);
}

}  // namespace
