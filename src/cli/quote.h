#pragma once

// How messages show a piece of the user's input or of a printer's reply: in double quotes, and
// only its start when it is long, so that a bad value of a megabyte makes a message of a line;
// and never with a character the terminal would obey.

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// Bytes of the input a message shows at most.
inline constexpr size_t kQuotedBytes = 40;

// "text", or for a longer text its first kQuotedBytes bytes (not cutting a UTF-8 character)
// as "start..." (12345 bytes).
std::string QuotedPrefix(std::string_view text);

// `text` with each control character (platform::IsControlCharacter: an escape sequence, U+009B,
// a right-to-left override) and each byte that is no UTF-8 shown as '?'; a line end stays when
// `keep_line_ends`.
std::string ScreenSafe(std::string_view text, bool keep_line_ends = false);

}  // namespace cli
