// Resource packs: parsing, refusal of damaged files, lookup, and overrides reaching dialogs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/scripted_host.h"
#include "ui/core/string_table.h"

namespace {

using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

constexpr char kGoodPack[] =
    "\xEF\xBB\xBF# German\r\n"
    "pelliset-pack 1\r\n"
    "\n"
    "string 168 = Pelliset\r\n"
    "string 171 = Erfolg! \\r\\nDrucker neu starten.\n"
    "string 5 =  leading blank and trailing blank \n"
    "string 6 = a = b\n"
    "caption 500 = Alle Arten\n"
    "caption 500/1000 = Los\n"
    "caption 500/2 = Abbrechen \\\\ Ende\n"
    "show 500/29\n"
    "enable 500/29\n"
    "hide 500/1000\n"
    "rect 500/1000 = 100 25 90 14\n"
    "size 500 = 240 160\n";

TEST(ResourcePack, ParsesEveryKindOfEntry) {
  const auto pack = ui::ParseResourcePack(kGoodPack);
  ASSERT_TRUE(pack.has_value());
  EXPECT_EQ(pack->strings.size(), 4u);
  EXPECT_EQ(pack->strings.at(168), "Pelliset");
  EXPECT_EQ(pack->strings.at(171), "Erfolg! \r\nDrucker neu starten.");
  EXPECT_EQ(pack->strings.at(5), " leading blank and trailing blank ");
  EXPECT_EQ(pack->strings.at(6), "a = b");
  EXPECT_EQ(pack->template_captions.at(500), "Alle Arten");
  EXPECT_EQ(pack->control_captions.at({500, 1000}), "Los");
  EXPECT_EQ(pack->control_captions.at({500, 2}), "Abbrechen \\ Ende");
  ASSERT_EQ(pack->control_states.size(), 2u);
  EXPECT_EQ(pack->control_states.at({500, 29}).visible, true);
  EXPECT_EQ(pack->control_states.at({500, 29}).enabled, true);
  EXPECT_EQ(pack->control_states.at({500, 1000}).visible, false);
  EXPECT_EQ(pack->control_states.at({500, 1000}).enabled, std::nullopt);
  EXPECT_EQ(pack->control_rects.at({500, 1000}), (ui::Rect{100, 25, 90, 14}));
  EXPECT_EQ(pack->template_sizes.at(500), std::make_pair(240, 160));
}

TEST(ResourcePack, DamagedFilesAreRefusedAsAWhole) {
  const std::string header = "pelliset-pack 1\n";
  const std::pair<std::string, const char*> cases[] = {
      {"", "empty"},
      {"# only a comment\n", "no header"},
      {"string 1 = a\n", "entry before the header"},
      {"pelliset-pack 2\nstring 1 = a\n", "unknown version"},
      {header + "strng 1 = a\n", "unknown directive"},
      {header + "string x = a\n", "id not a number"},
      {header + "string -1 = a\n", "negative id"},
      {header + "string 65536 = a\n", "id too large"},
      {header + "string 1 =a\n", "no separator"},
      {header + "string 1\n", "no value"},
      {header + "string 1 = a\nstring 1 = b\n", "duplicate"},
      {header + "caption 1/2 = a\ncaption 1/2 = b\n", "duplicate caption"},
      {header + "caption 1/x = a\n", "bad control id"},
      {header + "caption /2 = a\n", "missing template id"},
      {header + "string 1 = a\\q\n", "unknown escape"},
      {header + "string 1 = a\\\n", "trailing backslash"},
      {header + "string 1 = \xC3\x28\n", "invalid UTF-8"},
      {header + std::string("string 1 = a\0b\n", 15), "NUL byte"},
      {header + "string 1 = " + std::string(ui::kMaxPackBytes, 'a') + "\n", "too large"},
      {header + "show 1\n", "state without a control"},
      {header + "show 1/2 = a\n", "state with a value"},
      {header + "hide  1/2\n", "state with two blanks"},
      {header + "shown 1/2\n", "unknown state"},
      {header + "show 1/2\nhide 1/2\n", "visibility said twice"},
      {header + "rect 1/2 = 1 2 3\n", "rectangle of three numbers"},
      {header + "rect 1/2 = 1 2 3 4 5\n", "rectangle of five numbers"},
      {header + "rect 1/2 = 1  2 3 4\n", "two blanks between numbers"},
      {header + "rect 1/2 = 1 2 3 -4\n", "negative size"},
      {header + "rect 1/2 = 1 2 3 4097\n", "beyond any screen"},
      {header + "rect 1 = 1 2 3 4\n", "rectangle without a control"},
      {header + "rect 1/2 = 1 2 3 4\nrect 1/2 = 1 2 3 4\n", "rectangle said twice"},
      {header + "size 1 = 200\n", "size of one number"},
      {header + "size 1/2 = 200 100\n", "size of a control"},
  };
  for (const auto& [text, why] : cases) {
    EXPECT_FALSE(ui::ParseResourcePack(text).has_value()) << why;
  }
  // Where a pack broke, for the user who wrote it; 0 when it is no pack at all.
  size_t line = 99;
  EXPECT_FALSE(
      ui::ParseResourcePack("# x\r\npelliset-pack 1\r\nenable 1/2\r\ndisable 1/2\r\n", &line));
  EXPECT_EQ(line, 4u);
  EXPECT_FALSE(ui::ParseResourcePack("# x\nstring 1 = a\n", &line));
  EXPECT_EQ(line, 0u);
}

class PackFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("ui_pack_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(root_ / "exe");
    std::filesystem::create_directories(root_ / "data");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void Write(const std::string& folder, const std::string& name, const std::string& text) {
    std::ofstream(root_ / folder / name, std::ios::binary) << text;
  }
  std::vector<std::string> Folders() const {
    return {(root_ / "exe").string(), (root_ / "data").string()};
  }
  std::filesystem::path root_;
};

TEST_F(PackFolders, TheProgramsFolderComesFirst) {
  Write("exe", "German.pack", "pelliset-pack 1\nstring 1 = exe\n");
  Write("data", "German.pack", "pelliset-pack 1\nstring 1 = data\n");
  Write("data", "French.pack", "pelliset-pack 1\nstring 1 = data\n");
  auto german = ui::LoadResourcePack("German.pack", Folders());
  ASSERT_TRUE(german.has_value());
  EXPECT_EQ(german->strings.at(1), "exe");
  auto french = ui::LoadResourcePack("French.pack", Folders());
  ASSERT_TRUE(french.has_value());
  EXPECT_EQ(french->strings.at(1), "data");
}

TEST_F(PackFolders, MissingDamagedOrUnsafeNamesMeanEnglish) {
  Write("exe", "Spanish.pack", "pelliset-pack 1\nstring 1 = \\z\n");
  Write("data", "Spanish.pack", "pelliset-pack 1\nstring 1 = bueno\n");
  EXPECT_FALSE(ui::LoadResourcePack("Spanish.pack", Folders()).has_value());
  EXPECT_FALSE(ui::LoadResourcePack("Polish.pack", Folders()).has_value());
  EXPECT_FALSE(ui::LoadResourcePack("../data/Spanish.pack", Folders()).has_value());
  EXPECT_FALSE(ui::LoadResourcePack("", Folders()).has_value());
  EXPECT_FALSE(ui::LoadResourcePack("..", Folders()).has_value());
}

TEST(ResourcePack, OverridesReachDialogsAndStringLookupsFallBackToEnglish) {
  ui::Resources res(ui::StringTable{{168, "Pelliset"}, {171, "Success!"}, {172, "No printer"}},
                    "Pelliset");
  res.SetPack(ui::ParseResourcePack(kGoodPack));
  ASSERT_TRUE(res.HasPack());
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock, res);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    EXPECT_EQ(d.GetWindowText(), "Alle Arten");
    EXPECT_EQ(d.GetButton(1000).GetText(), "Los");
    EXPECT_EQ(d.GetButton(1).GetText(), "OK");  // not in the pack
    // Control 29 is hidden and disabled in the template; 1000 is shown.
    EXPECT_TRUE(d.GetButton(29).IsVisible());
    EXPECT_TRUE(d.GetButton(29).IsEnabled());
    EXPECT_FALSE(d.GetButton(1000).IsVisible());
    EXPECT_TRUE(d.GetButton(1000).IsEnabled());
    EXPECT_TRUE(d.GetButton(1).IsVisible());
    // Laid out anew by the pack; what it does not name keeps the template's place.
    EXPECT_EQ(d.GetTemplate().width, 240);
    EXPECT_EQ(d.GetTemplate().height, 160);
    EXPECT_EQ(d.GetButton(1000).rect(), (ui::Rect{100, 25, 90, 14}));
    EXPECT_EQ(d.GetButton(1).rect(), (ui::Rect{150, 45, 40, 14}));
    EXPECT_EQ(d.LoadString(171), "Erfolg! \r\nDrucker neu starten.");
    EXPECT_EQ(d.LoadString(172), "No printer");
    EXPECT_EQ(d.LoadString(999), "");
  };
  host.Queue({"click 1000", "click 29"});  // hidden by the pack: refused; shown: pressed
  dlg.DoModal(host);
  EXPECT_EQ(dlg.log.front(), "cmd 29 clicked");
  EXPECT_EQ(host.EventLines()[0],
            R"({"event":"dialog","template":500,"caption":"Alle Arten","t":0.000})");
}

TEST(ResourcePack, FormatMessageFillsNumberedMarkers) {
  EXPECT_EQ(ui::FormatMessage("Enter an integer between %1 and %2.", {"0", "90"}),
            "Enter an integer between 0 and 90.");
  EXPECT_EQ(ui::FormatMessage("%2-%1-%3%", {"a", "b"}), "b-a-%3%");
}

}  // namespace
