#include "platform/system/utf8_text.h"

#include <bit>
#include <cstdint>

namespace platform {

size_t DecodeUtf8(std::string_view text, size_t pos, char32_t* code_point) {
  if (pos >= text.size()) return 0;
  const auto b0 = static_cast<uint8_t>(text[pos]);
  *code_point = b0;
  if (b0 < 0x80) return 1;
  // The lead byte's leading ones give the length (110xxxxx: 2 ... 11110xxx: 4), the rest the value.
  const auto len = static_cast<size_t>(std::countl_one(b0));
  if (len < 2 || len > 4 || pos + len > text.size()) return 0;
  uint32_t cp = b0 & (0x7Fu >> len);
  for (size_t i = 1; i < len; ++i) {
    const auto b = static_cast<uint8_t>(text[pos + i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
  static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  *code_point = cp;
  return len;
}

}  // namespace platform
