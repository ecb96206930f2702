#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "protocol/settings_record.h"

// The settings schema: every setting with its readable key, the values it allows (value words, a
// number range or a text length) and the record field it lives in. The settings dialogs, the
// handheld wizard and the command line all take their ranges and words from here. The key names,
// their order and the value words are what people keep in their settings files: add keys and
// words, but never reorder the existing ones, and a renamed key keeps reading its old name.
namespace settings::setting_schema {

enum class ValueKind {
  kWords,   // one word of a list per record value
  kNumber,  // a decimal number, shown as the record value plus `offset`
  kText,    // bytes as sent to the printer, with \xHH and \\ escapes for the unprintable
};

struct ValueWord {
  std::string_view word;
  uint32_t value;
};

struct SettingField {
  std::string_view key{};
  std::string_view old_key{};  // an earlier name files may still carry; read, never written
  // The allowed values as the ini file shows them above the key; for kWords what follows the
  // list of the words.
  std::string_view comment{};
  ValueKind kind = ValueKind::kWords;
  uint32_t protocol::PrinterSettings::*number = nullptr;  // kWords and kNumber
  std::span<const ValueWord> words{};                     // kWords
  uint32_t min = 0;                                       // kNumber, as shown
  uint32_t max = 0;
  uint32_t offset = 0;
  std::string protocol::PrinterSettings::*text = nullptr;  // kText: a single text ...
  std::array<std::string, protocol::kSentinelTracks> protocol::PrinterSettings::*texts =
      nullptr;  // ... or a track's
  size_t track = 0;
  size_t max_bytes = 0;      // kText, counted in bytes as sent
  bool not_empty = false;    // kText: at least one byte
  bool no_line_end = false;  // kText: 0Dh ends the text in the command, so it cannot be inside
};

// Every setting, in the order the files list them.
std::span<const SettingField> SettingFields();
// The words of a kWords setting, as "a, b, c".
std::string WordList(const SettingField& field);
// The allowed values as the ini file shows them above the key.
std::string AllowedValues(const SettingField& field);
// The setting kept in number field `number` of the record; an empty one for BtSkip, which is
// the programs' own and no setting.
const SettingField& FieldOf(uint32_t protocol::PrinterSettings::*number);

}  // namespace settings::setting_schema
