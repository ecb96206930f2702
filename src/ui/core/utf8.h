#pragma once

// Small UTF-8 helpers the framework needs (character counts, keystroke splitting, validation,
// and the cells a terminal gives each character).

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
// Characters from index `from` on, joined into a text again.
std::string JoinCharacters(const std::vector<std::string>& chars, size_t from = 0);

// Cells a character (one of Utf8Characters) takes on a terminal: 2 for East Asian wide and
// full-width forms, 0 for combining marks and invisible joiners, 1 otherwise (a stray byte too).
// Our own table rather than wcwidth, whose answers depend on the locale the process runs in.
int CharCells(std::string_view utf8_char);
// Cells of a whole text.
int TextCells(std::string_view text);
// What a terminal shows for a character: U+FFFD (one cell) for a stray byte, "?" for a control
// character (platform::IsControlCharacter), which the terminal would obey or which would reorder
// the line, the character itself otherwise.
std::string_view ShownChar(std::string_view utf8_char);

}  // namespace ui
