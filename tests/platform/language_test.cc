#include "platform/system/language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace platform {
namespace {

TEST(SystemDefaultLanguageId, MapsLocaleNamesToLanguageIdentifiers) {
  struct Case {
    const char* locale;
    uint16_t id;
  };
  const Case cases[] = {
      {"de_DE.UTF-8", 0x0407},
      {"de_CH.UTF-8", 0x0807},
      {"de_AT", 0x0C07},
      {"de", 0x0407},
      {"de_XX", 0x0407},
      {"zh_TW.UTF-8", 0x0404},
      {"zh_CN.GB18030", 0x0804},
      {"zh_HK.UTF-8", 0x0C04},
      {"zh_SG", 0x1004},
      {"zh_MO", 0x1404},
      {"zh_XX", 0x0004},
      {"es_ES.UTF-8", 0x0C0A},
      {"es_MX", 0x080A},
      {"es_XX", 0x040A},
      {"fr_FR.UTF-8", 0x040C},
      {"fr_CA", 0x0C0C},
      {"hu_HU.UTF-8", 0x040E},
      {"it_IT@euro", 0x0410},
      {"ja_JP.eucJP", 0x0411},
      {"ko_KR.UTF-8", 0x0412},
      {"pl_PL", 0x0415},
      {"ru_RU.KOI8-R", 0x0419},
      {"en_US.UTF-8", 0x0409},
      {"en_GB", 0x0809},
      {"C", 0x0409},
      {"C.UTF-8", 0x0409},
      {"POSIX", 0x0409},
      {"xx_YY", 0x0409},
      {"", 0x0409},
      {"DE_de", 0x0407},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageIdForLocale(c.locale), c.id) << c.locale;
  }
}

TEST(SystemDefaultLanguageId, TakesTheFirstNonEmptyOfLcAllLcMessagesLang) {
  struct Case {
    std::map<std::string, std::string> env;
    uint16_t id;
  };
  const Case cases[] = {
      {{{"LC_ALL", "de_CH.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, 0x0807},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "ja_JP"}}, 0x040C},
      {{{"LANG", "zh_TW.UTF-8"}}, 0x0404},
      {{{"LC_ALL", "C"}, {"LANG", "zh_TW.UTF-8"}}, 0x0409},  // "C" set counts as the choice
      {{}, 0x0409},
  };
  for (const Case& c : cases) {
    const auto env = [&c](const char* name) -> const char* {
      const auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(SystemDefaultLanguageId(env), c.id);
  }
}

TEST(PreferredLanguageIds, ReadLanguageBeforeTheLocaleUnlessTheLocaleIsC) {
  struct Case {
    std::map<std::string, std::string> env;
    std::vector<uint16_t> ids;
  };
  const Case cases[] = {
      {{{"LANGUAGE", "de_CH:eo:fr"}, {"LANG", "ja_JP.UTF-8"}}, {0x0807, 0x040C, 0x0411}},
      {{{"LANGUAGE", ":en::"}, {"LC_MESSAGES", "de_DE"}}, {0x0409, 0x0407}},
      {{{"LANGUAGE", "de"}, {"LC_ALL", "C"}, {"LANG", "fr_FR"}}, {0x0409}},
      {{{"LANGUAGE", "de"}, {"LANG", "POSIX"}}, {0x0409}},
      {{{"LANGUAGE", "de"}, {"LANG", "C.UTF-8"}}, {0x0407, 0x0409}},
      {{{"LANGUAGE", "de"}}, {0x0409}},
  };
  for (const Case& c : cases) {
    const auto env = [&c](const char* name) -> const char* {
      const auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(PreferredLanguageIds(env), c.ids);
  }
}

}  // namespace
}  // namespace platform
