#pragma once

#include <span>
#include <string>
#include <string_view>

#include "settings/setting_schema.h"

// The readable keys of the settings record (the settings schema's) and how each value is written
// and read back.
namespace cli {

using settings::setting_schema::ValueKind;
using settings::setting_schema::ValueWord;
using SettingKey = settings::setting_schema::SettingField;

// Every key, in the order the files list them.
std::span<const SettingKey> SettingKeys();
// The key named `key` or its old name (case-insensitive), or nullptr.
const SettingKey* FindSettingKey(std::string_view key);
// The closest known key to a mistyped one, or empty when none is close.
std::string_view SuggestSettingKey(std::string_view key);

// The readable value of `key` in `settings`. A record value no list knows is written as its plain
// number, which ParseSetting takes back.
std::string FormatSetting(const SettingKey& key, const protocol::PrinterSettings& settings);
// Stores `value` for `key` in `settings`, which holds the current values. A value outside the
// allowed ones is still taken when it is exactly what the record already holds (a printer can
// report values the lists do not have, and a file read from it must go back unchanged). False
// with `why` (without the key name) for a value that is refused; `settings` is then unchanged.
bool ParseSetting(const SettingKey& key, std::string_view value,
                  protocol::PrinterSettings* settings, std::string* why);

// True for a value ParseSetting takes only from a record that already holds it (a plain number
// outside the allowed ones, an empty start code): whether it is refused depends on the printer.
bool NeedsHeldValue(const SettingKey& key, std::string_view value);

// Bytes as readable text: printable characters and valid UTF-8 as they are, a backslash as \\,
// any other byte, and each byte of a control character (platform::IsControlCharacter), as \xHH.
std::string EscapeText(std::string_view bytes);
// Appends `byte` as EscapeText writes a byte it cannot show: \xHH.
void AppendHexEscape(std::string* out, unsigned char byte);
// The reverse; false with `why` on a backslash that starts neither \\ nor \xHH.
bool UnescapeText(std::string_view text, std::string* bytes, std::string* why);

}  // namespace cli
