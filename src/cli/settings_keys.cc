#include "cli/settings_keys.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "cli/quote.h"
#include "platform/system/ascii_case.h"
#include "platform/system/hex.h"
#include "platform/system/utf8_text.h"

namespace cli {
namespace {

// Words compare without case and without the separators people write in different ways
// ("Black Mark", "black-mark", "auto 1/2", "150").
std::string Folded(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '-' || c == '_' || c == '/' || c == '%') continue;
    out.push_back(platform::AsciiLower(c));
  }
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<uint32_t> ParseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Quoted(std::string_view text) { return QuotedPrefix(text); }

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Added to the refusal of a number that would be taken from a printer holding it.
constexpr std::string_view kHeldHint =
    " (a number outside these is only kept on a printer that already holds it)";

std::string& TextOf(const SettingKey& key, protocol::PrinterSettings& settings) {
  return key.texts != nullptr ? (settings.*key.texts)[key.track] : settings.*key.text;
}

const std::string& TextOf(const SettingKey& key, const protocol::PrinterSettings& settings) {
  return key.texts != nullptr ? (settings.*key.texts)[key.track] : settings.*key.text;
}

bool ParseWords(const SettingKey& key, std::string_view value, protocol::PrinterSettings* settings,
                std::string* why) {
  const std::string folded = Folded(value);
  for (const ValueWord& w : key.words) {
    if (Folded(w.word) == folded) {
      settings->*key.number = w.value;
      return true;
    }
  }
  // The plain number of a value no list knows goes back only to a record that holds it.
  const std::optional<uint32_t> number = ParseNumber(Trimmed(value));
  if (number && *number == settings->*key.number) {
    const bool listed = std::any_of(key.words.begin(), key.words.end(),
                                    [&](const ValueWord& w) { return w.value == *number; });
    if (!listed) return true;
  }
  *why = Quoted(value) + " is not one of " + settings::setting_schema::WordList(key);
  if (NeedsHeldValue(key, value)) *why += kHeldHint;
  return false;
}

bool ParseNumberValue(const SettingKey& key, std::string_view value,
                      protocol::PrinterSettings* settings, std::string* why) {
  const std::optional<uint32_t> number = ParseNumber(Trimmed(value));
  const std::string range = std::to_string(key.min) + ".." + std::to_string(key.max);
  if (!number) {
    *why = Quoted(value) + " is not a number; allowed are " + range;
    return false;
  }
  const uint32_t stored = *number - key.offset;  // wraps like the printer's own numbering
  if ((*number < key.min || *number > key.max) && stored != settings->*key.number) {
    *why =
        std::to_string(*number) + " is out of range; allowed are " + range + std::string(kHeldHint);
    return false;
  }
  settings->*key.number = stored;
  return true;
}

bool ParseText(const SettingKey& key, std::string_view value, protocol::PrinterSettings* settings,
               std::string* why) {
  std::string bytes;
  if (!UnescapeText(value, &bytes, why)) return false;
  std::string& text = TextOf(key, *settings);
  // A text the printer already holds goes back as it is, as a number outside the list does: a
  // file saved from such a printer must load again.
  if (bytes == text) return true;
  if (bytes.size() > key.max_bytes) {
    *why = std::to_string(bytes.size()) + " bytes, at most " + std::to_string(key.max_bytes) +
           " are allowed (a longer text is only kept on a printer that already holds it)";
    return false;
  }
  if (key.no_line_end && bytes.find('\r') != std::string::npos) {
    *why = "a line end (0Dh, \\x0D) cannot be part of it";
    return false;
  }
  // The printer's replies end a text at 00h and part a track's two codes with 1Fh: either byte
  // inside a text would not be what the printer keeps or reports.
  if (bytes.find('\0') != std::string::npos) {
    *why = "a NUL byte (00h, \\x00) cannot be part of it";
    return false;
  }
  if (key.texts != nullptr && bytes.find('\x1F') != std::string::npos) {
    *why = "1Fh (\\x1F) parts a track's two codes, so it cannot be part of one";
    return false;
  }
  if (key.not_empty && bytes.empty() && !text.empty()) {
    *why = "empty; a start code needs 1 to " + std::to_string(key.max_bytes) + " bytes";
    return false;
  }
  text = std::move(bytes);
  return true;
}

}  // namespace

std::span<const SettingKey> SettingKeys() { return settings::setting_schema::SettingFields(); }

