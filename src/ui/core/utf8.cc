#include "ui/core/utf8.h"

#include <cstdint>

namespace ui {

size_t Utf8SequenceLength(std::string_view text, size_t pos) {
  if (pos >= text.size()) return 0;
  const auto b0 = static_cast<uint8_t>(text[pos]);
  if (b0 < 0x80) return 1;
  size_t len = 0;
  uint32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (pos + len > text.size()) return 0;
  for (size_t i = 1; i < len; ++i) {
    const auto b = static_cast<uint8_t>(text[pos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
  static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = Utf8SequenceLength(text, pos);
    if (len == 0) return false;
    pos += len;
  }
  return true;
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); ++count) {
    const size_t len = Utf8SequenceLength(text, pos);
    pos += len == 0 ? 1 : len;
  }
  return count;
}

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

}  // namespace ui
