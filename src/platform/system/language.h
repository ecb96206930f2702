#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

namespace platform {

// English (United States), what a missing, "C" or unknown locale stands for.
inline constexpr uint16_t kLanguageEnglishUs = 0x0409;

// The system default language identifier (primary language in the low 10 bits, sublanguage in
// the high 6 bits) derived from the POSIX locale: the first non-empty of LC_ALL, LC_MESSAGES and
// LANG, read as "ll_CC.codeset@modifier".
uint16_t SystemDefaultLanguageId(const std::function<const char*(const char*)>& getenv = ::getenv);

// The languages the user asks for, most wanted first: the entries of LANGUAGE, a list of locale
// names such as "de_CH:fr" (read, as gettext reads it, only when the locale is neither unset nor
// "C" or "POSIX"; entries naming a language without an identifier left out), then the system
// default language. Never empty.
std::vector<uint16_t> PreferredLanguageIds(
    const std::function<const char*(const char*)>& getenv = ::getenv);

// The identifier for one locale name such as "de_CH.UTF-8".
uint16_t LanguageIdForLocale(const char* locale);

}  // namespace platform
