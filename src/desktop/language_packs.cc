#include "desktop/language_packs.h"

#include <filesystem>
#include <system_error>

namespace desktop {
namespace {

struct PackEntry {
  uint16_t primary;
  const char* base_name;
};

constexpr uint16_t kPrimaryChinese = 0x04;

constexpr PackEntry kPacks[] = {
    {0x07, "German"},   {0x0A, "Spanish"}, {0x0C, "French"}, {0x0E, "Hungarian"}, {0x10, "Italian"},
    {0x11, "Japanese"}, {0x12, "Korean"},  {0x15, "Polish"}, {0x19, "Russian"},
};

// The installed data folder seen from the installed program's folder.
#ifdef PELLISET_DATA_FROM_BIN
constexpr const char* kDataFromProgram = PELLISET_DATA_FROM_BIN;
#else
constexpr const char* kDataFromProgram = "../share/pelliset";
#endif

}  // namespace

std::optional<std::string> LanguagePackName(uint16_t language_id) {
  const uint16_t primary = language_id & 0x3FF;
  const uint16_t sublanguage = language_id >> 10;
  std::optional<std::string> base;
  if (primary == kPrimaryChinese) {
    // Taiwan, Hong Kong and Macau write traditional characters; the PRC and Singapore simplified.
    if (sublanguage == 1 || sublanguage == 3 || sublanguage == 5) base = "TraditionalChinese";
    if (sublanguage == 2 || sublanguage == 4) base = "SimplifiedChinese";
  } else {
    for (const PackEntry& entry : kPacks) {
      if (entry.primary == primary) base = entry.base_name;
    }
  }
  if (!base) return std::nullopt;
  return *base + ".pack";
}

std::vector<std::string> DefaultPackFolders() {
  std::vector<std::string> folders;
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return folders;
  // Beside the program in a build tree; in the data folder once installed.
  folders.push_back(exe.parent_path().string());
  folders.push_back((exe.parent_path() / kDataFromProgram).lexically_normal().string());
  return folders;
}

std::optional<ui::ResourcePack> LoadLanguagePack(uint16_t language_id,
                                                 const std::vector<std::string>& folders) {
  const std::optional<std::string> name = LanguagePackName(language_id);
  if (!name) return std::nullopt;
  return ui::LoadResourcePack(*name, folders);
}

std::optional<ui::ResourcePack> LayPacks(std::optional<ui::ResourcePack> language,
                                         const std::vector<ui::ResourcePack>& overlays) {
  for (const ui::ResourcePack& overlay : overlays) {
    if (!language) language.emplace();
    ui::OverlayResourcePack(&*language, overlay);
  }
  return language;
}

}  // namespace desktop
