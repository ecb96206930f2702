#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "protocol/settings_record.h"

// The readable keys of the settings record and how each value is written and read back. The key
// names, their order and the value words are what people keep in their settings files: add keys
// and words, but never reorder the existing ones, and a renamed key keeps reading its old name.
namespace cli {

enum class ValueKind {
  kWords,   // one word of a list per record value
  kNumber,  // a decimal number, shown as the record value plus `offset`
  kText,    // bytes as sent to the printer, with \xHH and \\ escapes for the unprintable
};

struct ValueWord {
  std::string_view word;
  uint32_t value;
};

struct SettingKey {
  std::string_view key;
  std::string_view old_key;  // an earlier name files may still carry; read, never written
  std::string_view comment;  // the allowed values, as the ini file shows them above the key
  ValueKind kind = ValueKind::kWords;
  uint32_t PrinterSettings::*number = nullptr;  // kWords and kNumber
  std::span<const ValueWord> words;             // kWords
  uint32_t min = 0;                             // kNumber, as shown
  uint32_t max = 0;
  uint32_t offset = 0;
  std::string PrinterSettings::*text = nullptr;  // kText: a single text ...
  std::array<std::string, kSentinelTracks> PrinterSettings::*texts = nullptr;  // ... or a track's
  size_t track = 0;
  size_t max_bytes = 0;      // kText, counted in bytes as sent
  bool not_empty = false;    // kText: at least one byte
  bool no_line_end = false;  // kText: 0Dh ends the text in the command, so it cannot be inside
};

// Every key, in the order the files list them.
std::span<const SettingKey> SettingKeys();
// The key named `key` or its old name (case-insensitive), or nullptr.
const SettingKey* FindSettingKey(std::string_view key);
// The closest known key to a mistyped one, or empty when none is close.
std::string_view SuggestSettingKey(std::string_view key);

// The readable value of `key` in `settings`. A record value no list knows is written as its plain
// number, which ParseSetting takes back.
std::string FormatSetting(const SettingKey& key, const PrinterSettings& settings);
// Stores `value` for `key` in `settings`, which holds the current values. A value outside the
// allowed ones is still taken when it is exactly what the record already holds (a printer can
// report values the lists do not have, and a file read from it must go back unchanged). False
// with `why` (without the key name) for a value that is refused; `settings` is then unchanged.
bool ParseSetting(const SettingKey& key, std::string_view value, PrinterSettings* settings,
                  std::string* why);

// True for a value ParseSetting takes only from a record that already holds it (a plain number
// outside the allowed ones, an empty start code): whether it is refused depends on the printer.
bool NeedsHeldValue(const SettingKey& key, std::string_view value);

// Bytes as readable text: printable characters and valid UTF-8 as they are, a backslash as \\,
// any other byte as \xHH.
std::string EscapeText(std::string_view bytes);
// The reverse; false with `why` on a backslash that starts neither \\ nor \xHH.
bool UnescapeText(std::string_view text, std::string* bytes, std::string* why);

}  // namespace cli
