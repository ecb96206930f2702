// Locale -> language code, the catalog and layout pack search, and the shipped German
// translation.

#include "platform/system/language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"
#include "desktop/resource_ids.h"
#include "desktop/vmsm_templates.h"
#include "firmware/dialogs/firmware_template.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "platform/temp_dir.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "ui/core/host_texts.h"

namespace {

using namespace desktop;
using platform_test::TempDir;
using platform_test::WriteFile;

const std::string kSourcePackDir = std::string(PELLISET_SOURCE_DIR) + "/src/desktop/lang";
// The catalogs the build compiles from po/, and the layout packs of the source tree.
const LanguageFolders kBuilt{{std::string(PELLISET_BINARY_DIR) + "/share/locale"},
                             {kSourcePackDir}};

TEST(LanguageCode, FollowsTheLanguageTable) {
  struct Case {
    const char* locale;
    std::optional<std::string> code;
  };
  const Case cases[] = {
      {"zh_TW.UTF-8", "zh_TW"},
      {"zh_HK", "zh_TW"},
      {"zh_MO", "zh_TW"},
      {"zh_CN.GB18030", "zh_CN"},
      {"zh_SG", "zh_CN"},
      {"zh_XX", {}},
      {"de_DE.UTF-8", "de"},
      {"de_CH", "de"},
      {"es_MX", "es"},
      {"fr_CA", "fr"},
      {"hu_HU", "hu"},
      {"it_IT", "it"},
      {"ja_JP.UTF-8", "ja"},
      {"ko_KR", "ko"},
      {"pl_PL", "pl"},
      {"ru_RU", "ru"},
      {"en_US.UTF-8", {}},
      {"C", {}},
      {"nl_NL", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageCode(platform::LanguageIdForLocale(c.locale)), c.code) << c.locale;
  }
  EXPECT_EQ(LanguageCode(0x1804), std::nullopt);  // a Chinese sublanguage nobody translated for
}

// German from the compiled catalog with the German layout over it, the hosts' texts too; a
// damaged catalog leaves English.
TEST(LoadLanguagePack, CatalogTextsLayoutPackAndEnglishForTheRest) {
  const ui::Resources german = DesktopResources(LoadLanguagePack({0x0807}, kBuilt));
  EXPECT_EQ(german.String(kStrNoUsbPrinter), "Kein USB-Drucker angeschlossen!");
  EXPECT_EQ(german.ControlCaption(kMainTemplateId, kExitButton, "Exit"), "Beenden");
  EXPECT_EQ(german.String(kStrVmsmSaveFailed),
            "Die VMSM-Konfiguration konnte nicht gespeichert werden!\r\nBitte prüfen Sie den "
            "Zustand des Druckers.");
  EXPECT_EQ(german.LaidOut(MainDialogTemplate()).width, 276);
  EXPECT_EQ(german.Host("keyline/help"), "F1 Hilfe");
  EXPECT_EQ(german.AppTitle(), "Pelliset");

  // Dutch has neither catalog nor pack; English never loads one, even if one lies about.
  TempDir dir;
  WriteFile(dir.File("en.pack"), "pelliset-pack 1\nstring 168 = X\n");
  EXPECT_FALSE(LoadLanguagePack({0x0413}, kBuilt).has_value());
  EXPECT_FALSE(LoadLanguagePack({0x0409}, {{dir.path()}, {dir.path()}}).has_value());
  // In a list the first language with a translation wins; English, first, wins over German.
  EXPECT_EQ(DesktopResources(LoadLanguagePack({0x0413, 0x040C, 0x0407}, kBuilt))
                .ControlCaption(kMainTemplateId, kExitButton, "Exit"),
            "Quitter");
  EXPECT_FALSE(LoadLanguagePack({0x0409, 0x0407}, kBuilt).has_value());

  // A damaged catalog found first: English texts, not a hunt for another copy; the layout stays.
  std::filesystem::create_directories(dir.File("de/LC_MESSAGES"));
  WriteFile(dir.File("de/LC_MESSAGES/pelliset.mo"), "not a catalog");
  const ui::Resources damaged = DesktopResources(
      LoadLanguagePack({0x0407}, {{dir.path(), kBuilt.catalogs[0]}, {kSourcePackDir}}));
  EXPECT_EQ(damaged.String(kStrNoUsbPrinter), "Not connected USB printer!");
  EXPECT_EQ(damaged.LaidOut(MainDialogTemplate()).width, 276);
}

TEST(LoadLanguagePack, ProgramFolderComesBeforeTheDataFolder) {
  TempDir beside;
  TempDir data;
  WriteFile(data.File("de.pack"), "pelliset-pack 1\nstring 172 = aus dem Datenordner\n");
  const ui::Resources from_data =
      DesktopResources(LoadLanguagePack({0x0807}, {{}, {beside.path(), data.path()}}));
  EXPECT_EQ(from_data.String(kStrNoUsbPrinter), "aus dem Datenordner");
  EXPECT_EQ(from_data.String(kStrTitle), "TMQ-D550 Pelliset for PC V1.0.0");  // not translated

  WriteFile(beside.File("de.pack"), "pelliset-pack 1\nstring 172 = neben dem Programm\n");
  const ui::Resources from_beside =
      DesktopResources(LoadLanguagePack({0x0407}, {{}, {beside.path(), data.path()}}));
  EXPECT_EQ(from_beside.String(kStrNoUsbPrinter), "neben dem Programm");
}

TEST(DefaultLanguageFolders, AreFoundFromTheProgramsOwnFolder) {
  const LanguageFolders folders = DefaultLanguageFolders();
  const std::string build(PELLISET_BINARY_DIR);
  // The build tree's locale folder as deskutil (in src/desktop) sees it, then the installed one.
  EXPECT_EQ(folders.catalogs,
            (std::vector<std::string>{
                std::filesystem::path(build).parent_path().string() + "/share/locale",
                build + "/share/locale"}));
  EXPECT_EQ(folders.packs, (std::vector<std::string>{build + "/tests", build + "/share/pelliset"}));
}

// The shipped translation must keep up with the English resources: a text added to the program
// without its German counterpart fails here instead of showing English in a German window.
TEST(GermanTranslation, TranslatesEveryEnglishText) {
  const std::optional<ui::ResourcePack> pack = LoadLanguagePack({0x0407}, kBuilt);
  ASSERT_TRUE(pack.has_value()) << "de.po or de.pack is missing or damaged";

  const ui::StringTable english = DesktopStringTable();
  int english_count = 0;
  for (int id = kFirstStringId; id <= kLastStringId; ++id) {
    if (!english.Find(id)) {
      EXPECT_FALSE(pack->strings.count(id)) << "German translates unknown string " << id;
      continue;
    }
    ++english_count;
    auto it = pack->strings.find(id);
    ASSERT_NE(it, pack->strings.end()) << "string " << id << " has no German text";
    EXPECT_FALSE(it->second.empty()) << id;
  }
  EXPECT_EQ(english_count, static_cast<int>(english.size()));  // ids stay in 101..251
  for (const auto& [id, text] : pack->strings) {
    const bool framework = id >= ui::kFrameworkStringBase && id < ui::kFrameworkStringBase + 4;
    EXPECT_TRUE(framework || english.Find(id).has_value()) << "unknown string " << id;
  }

  std::set<std::pair<int, int>> known_controls;
  for (const ui::Template* t :
       {&MainDialogTemplate(), &AboutTemplate(), &VmsmTemplate(), &VmsmTab1Template(),
        &VmsmTab2Template(), &VmsmTab3Template(), &MsrAdvanceTemplate(),
        &settings::VmsmProTemplate(), &nv::NvProTemplate(), &nv::NvManagerTemplate(),
        &nv::NvAddrTemplate(), &firmware::FirmwareTemplate()}) {
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
  for (const ui::HostTextEntry& entry : ui::HostTexts()) {
    EXPECT_TRUE(pack->host_texts.count(entry.key)) << "host " << entry.key << " has no German text";
  }
}

TEST(GermanTranslation, LayoutPackIsCopiedBesideTheBuiltProgram) {
  const std::optional<ui::ResourcePack> built =
      ui::LoadResourcePack("de.pack", {std::string(PELLISET_BINARY_DIR) + "/src/desktop"});
  const std::optional<ui::ResourcePack> source = ui::LoadResourcePack("de.pack", {kSourcePackDir});
  ASSERT_TRUE(built.has_value());
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(built->control_rects, source->control_rects);
  EXPECT_EQ(built->template_sizes, source->template_sizes);
}

}  // namespace
