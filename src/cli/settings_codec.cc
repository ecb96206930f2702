#include "cli/settings_codec.h"

#include <algorithm>
#include <map>
#include <set>

#include "cli/quote.h"
#include "cli/settings_keys.h"
#include "platform/system/ascii_case.h"

namespace cli {
namespace {

constexpr size_t kCommentWidth = 98;

// Nesting a settings file may have: the root object, "settings", and one more level so that a
// value given as an array or object is still refused under its key.
constexpr size_t kMaxJsonDepth = 3;

// A key as messages show it: as it is, or the start of one too long to be any. Keys are plain
// ASCII, so any other byte (a no-break space, a byte order mark pasted mid-file) is shown as \xHH:
// it would look like nothing.
std::string Shown(std::string_view key) {
  std::string shown;
  for (const char c : key) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown += c;
    } else {
      AppendHexEscape(&shown, byte);
    }
  }
  return shown.size() <= kQuotedBytes ? shown : QuotedPrefix(shown);
}

// The offset of the first '[' or '{' that opens more than `limit` levels, or npos. Counted
// without parsing, so that neither the parser nor a message recurses through a value nested
// far deeper than any settings file.
size_t JsonTooDeepAt(std::string_view text, size_t limit) {
  size_t depth = 0;
  bool in_string = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;  // the escaped character
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return i;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return std::string_view::npos;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The part of a key's group before the first dot: files leave a blank line between groups.
std::string_view Group(std::string_view key) { return key.substr(0, key.find('.')); }

// "# text" lines, wrapped between words so that long value lists stay readable.
void AppendComment(std::string_view text, std::string* out) {
  std::string line = "#";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(pos, end - pos);
    pos = end + 1;
    if (word.empty()) continue;
    if (line.size() + 1 + word.size() > kCommentWidth && line.size() > 3) {
      *out += line + "\n";
      line = "#  ";
    }
    line += " ";
    line += word;
  }
  *out += line + "\n";
}

// A value that the ini line would change (trimmed ends, comment characters, a leading quote, or
// nothing at all) goes in double quotes.
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return true;
  if (IsBlank(value.front()) || IsBlank(value.back()) || value.front() == '"') return true;
  return value.find_first_of("#;") != std::string_view::npos;
}

// In double quotes, with a '"' inside written \x22 (only texts hold one, and in them \xHH is any
// byte), so the reader's closing quote is the last one whatever follows an inner quote.
std::string Quoted(std::string_view value) {
  std::string out = "\"";
  for (char c : value) out += c == '"' ? std::string("\\x22") : std::string(1, c);
  return out + "\"";
}

// The value part of an ini line (after '='), without an inline comment; false with `why`.
bool IniValue(std::string_view rest, std::string* value, std::string* why) {
  rest = Trimmed(rest);
  if (!rest.empty() && rest.front() == '"') {
    // The closing quote is the first one followed by nothing but blanks or a comment.
    bool quote_seen = false;
    for (size_t end = 1; end < rest.size(); ++end) {
      if (rest[end] != '"') continue;
      quote_seen = true;
      const std::string_view after = Trimmed(rest.substr(end + 1));
      if (after.empty() || after.front() == '#' || after.front() == ';') {
        // `"x" #y"` is the value x with a comment, or the name x" #y as an earlier writer of
        // these files left it: refused rather than guessed, since a guess could rename a
        // printer.
        if (!after.empty() && after.find('"') != std::string_view::npos) {
          *why =
              "a quote follows the value's closing quote; write a \" in a value as \\x22 and "
              "a comment holding quotes on a line of its own";
          return false;
        }
        *value = std::string(rest.substr(1, end - 1));
        return true;
      }
    }
    *why = quote_seen ? "text after the closing quote; a comment starts with # or ;"
                      : "the quoted value has no closing quote";
    return false;
  }
  size_t end = rest.size();
  for (size_t i = 0; i < rest.size(); ++i) {
    if ((rest[i] == '#' || rest[i] == ';') && (i == 0 || IsBlank(rest[i - 1]))) {
      end = i;
      break;
    }
  }
  if (end == 0 && !rest.empty()) {
    *why =
        "the value starts with a comment character; write it in double quotes, or \"\" for "
        "an empty value";
    return false;
  }
  *value = std::string(Trimmed(rest.substr(0, end)));
  return true;
}

