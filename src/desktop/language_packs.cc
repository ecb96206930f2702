#include "desktop/language_packs.h"

#include <filesystem>
#include <system_error>

#include "platform/system/mo_catalog.h"

namespace desktop {
namespace {

struct LanguageEntry {
  uint16_t primary;
  const char* code;
};

constexpr uint16_t kPrimaryChinese = 0x04;
constexpr uint16_t kPrimaryEnglish = 0x09;

constexpr LanguageEntry kLanguages[] = {
    {0x07, "de"}, {0x0A, "es"}, {0x0C, "fr"}, {0x0E, "hu"}, {0x10, "it"},
    {0x11, "ja"}, {0x12, "ko"}, {0x15, "pl"}, {0x19, "ru"},
};

// The installed data and locale folders, and the build tree's locale folder, seen from the
// program's folder.
constexpr const char* kDataFromProgram = PELLISET_DATA_FROM_BIN;
constexpr const char* kLocaleFromProgram = PELLISET_LOCALE_FROM_BIN;
constexpr const char* kBuildLocaleFromProgram = PELLISET_BUILD_LOCALE_FROM_BIN;

// A catalog's entries as pack text, so that its keys are read by the pack's own rules: texts
// only (the layout is the pack's business), with the pack's escapes. A key that could break a
// pack line is left out.
std::optional<ui::ResourcePack> CatalogPack(const std::map<std::string, std::string>& catalog) {
  std::string text = "pelliset-pack 1\n";
  for (const auto& [key, translation] : catalog) {
    const bool texts =
        key.starts_with("string ") || key.starts_with("caption ") || key.starts_with("host ");
    if (!texts || key.find_first_of("\r\n") != std::string::npos ||
        key.find(" = ") != std::string::npos) {
      continue;
    }
    text += key + " = ";
    for (const char c : translation) {
      text += c == '\n'   ? "\\n"
              : c == '\r' ? "\\r"
              : c == '\t' ? "\\t"
              : c == '\\' ? "\\\\"
                          : std::string(1, c);
    }
    text += '\n';
  }
  return ui::ParseResourcePack(text);
}

}  // namespace

std::optional<std::string> LanguageCode(uint16_t language_id) {
  const uint16_t primary = language_id & 0x3FF;
  const uint16_t sublanguage = language_id >> 10;
  if (primary == kPrimaryChinese) {
    // Taiwan, Hong Kong and Macau write traditional characters; the PRC and Singapore simplified.
    if (sublanguage == 1 || sublanguage == 3 || sublanguage == 5) return "zh_TW";
    if (sublanguage == 2 || sublanguage == 4) return "zh_CN";
    return std::nullopt;
  }
  for (const LanguageEntry& entry : kLanguages) {
    if (entry.primary == primary) return entry.code;
  }
  return std::nullopt;
}

LanguageFolders DefaultLanguageFolders() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return {};
  const std::filesystem::path folder = exe.parent_path();
  auto from_program = [&](const char* relative) {
    return (folder / relative).lexically_normal().string();
  };
  return {{from_program(kBuildLocaleFromProgram), from_program(kLocaleFromProgram)},
          {folder.string(), from_program(kDataFromProgram)}};
}

std::optional<ui::ResourcePack> LoadLanguagePack(const std::vector<uint16_t>& preferred,
                                                 const LanguageFolders& folders) {
  for (const uint16_t language_id : preferred) {
    const std::optional<std::string> code = LanguageCode(language_id);
    if (!code) {
      if ((language_id & 0x3FF) == kPrimaryEnglish) return std::nullopt;
      continue;
    }
    bool found = false;
    std::optional<ui::ResourcePack> texts;
    for (const std::string& folder : folders.catalogs) {
      const std::string path = folder + "/" + *code + "/LC_MESSAGES/pelliset.mo";
      if (!std::filesystem::exists(path)) continue;
      // The first catalog found decides, as the first pack does: damaged means English.
      found = true;
      if (const auto catalog = platform::ReadMoCatalog(path)) texts = CatalogPack(*catalog);
      break;
    }
    std::optional<ui::ResourcePack> layout = ui::LoadResourcePack(*code + ".pack", folders.packs);
    if (!found && !layout) continue;
    if (!layout) return texts;
    return LayPacks(std::move(texts), {*layout});
  }
  return std::nullopt;
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
