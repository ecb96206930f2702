#pragma once

// Small UTF-8 helpers the framework needs (character counts, keystroke splitting, validation).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// Length of the valid UTF-8 sequence starting at text[pos], or 0 when the bytes there are not one.
size_t Utf8SequenceLength(std::string_view text, size_t pos);
bool IsValidUtf8(std::string_view text);
// Characters: each valid sequence counts one, each stray byte counts one.
size_t Utf8Length(std::string_view text);
// The text cut into characters as above (one keystroke each).
std::vector<std::string> Utf8Characters(std::string_view text);

}  // namespace ui