std::string VersionRefusal(const std::string& found) {
  return "format_version " + Shown(found) + " is not known; this program reads format_version " +
         std::to_string(kSettingsFormatVersion);
}

// "[print]", as other programs' ini files group their keys: a name between brackets.
bool IsSectionHeader(std::string_view line) {
  if (line.size() < 3 || line.front() != '[' || line.back() != ']') return false;
  return std::all_of(line.begin() + 1, line.end() - 1, [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-' || c == ' ';
  });
}

bool ParseIni(std::string_view text, const std::string& file_name, std::vector<Assignment>* out,
              std::string* error) {
  std::vector<Assignment> assignments;
  std::map<std::string, size_t> first_line;  // key -> line
  // Lines end in LF or CR LF; a file with CR alone (an old Mac editor) has no LF at all.
  const bool cr_alone = text.find('\n') == std::string_view::npos;
  size_t line_number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(cr_alone ? '\r' : '\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trimmed(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    const std::string where = file_name + ":" + std::to_string(line_number);
    const size_t equals = line.find('=');
    const std::string key = platform::AsciiLower(Trimmed(line.substr(0, equals)));
    if (equals == std::string_view::npos && IsSectionHeader(line)) {
      *error = where + ": " + QuotedPrefix(line) +
               ": sections are not used here; write each key whole (print.density = 150%)";
      return false;
    }
    if (equals == std::string_view::npos || key.empty()) {
      *error = where + ": expected KEY = VALUE, found " + QuotedPrefix(line);
      return false;
    }
    std::string value;
    std::string why;
    if (!IniValue(line.substr(equals + 1), &value, &why)) {
      *error = where + ": " + Shown(key) + ": " + why;
      return false;
    }
    if (const auto [it, added] = first_line.emplace(key, line_number); !added) {
      *error = where + ": " + Shown(key) + " is given twice (first on line " +
               std::to_string(it->second) + ")";
      return false;
    }
    if (key == "format_version") {
      if (value != std::to_string(kSettingsFormatVersion)) {
        *error = where + ": " + VersionRefusal(value);
        return false;
      }
      continue;
    }
    assignments.push_back({key, std::move(value), where});
  }
  *out = std::move(assignments);
  return true;
}

