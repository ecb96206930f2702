// Language identifier -> pack, the pack search, and the shipped German translation.

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"
#include "desktop/resource_ids.h"
#include "desktop/vmsm_templates.h"
#include "platform/temp_dir.h"
#include "settings/dialogs/vmsm_pro_template.h"

namespace {

using namespace desktop;
using platform_test::TempDir;
using platform_test::WriteFile;

const std::string kSourcePackDir = std::string(PELLISET_SOURCE_DIR) + "/src/desktop/lang";

struct LanguageCase {
  uint16_t id;
  std::optional<std::string> pack;
};

TEST(LanguagePackName, FollowsTheLanguageTable) {
  const LanguageCase cases[] = {
      {0x0404, "TraditionalChinese.pack"},  // Taiwan
      {0x0C04, "TraditionalChinese.pack"},  // Hong Kong
      {0x1404, "TraditionalChinese.pack"},  // Macau
      {0x0804, "SimplifiedChinese.pack"},   // PRC
      {0x1004, "SimplifiedChinese.pack"},   // Singapore
      {0x0004, std::nullopt},               // Chinese without a sublanguage
      {0x1804, std::nullopt},               // a sublanguage nobody translated for
      {0x0407, "German.pack"},
      {0x0807, "German.pack"},  // Swiss German: outside Chinese only the primary language counts
      {0x0C07, "German.pack"},
      {0x0409, std::nullopt},  // English is built in
      {0x0809, std::nullopt},
      {0x040A, "Spanish.pack"},
      {0x0C0A, "Spanish.pack"},
      {0x040C, "French.pack"},
      {0x040E, "Hungarian.pack"},
      {0x0410, "Italian.pack"},
      {0x0411, "Japanese.pack"},
      {0x0412, "Korean.pack"},
      {0x0415, "Polish.pack"},
      {0x0419, "Russian.pack"},
      {0x0413, std::nullopt},  // Dutch: no translation
      {0x0416, std::nullopt},
  };
  for (const LanguageCase& c : cases) {
    EXPECT_EQ(LanguagePackName(c.id), c.pack) << std::hex << c.id;
  }
}

TEST(LoadLanguagePack, MissingOrDamagedPackLeavesEnglish) {
  TempDir dir;
  // Spanish system, no Spanish pack anywhere.
  EXPECT_FALSE(LoadLanguagePack(0x0C0A, {dir.path(), kSourcePackDir}).has_value());
  // English never loads a pack, even if one lies about.
  WriteFile(dir.File("English.pack"), "pelliset-pack 1\nstring 168 = X\n");
  EXPECT_FALSE(LoadLanguagePack(0x0409, {dir.path()}).has_value());
  // A damaged pack found first: English, not a hunt for another copy.
  WriteFile(dir.File("German.pack"), "not a pack\n");
  EXPECT_FALSE(LoadLanguagePack(0x0407, {dir.path(), kSourcePackDir}).has_value());

  const ui::Resources english = DesktopResources(LoadLanguagePack(0x0C0A, {dir.path()}));
  EXPECT_FALSE(english.HasPack());
  EXPECT_EQ(english.String(kStrNoUsbPrinter), "Not connected USB printer!");
  EXPECT_EQ(english.AppTitle(), "Pelliset");
}

TEST(LoadLanguagePack, ProgramFolderComesBeforeTheDataFolder) {
  TempDir beside;
  TempDir data;
  WriteFile(data.File("German.pack"), "pelliset-pack 1\nstring 172 = aus dem Datenordner\n");
  const ui::Resources from_data =
      DesktopResources(LoadLanguagePack(0x0807, {beside.path(), data.path()}));
  EXPECT_EQ(from_data.String(kStrNoUsbPrinter), "aus dem Datenordner");
  EXPECT_EQ(from_data.String(kStrTitle), "TMQ-D550 Pelliset for PC V1.0.0");  // not translated

  WriteFile(beside.File("German.pack"), "pelliset-pack 1\nstring 172 = neben dem Programm\n");
  const ui::Resources from_beside =
      DesktopResources(LoadLanguagePack(0x0407, {beside.path(), data.path()}));
  EXPECT_EQ(from_beside.String(kStrNoUsbPrinter), "neben dem Programm");
}

TEST(DefaultPackFolders, AreTheProgramsOwnFolderAndTheDataFolderBesideItsBin) {
  const std::vector<std::string> folders = DefaultPackFolders();
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0], std::string(PELLISET_BINARY_DIR) + "/tests");
  EXPECT_EQ(folders[1], std::string(PELLISET_BINARY_DIR) + "/share/pelliset");
}

