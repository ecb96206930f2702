#pragma once

// Every language deskutil ships a translation for, and its resources as the program loads them
// from the build tree (catalog, then layout pack), for the tests that check each one's layout.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"

namespace desktop_test {

struct ShippedLanguage {
  uint16_t id;
  const char* code;
};
inline constexpr ShippedLanguage kShippedLanguages[] = {
    {0x0407, "de"}, {0x0C0A, "es"},    {0x040C, "fr"},    {0x040E, "hu"},
    {0x0410, "it"}, {0x0411, "ja"},    {0x0412, "ko"},    {0x0415, "pl"},
    {0x0419, "ru"}, {0x0804, "zh_CN"}, {0x0404, "zh_TW"},
};

inline ui::Resources ShippedResources(uint16_t id) {
  auto pack = desktop::LoadLanguagePack(
      {id}, {{PELLISET_BINARY_DIR "/share/locale"}, {PELLISET_SOURCE_DIR "/src/desktop/lang"}});
  EXPECT_TRUE(pack.has_value()) << "no translation found for " << id;
  return desktop::DesktopResources(std::move(pack));
}

// English (no pack) and then every shipped language, each with its code.
inline std::vector<std::pair<std::string, ui::Resources>> EveryLanguage() {
  std::vector<std::pair<std::string, ui::Resources>> all{
      {"English", desktop::DesktopResources(std::nullopt)}};
  for (const ShippedLanguage& l : kShippedLanguages)
    all.push_back({l.code, ShippedResources(l.id)});
  return all;
}

}  // namespace desktop_test
