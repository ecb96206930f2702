#pragma once

// How messages show a piece of the user's input: in double quotes, and only its start when it
// is long, so that a bad value of a megabyte makes a message of a line.

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// Bytes of the input a message shows at most.
inline constexpr size_t kQuotedBytes = 40;

// "text", or for a longer text its first kQuotedBytes bytes (not cutting a UTF-8 character)
// as "start..." (12345 bytes).
std::string QuotedPrefix(std::string_view text);

}  // namespace cli