// The shipped translation must keep up with the English resources: a text added to the program
// without its German counterpart fails here instead of showing English in a German window.
TEST(GermanPack, ParsesAndTranslatesEveryEnglishText) {
  const std::optional<ui::ResourcePack> pack = LoadLanguagePack(0x0407, {kSourcePackDir});
  ASSERT_TRUE(pack.has_value()) << "German.pack is missing or damaged";

  const ui::StringTable english = DesktopStringTable();
  int english_count = 0;
  for (int id = kFirstStringId; id <= kLastStringId; ++id) {
    if (!english.Find(id)) {
      EXPECT_FALSE(pack->strings.count(id)) << "pack translates unknown string " << id;
      continue;
    }
    ++english_count;
    auto it = pack->strings.find(id);
    ASSERT_NE(it, pack->strings.end()) << "string " << id << " has no German text";
    EXPECT_FALSE(it->second.empty()) << id;
  }
  EXPECT_EQ(english_count, static_cast<int>(english.size()));  // ids stay in 101..247
  for (const auto& [id, text] : pack->strings) {
    const bool framework = id >= ui::kFrameworkStringBase && id < ui::kFrameworkStringBase + 4;
    EXPECT_TRUE(framework || english.Find(id).has_value()) << "unknown string " << id;
  }

  std::set<std::pair<int, int>> known_controls;
  for (const ui::Template* t :
       {&MainDialogTemplate(), &AboutTemplate(), &VmsmTemplate(), &VmsmTab1Template(),
        &VmsmTab2Template(), &VmsmTab3Template(), &MsrAdvanceTemplate(), &VmsmProTemplate()}) {
    EXPECT_TRUE(pack->template_captions.count(t->id)) << "template " << t->id;
    for (const ui::ControlTemplate& c : t->controls) {
      if (c.caption.empty()) continue;
      ASSERT_GE(c.id, 0) << "a captioned control of " << t->id << " needs an id to be translated";
      known_controls.insert({t->id, c.id});
      EXPECT_TRUE(pack->control_captions.count({t->id, c.id}))
          << "caption " << t->id << "/" << c.id << " (" << c.caption << ") has no German text";
    }
  }
  for (const auto& [key, text] : pack->control_captions) {
    EXPECT_TRUE(known_controls.count(key)) << "unknown caption " << key.first << "/" << key.second;
  }

  const ui::Resources german = DesktopResources(pack);
  EXPECT_EQ(german.String(kStrNoUsbPrinter), "Kein USB-Drucker angeschlossen!");
  EXPECT_EQ(german.String(kStrVmsmSaveFailed).find("\r\n") != std::string::npos, true);
}

TEST(GermanPack, IsCopiedBesideTheBuiltProgram) {
  const std::optional<ui::ResourcePack> built =
      ui::LoadResourcePack("German.pack", {std::string(PELLISET_BINARY_DIR) + "/src/desktop"});
  const std::optional<ui::ResourcePack> source =
      ui::LoadResourcePack("German.pack", {kSourcePackDir});
  ASSERT_TRUE(built.has_value());
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(built->strings, source->strings);
  EXPECT_EQ(built->control_captions, source->control_captions);
}

}  // namespace
