#include "cli/quote.h"

#include <algorithm>

#include "platform/system/utf8_text.h"

namespace cli {

std::string QuotedPrefix(std::string_view text) {
  if (text.size() <= kQuotedBytes) return "\"" + std::string(text) + "\"";
  const size_t end = platform::Utf8PrefixLength(text, kQuotedBytes);
  return "\"" + std::string(text.substr(0, end)) + "...\" (" + std::to_string(text.size()) +
         " bytes)";
}

std::string ScreenSafe(std::string_view text, bool keep_line_ends) {
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    char32_t cp = 0;
    const size_t length = platform::DecodeUtf8(text, pos, &cp);
    if (keep_line_ends && cp == '\n' && length == 1) {
      out += '\n';
    } else if (length == 0 || platform::IsControlCharacter(cp)) {
      out += '?';
    } else {
      out.append(text.substr(pos, length));
    }
    pos += std::max<size_t>(length, 1);
  }
  return out;
}

}  // namespace cli
