#pragma once

// Reading UTF-8 one character at a time, and telling the characters that are no text on a screen.

#include <cstddef>
#include <string_view>

namespace platform {

// Length of the valid UTF-8 sequence at text[pos] (0 when there is none: a stray byte, an
// overlong form, a surrogate, a value beyond Unicode) and its code point.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t* code_point);

// C0 and C1 controls and DEL, which terminals obey (U+009B starts a control sequence like ESC [),
// and the bidirectional embeddings, overrides and isolates, which reorder what follows them on
// screen: a printer's name holding one could pass for another text.
constexpr bool IsControlCharacter(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2066 && cp <= 0x2069);
}

// How many bytes of `text` to keep so that at most `max_bytes` remain and no character is cut:
// back to the start of a character (continuation bytes are 10xxxxxx).
constexpr size_t Utf8PrefixLength(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text.size();
  size_t end = max_bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return end;
}

}  // namespace platform
