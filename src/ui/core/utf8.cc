#include "ui/core/utf8.h"

#include <algorithm>
#include <cstdint>

#include "platform/system/utf8_text.h"

namespace ui {
namespace {

struct Range {
  char32_t first, last;
};
// Zero-width: combining marks (Latin, Cyrillic, Hebrew, Arabic, kana voicing), the Hangul vowel
// and final jamo that join the initial before them, zero-width spaces and joiners, variation
// selectors.
constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x1160, 0x11FF}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x20D0, 0x20FF},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}};
// East Asian Wide and Fullwidth: Hangul initials, CJK punctuation, kana, ideographs, Yi, Hangul
// syllables, compatibility and vertical forms, full-width Latin and signs.
constexpr Range kWide[] = {{0x1100, 0x115F}, {0x2E80, 0x303E},  {0x3041, 0x33FF}, {0x3400, 0x4DBF},
                           {0x4E00, 0x9FFF}, {0xA000, 0xA4CF},  {0xA960, 0xA97F}, {0xAC00, 0xD7A3},
                           {0xF900, 0xFAFF}, {0xFE10, 0xFE19},  {0xFE30, 0xFE6F}, {0xFF00, 0xFF60},
                           {0xFFE0, 0xFFE6}, {0x20000, 0x3FFFD}};

template <size_t N>
bool In(const Range (&table)[N], char32_t cp) {
  return std::any_of(table, table + N, [cp](Range r) { return cp >= r.first && cp <= r.last; });
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t pos) {
  char32_t cp = 0;
  return platform::DecodeUtf8(text, pos, &cp);
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = Utf8SequenceLength(text, pos);
    if (len == 0) return false;
    pos += len;
  }
  return true;
}

size_t Utf8Length(std::string_view text) { return Utf8Characters(text).size(); }

std::vector<std::string> Utf8Characters(std::string_view text) {
  std::vector<std::string> chars;
  for (size_t pos = 0; pos < text.size();) {
    size_t len = Utf8SequenceLength(text, pos);
    if (len == 0) len = 1;
    chars.emplace_back(text.substr(pos, len));
    pos += len;
  }
  return chars;
}

std::string JoinCharacters(const std::vector<std::string>& chars, size_t from) {
  std::string text;
  for (size_t i = from; i < chars.size(); ++i) text += chars[i];
  return text;
}

int CharCells(std::string_view utf8_char) {
  char32_t cp = 0;
  if (platform::DecodeUtf8(utf8_char, 0, &cp) == 0) return utf8_char.empty() ? 0 : 1;
  return In(kZeroWidth, cp) ? 0 : In(kWide, cp) ? 2 : 1;
}

int TextCells(std::string_view text) {
  int cells = 0;
  for (const auto& c : Utf8Characters(text)) cells += CharCells(c);
  return cells;
}

std::string_view ShownChar(std::string_view utf8_char) {
  char32_t cp = 0;
  if (utf8_char.empty() || platform::DecodeUtf8(utf8_char, 0, &cp) != utf8_char.size()) {
    return "\uFFFD";
  }
  return platform::IsControlCharacter(cp) ? "?" : utf8_char;
}

}  // namespace ui