const SettingKey* FindSettingKey(std::string_view key) {
  const std::string lower = platform::AsciiLower(Trimmed(key));
  for (const SettingKey& k : SettingKeys()) {
    if (k.key == lower || (!k.old_key.empty() && k.old_key == lower)) return &k;
  }
  return nullptr;
}

std::string_view SuggestSettingKey(std::string_view key) {
  const std::string lower = platform::AsciiLower(Trimmed(key));
  std::string_view best;
  size_t best_distance = 3;  // more than two edits away is no longer a typing slip
  for (const SettingKey& k : SettingKeys()) {
    const size_t distance = EditDistance(lower, k.key);
    if (distance < best_distance) {
      best_distance = distance;
      best = k.key;
    }
  }
  if (!best.empty()) return best;
  // A key given without its group ("density") or in the wrong one.
  const size_t dot = lower.rfind('.');
  const std::string_view last = std::string_view(lower).substr(dot == std::string::npos ? 0 : dot);
  for (const SettingKey& k : SettingKeys()) {
    const std::string_view name = k.key.substr(k.key.rfind('.') + 1);
    if (last == name || last == "." + std::string(name)) return k.key;
  }
  return {};
}

std::string FormatSetting(const SettingKey& key, const protocol::PrinterSettings& settings) {
  switch (key.kind) {
    case ValueKind::kWords: {
      const uint32_t value = settings.*key.number;
      for (const ValueWord& w : key.words) {
        if (w.value == value) return std::string(w.word);
      }
      return std::to_string(value);
    }
    case ValueKind::kNumber:
      return std::to_string(settings.*key.number + key.offset);
    case ValueKind::kText:
      return EscapeText(TextOf(key, settings));
  }
  return {};
}

bool ParseSetting(const SettingKey& key, std::string_view value,
                  protocol::PrinterSettings* settings, std::string* why) {
  switch (key.kind) {
    case ValueKind::kWords:
      return ParseWords(key, value, settings, why);
    case ValueKind::kNumber:
      return ParseNumberValue(key, value, settings, why);
    case ValueKind::kText:
      return ParseText(key, value, settings, why);
  }
  return false;
}

bool NeedsHeldValue(const SettingKey& key, std::string_view value) {
  if (key.kind == ValueKind::kText) {
    if (key.not_empty && value.empty()) return true;
    // A printer may hold a longer text than it can be given, or one with a line end.
    std::string bytes;
    std::string why;
    return UnescapeText(value, &bytes, &why) &&
           (bytes.size() > key.max_bytes ||
            (key.no_line_end && bytes.find('\r') != std::string::npos));
  }
  const std::optional<uint32_t> number = ParseNumber(Trimmed(value));
  if (!number) return false;
  if (key.kind == ValueKind::kNumber) return *number < key.min || *number > key.max;
  const std::string folded = Folded(value);
  return std::none_of(key.words.begin(), key.words.end(), [&](const ValueWord& w) {
    return w.value == *number || Folded(w.word) == folded;
  });
}

void AppendHexEscape(std::string* out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  *out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
}

std::string EscapeText(std::string_view bytes) {
  std::string out;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[pos]);
    char32_t cp = 0;
    const size_t length = platform::DecodeUtf8(bytes, pos, &cp);
    if (c == '\\') {
      out += "\\\\";
      ++pos;
    } else if (length > 0 && !platform::IsControlCharacter(cp)) {
      out.append(bytes.substr(pos, length));
      pos += length;
    } else {
      // A stray byte, or every byte of a control character: the terminal must not obey it.
      for (size_t i = 0; i < std::max<size_t>(length, 1); ++i) {
        AppendHexEscape(&out, static_cast<unsigned char>(bytes[pos + i]));
      }
      pos += std::max<size_t>(length, 1);
    }
  }
  return out;
}

bool UnescapeText(std::string_view text, std::string* bytes, std::string* why) {
  std::string out;
  for (size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '\\') {
      out.push_back(text[pos]);
      continue;
    }
    if (pos + 1 < text.size() && text[pos + 1] == '\\') {
      out.push_back('\\');
      ++pos;
      continue;
    }
    const int high =
        pos + 3 < text.size() && text[pos + 1] == 'x' ? platform::HexDigitValue(text[pos + 2]) : -1;
    const int low = high >= 0 ? platform::HexDigitValue(text[pos + 3]) : -1;
    if (low < 0) {
      *why = "a backslash must start \\xHH (a byte in hex) or \\\\ (a backslash)";
      return false;
    }
    out.push_back(static_cast<char>(high * 16 + low));
    pos += 3;
  }
  *bytes = std::move(out);
  return true;
}

}  // namespace cli
