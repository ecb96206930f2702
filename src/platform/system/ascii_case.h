#pragma once

// Case folding of the ASCII letters only, whatever the locale: keys, words, file names and
// hot keys compare alike under every language (a Turkish locale folds 'I' to a dotless i).

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}
inline std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiUpper(c);
  return out;
}

constexpr bool AsciiEqualNoCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

constexpr bool AsciiStartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && AsciiEqualNoCase(text.substr(0, prefix.size()), prefix);
}

// Alphabetical order without regard to case.
constexpr bool AsciiLessNoCase(std::string_view a, std::string_view b) {
  return std::ranges::lexicographical_compare(
      a, b, [](char x, char y) { return AsciiLower(x) < AsciiLower(y); });
}

}  // namespace platform