bool ParseJson(std::string_view text, const std::string& file_name, std::vector<Assignment>* out,
               std::string* error) {
  using Json = nlohmann::ordered_json;
  if (const size_t at = JsonTooDeepAt(text, kMaxJsonDepth); at != std::string_view::npos) {
    *error = file_name + ": nested deeper than a settings file is (byte " + std::to_string(at + 1) +
             "); a value is a string or a number";
    return false;
  }
  // A value as a message shows it; the parser has checked its text is UTF-8.
  const auto dumped = [](const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
  };
  // The parser keeps one of two equal keys silently; a file that names a key twice is refused.
  // One with far more keys than settings exist is no settings file, and would take the parser
  // seconds (it looks up each key among the ones before it).
  constexpr size_t kMaxKeys = 1000;
  struct TooManyKeys {};
  size_t keys = 0;
  std::vector<std::set<std::string>> open_objects;
  std::string duplicate;
  const Json::parser_callback_t track_keys = [&](int, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::key && ++keys > kMaxKeys) throw TooManyKeys{};
    if (event == Json::parse_event_t::object_start) open_objects.emplace_back();
    if (event == Json::parse_event_t::object_end && !open_objects.empty()) open_objects.pop_back();
    if (event == Json::parse_event_t::key && !open_objects.empty() && duplicate.empty() &&
        !open_objects.back().insert(parsed.get<std::string>()).second) {
      duplicate = parsed.get<std::string>();
    }
    return true;
  };
  Json root;
  try {
    root = Json::parse(text.begin(), text.end(), track_keys);
  } catch (const TooManyKeys&) {
    *error = file_name + ": more than " + std::to_string(kMaxKeys) +
             " keys; a settings file has one for each setting";
    return false;
  } catch (const Json::exception& e) {
    // Syntax errors, and numbers too large for a double (1e400).
    std::string what = e.what();
    // Drop the library's "[json.exception.parse_error.101] " tag; the position stays.
    if (const size_t tag_end = what.find("] ");
        !what.empty() && what.front() == '[' && tag_end != std::string::npos) {
      what.erase(0, tag_end + 2);
    }
    if (what.size() > 4 * kQuotedBytes) what = what.substr(0, 4 * kQuotedBytes) + "...";
    *error = file_name + ": " + what;
    return false;
  }
  if (!duplicate.empty()) {
    *error = file_name + ": " + Shown(duplicate) + " is given twice";
    return false;
  }
  if (!root.is_object()) {
    *error = file_name + ": expected an object {\"format_version\": 1, \"settings\": {...}}";
    return false;
  }
  for (const auto& [name, member] : root.items()) {
    if (name != "format_version" && name != "settings") {
      *error = file_name + ": unknown member " + QuotedPrefix(name) +
               "; expected format_version, settings";
      return false;
    }
  }
  if (root.contains("format_version")) {
    const Json& version = root["format_version"];
    if (!version.is_number_integer() || version.get<int64_t>() != kSettingsFormatVersion) {
      *error = file_name + ": " + VersionRefusal(dumped(version));
      if (version.is_string()) *error += " (a number, not a text in quotes)";
      return false;
    }
  }
  if (!root.contains("settings") || !root["settings"].is_object()) {
    *error = file_name + ": expected \"settings\": {\"key\": \"value\", ...}";
    return false;
  }
  std::vector<Assignment> assignments;
  for (const auto& [key, value] : root["settings"].items()) {
    std::string text_value;
    if (value.is_string()) {
      text_value = value.get<std::string>();
    } else if (value.is_number_integer()) {
      text_value = value.dump();
    } else {
      *error = file_name + ": " + Shown(key) + ": the value must be a string, found " +
               QuotedPrefix(dumped(value));
      return false;
    }
    assignments.push_back({platform::AsciiLower(key), std::move(text_value), file_name});
  }
  *out = std::move(assignments);
  return true;
}

// ApplyAssignments, or with `defer_held` its checks that need no printer.
bool Apply(const std::vector<Assignment>& assignments, bool defer_held,
           protocol::PrinterSettings* settings, std::string* error) {
  protocol::PrinterSettings changed = *settings;
  std::vector<std::string> refusals;
  std::map<std::string_view, const Assignment*> given;
  for (const Assignment& a : assignments) {
    const std::string where = a.origin.empty() ? std::string() : a.origin + ": ";
    const SettingKey* key = FindSettingKey(a.key);
    if (key == nullptr) {
      const std::string_view suggestion = SuggestSettingKey(a.key);
      refusals.push_back(where + "unknown key " + Shown(a.key) +
                         (suggestion.empty() ? std::string()
                                             : " (did you mean " + std::string(suggestion) + "?)"));
      continue;
    }
    if (const auto [it, added] = given.emplace(key->key, &a); !added) {
      refusals.push_back(where + std::string(key->key) + " is given twice (also " +
                         it->second->origin + ")");
      continue;
    }
    std::string why;
    if (!ParseSetting(*key, a.value, &changed, &why) &&
        !(defer_held && NeedsHeldValue(*key, a.value))) {
      refusals.push_back(where + std::string(key->key) + ": " + why);
    }
  }
  if (!refusals.empty()) {
    // A file that is not a settings file at all would bury the terminal in refusals.
    constexpr size_t kMaxShown = 20;
    error->clear();
    for (size_t i = 0; i < refusals.size() && i < kMaxShown; ++i) {
      *error += (error->empty() ? "" : "\n") + refusals[i];
    }
    if (refusals.size() > kMaxShown) {
      const size_t more = refusals.size() - kMaxShown;
      *error += "\n" + std::to_string(more) + (more == 1 ? " more refusal (" : " more refusals (") +
                std::to_string(refusals.size()) + " in all)";
    }
    return false;
  }
  *settings = std::move(changed);
  return true;
}

}  // namespace

