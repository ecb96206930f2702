#include "platform/system/language.h"

#include <optional>
#include <string>
#include <string_view>

#include "platform/system/ascii_case.h"

namespace platform {
namespace {

struct PrimaryLanguage {
  const char* code;  // ISO 639-1
  uint16_t primary;
  uint16_t sublanguage_alone;  // when the locale names no country
};

// Languages the program has translations for come first; the others keep their identifiers
// right so a future translation needs no change here.
constexpr PrimaryLanguage kPrimaryLanguages[] = {
    {"zh", 0x04, 2},  // a bare "zh" is most often mainland Chinese
    {"de", 0x07, 1}, {"es", 0x0A, 3}, {"fr", 0x0C, 1}, {"hu", 0x0E, 1}, {"it", 0x10, 1},
    {"ja", 0x11, 1}, {"ko", 0x12, 1}, {"pl", 0x15, 1}, {"ru", 0x19, 1}, {"en", 0x09, 1},
    {"ar", 0x01, 1}, {"bg", 0x02, 1}, {"ca", 0x03, 1}, {"cs", 0x05, 1}, {"da", 0x06, 1},
    {"el", 0x08, 1}, {"fi", 0x0B, 1}, {"he", 0x0D, 1}, {"is", 0x0F, 1}, {"nl", 0x13, 1},
    {"nb", 0x14, 1}, {"no", 0x14, 1}, {"pt", 0x16, 1}, {"ro", 0x18, 1}, {"hr", 0x1A, 1},
    {"sk", 0x1B, 1}, {"sv", 0x1D, 1}, {"th", 0x1E, 1}, {"tr", 0x1F, 1}, {"id", 0x21, 1},
    {"uk", 0x22, 1}, {"sl", 0x24, 1}, {"vi", 0x2A, 1},
};

struct CountrySublanguage {
  const char* language;
  const char* country;  // ISO 3166-1
  uint16_t sublanguage;
};

constexpr CountrySublanguage kSublanguages[] = {
    {"zh", "TW", 1},  {"zh", "CN", 2},  {"zh", "HK", 3},  {"zh", "SG", 4},  {"zh", "MO", 5},
    {"de", "DE", 1},  {"de", "CH", 2},  {"de", "AT", 3},  {"de", "LU", 4},  {"de", "LI", 5},
    {"es", "ES", 3},  {"es", "MX", 2},  {"es", "GT", 4},  {"es", "CR", 5},  {"es", "PA", 6},
    {"es", "DO", 7},  {"es", "VE", 8},  {"es", "CO", 9},  {"es", "PE", 10}, {"es", "AR", 11},
    {"es", "EC", 12}, {"es", "CL", 13}, {"es", "UY", 14}, {"es", "PY", 15}, {"es", "BO", 16},
    {"es", "SV", 17}, {"es", "HN", 18}, {"es", "NI", 19}, {"es", "PR", 20}, {"es", "US", 21},
    {"fr", "FR", 1},  {"fr", "BE", 2},  {"fr", "CA", 3},  {"fr", "CH", 4},  {"fr", "LU", 5},
    {"fr", "MC", 6},  {"it", "IT", 1},  {"it", "CH", 2},  {"en", "US", 1},  {"en", "GB", 2},
    {"en", "AU", 3},  {"en", "CA", 4},  {"en", "NZ", 5},  {"en", "IE", 6},  {"en", "ZA", 7},
    {"nl", "NL", 1},  {"nl", "BE", 2},  {"pt", "BR", 1},  {"pt", "PT", 2},  {"sv", "SE", 1},
    {"sv", "FI", 2},
};

uint16_t Make(uint16_t primary, uint16_t sublanguage) {
  return static_cast<uint16_t>(sublanguage << 10 | primary);
}

// The identifier for a locale name, nullopt for a language without one here ("C", "POSIX",
// "eo"...).
std::optional<uint16_t> FindLanguageId(std::string_view name) {
  // "ll_CC.codeset@modifier": the codeset and modifier do not choose the language.
  name = name.substr(0, name.find_first_of(".@"));
  const size_t underscore = name.find('_');
  const std::string language = AsciiLower(name.substr(0, underscore));
  const std::string country = underscore == std::string_view::npos
                                  ? std::string()
                                  : AsciiUpper(name.substr(underscore + 1));
  for (const PrimaryLanguage& p : kPrimaryLanguages) {
    if (language != p.code) continue;
    if (country.empty()) return Make(p.primary, p.sublanguage_alone);
    for (const CountrySublanguage& s : kSublanguages) {
      if (language == s.language && country == s.country) return Make(p.primary, s.sublanguage);
    }
    // A country without an identifier: the default sublanguage, except for Chinese, where the
    // sublanguage chooses the script and a guess would show the wrong one.
    return Make(p.primary, p.primary == 0x04 ? 0 : 1);
  }
  return std::nullopt;
}

// The locale the messages follow: the first non-empty of LC_ALL, LC_MESSAGES and LANG.
std::string_view MessagesLocale(const std::function<const char*(const char*)>& getenv) {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(variable);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return {};
}

}  // namespace

uint16_t LanguageIdForLocale(const char* locale) {
  if (locale == nullptr) return kLanguageEnglishUs;
  return FindLanguageId(locale).value_or(kLanguageEnglishUs);
}

uint16_t SystemDefaultLanguageId(const std::function<const char*(const char*)>& getenv) {
  return FindLanguageId(MessagesLocale(getenv)).value_or(kLanguageEnglishUs);
}

std::vector<uint16_t> PreferredLanguageIds(const std::function<const char*(const char*)>& getenv) {
  std::vector<uint16_t> ids;
  const std::string_view locale = MessagesLocale(getenv);
  const char* language = getenv("LANGUAGE");
  // As in gettext, the list is not read when the locale is unset, C or POSIX; C.UTF-8 can show
  // every translation, so it reads the list.
  if (!locale.empty() && locale != "C" && locale != "POSIX" && language != nullptr) {
    std::string_view rest = language;
    while (!rest.empty()) {
      const size_t colon = rest.find(':');
      if (const auto id = FindLanguageId(rest.substr(0, colon))) ids.push_back(*id);
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
  }
  ids.push_back(SystemDefaultLanguageId(getenv));
  return ids;
}

}  // namespace platform
