#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/settings_record.h"

// The settings record as readable keys and values, for settings files and the command line.
// Nothing here talks to a printer: the caller reads the record, applies what the user gave and
// writes back only once everything was accepted. Keys, ranges and words:
// settings/setting_schema.cc.
namespace cli {

inline constexpr int kSettingsFormatVersion = 1;

struct SettingEntry {
  std::string key;
  std::string value;
  std::string comment;  // the allowed values
};

// Every setting of the record, in the key table's order, with readable values.
std::vector<SettingEntry> DescribeSettings(const protocol::PrinterSettings& settings);

// The ini text: a header comment (format version and `header_lines`, e.g. the printer's address
// and model), a format_version line, then one "key = value" line per setting with its allowed
// values in a comment above it. Values that would not survive the line as they are (spaces at
// either end, '#', ';', quotes, nothing at all) are written in double quotes.
std::string SettingsToIni(const protocol::PrinterSettings& settings,
                          const std::vector<std::string>& header_lines);

// {"format_version":1,"settings":{"print.density":"150%",...}}, keys in the table's order.
nlohmann::ordered_json SettingsToJson(const protocol::PrinterSettings& settings);

struct Assignment {
  std::string key;
  std::string value;
  std::string origin;  // "file.ini:12", "file.json" or "argument 3"
};

// A settings file: JSON as SettingsToJson writes it (a file starting with '{') or ini. Refuses a
// format_version other than kSettingsFormatVersion, bad syntax (naming the line) and a key given
// twice. Keys are not checked here; ApplyAssignments does that.
bool ParseSettingsText(std::string_view text, const std::string& file_name,
                       std::vector<Assignment>* out, std::string* error);

// One "KEY=VALUE" command-line argument, `index` counted as the caller shows it. The value is
// taken as it is, spaces included.
bool ParseAssignmentArgument(std::string_view text, int index, Assignment* out, std::string* error);

// Applies the assignments to `settings` (what the printer reported). Every key and every value
// is checked first; on any refusal `settings` stays as it was and `error` lists each refused
// assignment with its origin, key, value and what is allowed, one a line.
bool ApplyAssignments(const std::vector<Assignment>& assignments,
                      protocol::PrinterSettings* settings, std::string* error);

// The checks ApplyAssignments makes that need no printer: for a set over several printers, so
// that nothing is sent to any of them when a key or value is wrong. A value that only a printer
// already holding it takes (a plain number outside the allowed ones) passes here and is decided
// by ApplyAssignments on each printer.
bool CheckAssignments(const std::vector<Assignment>& assignments, std::string* error);

struct SettingChange {
  std::string key;
  std::string before;
  std::string after;
};

// The settings whose readable values differ, in the key table's order.
std::vector<SettingChange> DiffSettings(const protocol::PrinterSettings& before,
                                        const protocol::PrinterSettings& after);

}  // namespace cli