std::vector<SettingEntry> DescribeSettings(const protocol::PrinterSettings& settings) {
  std::vector<SettingEntry> entries;
  for (const SettingKey& key : SettingKeys()) {
    entries.push_back({std::string(key.key), FormatSetting(key, settings),
                       settings::setting_schema::AllowedValues(key)});
  }
  return entries;
}

std::string SettingsToIni(const protocol::PrinterSettings& settings,
                          const std::vector<std::string>& header_lines) {
  std::string out = "# Pelliset printer settings, format version " +
                    std::to_string(kSettingsFormatVersion) + "\n";
  for (const std::string& line : header_lines) AppendComment(line, &out);
  out +=
      "# Apply with: pelliset settings set FILE. Words are read in any case. Double quotes keep\n"
      "# spaces at either end, '#' and ';' in a value; in texts \\xHH is any byte, \\\\ a "
      "backslash.\n"
      "format_version = " +
      std::to_string(kSettingsFormatVersion) + "\n";
  std::string group;
  for (const SettingEntry& entry : DescribeSettings(settings)) {
    if (Group(entry.key) != group) {
      group = Group(entry.key);
      out += "\n";
    }
    AppendComment(entry.comment, &out);
    out +=
        entry.key + " = " + (NeedsQuotes(entry.value) ? Quoted(entry.value) : entry.value) + "\n";
  }
  return out;
}

nlohmann::ordered_json SettingsToJson(const protocol::PrinterSettings& settings) {
  nlohmann::ordered_json values = nlohmann::ordered_json::object();
  for (const SettingEntry& entry : DescribeSettings(settings)) values[entry.key] = entry.value;
  nlohmann::ordered_json root;
  root["format_version"] = kSettingsFormatVersion;
  root["settings"] = std::move(values);
  return root;
}

bool ParseSettingsText(std::string_view text, const std::string& file_name,
                       std::vector<Assignment>* out, std::string* error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte order mark
  // UTF-16 (an editor's "Unicode") has a byte order mark of its own, or NULs in ASCII text.
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF") ||
      text.find('\0') != std::string_view::npos) {
    *error = file_name + ": not UTF-8 text (UTF-16?); save it as UTF-8";
    return false;
  }
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '{') {
    return ParseJson(text, file_name, out, error);
  }
  if (first != std::string_view::npos && text[first] == '[' && nlohmann::json::accept(text)) {
    *error = file_name +
             ": a JSON settings file holds one object ({...}), as settings get --format json "
             "writes it, not a list";
    return false;
  }
  return ParseIni(text, file_name, out, error);
}

bool ParseAssignmentArgument(std::string_view text, int index, Assignment* out,
                             std::string* error) {
  const std::string origin = "argument " + std::to_string(index);
  const size_t equals = text.find('=');
  const std::string key = platform::AsciiLower(Trimmed(text.substr(0, equals)));
  if (equals == std::string_view::npos || key.empty()) {
    *error = origin + ": " + QuotedPrefix(text) + " is not KEY=VALUE";
    return false;
  }
  *out = {key, std::string(text.substr(equals + 1)), origin};
  return true;
}

bool ApplyAssignments(const std::vector<Assignment>& assignments,
                      protocol::PrinterSettings* settings, std::string* error) {
  return Apply(assignments, false, settings, error);
}

bool CheckAssignments(const std::vector<Assignment>& assignments, std::string* error) {
  protocol::PrinterSettings scratch;
  return Apply(assignments, true, &scratch, error);
}

std::vector<SettingChange> DiffSettings(const protocol::PrinterSettings& before,
                                        const protocol::PrinterSettings& after) {
  std::vector<SettingChange> changes;
  for (const SettingKey& key : SettingKeys()) {
    std::string old_value = FormatSetting(key, before);
    std::string new_value = FormatSetting(key, after);
    if (old_value != new_value) {
      changes.push_back({std::string(key.key), std::move(old_value), std::move(new_value)});
    }
  }
  return changes;
}

}  // namespace cli
