#include "cli/quote.h"

namespace cli {

std::string QuotedPrefix(std::string_view text) {
  if (text.size() <= kQuotedBytes) return "\"" + std::string(text) + "\"";
  size_t end = kQuotedBytes;
  // Back to the start of a character: continuation bytes are 10xxxxxx.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return "\"" + std::string(text.substr(0, end)) + "...\" (" + std::to_string(text.size()) +
         " bytes)";
}

}  // namespace cli
