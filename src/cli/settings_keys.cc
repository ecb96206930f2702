#include "cli/settings_keys.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "cli/quote.h"
#include "settings/setting_lists.h"

namespace cli {
namespace {

namespace sl = setting_lists;

// Density words in the list's order, darkest first; the record values are not in order.
constexpr ValueWord kDensityWords[] = {{"150%", 3}, {"140%", 5}, {"130%", 0}, {"120%", 1},
                                       {"110%", 2}, {"100%", 4}, {"90%", 6},  {"80%", 7}};
static_assert([] {
  for (size_t i = 0; i < sl::kDensityRows.size(); ++i) {
    if (kDensityWords[i].value != sl::kDensityRows[i].value) return false;
  }
  return std::size(kDensityWords) == sl::kDensityRows.size();
}());

constexpr ValueWord kSpeedWords[] = {{"90mm/s", 0}, {"50mm/s", 1}};

// Short names of the code page list's rows. The reserved rows have no name: a printer holding
// one shows its number.
constexpr ValueWord kCodePageWords[] = {
    {"PC437", 0},    {"Katakana", 1}, {"PC850", 2},    {"PC860", 3},    {"PC863", 4},
    {"PC865", 5},    {"WPC1252", 6},  {"PC866", 7},    {"PC852", 8},    {"PC858", 9},
    {"PC862", 10},   {"PC864", 11},   {"Thai42", 12},  {"WPC1253", 13}, {"WPC1254", 14},
    {"WPC1257", 15}, {"Farsi", 16},   {"WPC1251", 17}, {"PC737", 18},   {"PC775", 19},
    {"Thai14", 20},  {"WPC1255", 22}, {"Thai11", 23},  {"Thai18", 24},  {"PC855", 25},
    {"PC857", 26},   {"PC928", 27},   {"Thai16", 28},  {"WPC1256", 29}, {"WPC1258", 30},
    {"Khmer", 31},   {"WPC1250", 36},
};
static_assert(sl::kCodePageRows.size() == 37, "a new code page row needs a word here");

constexpr ValueWord kFontWords[] = {{"A", 0}, {"B", 1}, {"C", 2}};
constexpr ValueWord kOffOnWords[] = {{"off", 0}, {"on", 1}};
// The beep switches are set to silence the beep.
constexpr ValueWord kOnOffWords[] = {{"on", 0}, {"off", 1}};
constexpr ValueWord kServiceWords[] = {{"receipt", 0}, {"black_mark", 1}};

// The trigger modes of the current card readers (kMsrTriggerRows), row = Msr.
constexpr ValueWord kMsrTriggerWords[] = {
    {"command", 0},  {"auto-1", 1},   {"auto-2", 2},     {"auto-3", 3},
    {"auto-1-2", 4}, {"auto-2-3", 5}, {"auto-1-2-3", 6}, {"unused", 7},
};
static_assert(std::size(kMsrTriggerWords) == sl::kMsrTriggerRows.size());
constexpr ValueWord kSentinelWords[] = {{"none", 0}, {"static", 1}, {"dynamic", 2}};

constexpr std::array<ValueWord, sl::kBaudRates.size()> kBaudWords = {{
    {"2400", 2400},
    {"4800", 4800},
    {"9600", 9600},
    {"19200", 19200},
    {"38400", 38400},
    {"57600", 57600},
    {"115200", 115200},
}};
constexpr ValueWord kDatabitWords[] = {{"7", 7}, {"8", 8}};
constexpr ValueWord kParityWords[] = {{"none", 0}, {"odd", 1}, {"even", 2}};
// Every value the serial item's digit may hold: the dialogs offer 1 and 2, and a fresh printer
// reports 0.
constexpr ValueWord kStopBitsWords[] = {{"0", 0}, {"1", 1}, {"2", 2}};
constexpr ValueWord kRfInterfaceWords[] = {{"none", 0}, {"1", 1}, {"2", 2}};

constexpr SettingKey Words(std::string_view key, std::string_view comment,
                           uint32_t PrinterSettings::*number, std::span<const ValueWord> words) {
  SettingKey k;
  k.key = key;
  k.comment = comment;
  k.kind = ValueKind::kWords;
  k.number = number;
  k.words = words;
  return k;
}

constexpr SettingKey Renamed(SettingKey key, std::string_view old_key) {
  key.old_key = old_key;
  return key;
}

constexpr SettingKey Number(std::string_view key, std::string_view comment,
                            uint32_t PrinterSettings::*number, uint32_t min, uint32_t max,
                            uint32_t offset = 0) {
  SettingKey k;
  k.key = key;
  k.comment = comment;
  k.kind = ValueKind::kNumber;
  k.number = number;
  k.min = min;
  k.max = max;
  k.offset = offset;
  return k;
}

constexpr SettingKey Text(std::string_view key, std::string_view comment,
                          std::string PrinterSettings::*text, size_t max_bytes) {
  SettingKey k;
  k.key = key;
  k.comment = comment;
  k.kind = ValueKind::kText;
  k.text = text;
  k.max_bytes = max_bytes;
  k.no_line_end = true;
  return k;
}

constexpr SettingKey Sentinel(std::string_view key, std::string_view comment,
                              std::array<std::string, kSentinelTracks> PrinterSettings::*texts,
                              size_t track, bool start) {
  SettingKey k;
  k.key = key;
  k.comment = comment;
  k.kind = ValueKind::kText;
  k.texts = texts;
  k.track = track;
  k.max_bytes = kMaxSentinelBytes;
  k.not_empty = start;
  return k;
}

using PS = PrinterSettings;

// The public key table. Ranges are those the settings dialogs allow; where the printer's command
// could carry more, the dialog's tighter limit applies.
const SettingKey kKeys[] = {
    // Print darkness (Density); percent of the normal darkness, "150" reads as "150%".
    Words("print.density", "150%, 140%, 130%, 120%, 110%, 100%, 90%, 80% (darkest to lightest)",
          &PS::Density, kDensityWords),
    // Printing speed (Speed): full speed or the slower 50 mm/s.
    Words("print.speed", "90mm/s, 50mm/s", &PS::Speed, kSpeedWords),
    // Code page the printer starts with (CodePage).
    Words("print.code_page",
          "PC437, Katakana, PC850, PC860, PC863, PC865, WPC1252, PC866, PC852, PC858, PC862, "
          "PC864, Thai42, WPC1253, WPC1254, WPC1257, Farsi, WPC1251, PC737, PC775, Thai14, "
          "WPC1255, Thai11, Thai18, PC855, PC857, PC928, Thai16, WPC1256, WPC1258, Khmer, WPC1250",
          &PS::CodePage, kCodePageWords),
    // Character font (FontType).
    Words("print.font", "A, B, C", &PS::FontType, kFontWords),
    // Double-byte character mode (LCharMode).
    Words("print.double_byte", "off, on", &PS::LCharMode, kOffOnWords),
    // Paper kind (Service): plain receipt paper or paper with black marks.
    Words("print.paper", "receipt, black_mark", &PS::Service, kServiceWords),
    // Tear-off position (CuttingPosition); the printer uses it with black-mark paper, and only
    // the newer firmware generation has it.
    Number("print.tear_off_position", "0..640 (black-mark paper, newer firmware only)",
           &PS::CuttingPosition, 0, 640),
    // Beep at the end of the paper (BeepPaper).
    Words("beep.paper_end", "on, off", &PS::BeepPaper, kOnOffWords),
    // Beep on a low battery (BeepLowBat).
    Words("beep.low_battery", "on, off", &PS::BeepLowBat, kOnOffWords),
    // Minutes without use before the printer switches itself off (TimeOff), 0 never.
    Number("power.off_minutes", "0..90 minutes, 0 never", &PS::TimeOff, 0, 90),
    // Seconds without use before the printer saves power (TimeSave).
    Number("power.save_seconds", "0..255 seconds", &PS::TimeSave, 0, 255),
    // Card reader trigger (Msr): read on command, read the named tracks when a card is swiped,
    // or no reader use. Older readers number their modes differently; the words are the current
    // readers' modes.
    Words("msr.trigger", "command, auto-1, auto-2, auto-3, auto-1-2, auto-2-3, auto-1-2-3, unused",
          &PS::Msr, kMsrTriggerWords),
    // Sentinels around the card data (Sentinel); dynamic uses the track codes below.
    Words("msr.sentinel", "none, static, dynamic", &PS::Sentinel, kSentinelWords),
    // Start and end codes of each track (SentinelStart, SentinelEnd).
    Sentinel("msr.track1.start", "1..10 bytes", &PS::SentinelStart, 0, true),
    Sentinel("msr.track1.end", "0..10 bytes", &PS::SentinelEnd, 0, false),
    Sentinel("msr.track2.start", "1..10 bytes", &PS::SentinelStart, 1, true),
    Sentinel("msr.track2.end", "0..10 bytes", &PS::SentinelEnd, 1, false),
    Sentinel("msr.track3.start", "1..10 bytes", &PS::SentinelStart, 2, true),
    Sentinel("msr.track3.end", "0..10 bytes", &PS::SentinelEnd, 2, false),
    // Serial port (Baudrate, Databit, Parity, Flowcontrol). Flowcontrol is the item the dialogs
    // label "Stop Bits", offering "1" and "2"; they show the 0 of a fresh printer as "2". Its
    // first name, after the record field, is still read.
    Words("serial.baud_rate", "2400, 4800, 9600, 19200, 38400, 57600, 115200", &PS::Baudrate,
          kBaudWords),
    Words("serial.data_bits", "7, 8", &PS::Databit, kDatabitWords),
    Words("serial.parity", "none, odd, even", &PS::Parity, kParityWords),
    Renamed(
        Words("serial.stop_bits", "0, 1, 2 (a fresh printer holds 0, which the dialogs show as 2)",
              &PS::Flowcontrol, kStopBitsWords),
        "serial.flow_control"),
    // Bluetooth name and PIN (BtName, BtPin), counted in bytes as sent (UTF-8).
    Text("bluetooth.name", "0..30 bytes (a character outside ASCII takes 2 to 4)", &PS::BtName,
         kMaxBtNameChars),
    Text("bluetooth.pin", "0..12 bytes", &PS::BtPin, kMaxBtPinChars),
    // Bluetooth security (BtSecurity).
    Words("bluetooth.security", "off, on", &PS::BtSecurity, kOffOnWords),
    // Bluetooth connection mode (BtConnMode 0..2 is mode 1..3).
    Number("bluetooth.connection_mode", "1, 2, 3", &PS::BtConnMode, 1, 3, 1),
    // Bluetooth Low Energy (BleMode).
    Words("bluetooth.ble", "off, on", &PS::BleMode, kOffOnWords),
    // Radio interface in use (RfInterface): none, or one of the two.
    Words("radio.interface", "none, 1, 2", &PS::RfInterface, kRfInterfaceWords),
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

// Words compare without case and without the separators people write in different ways
// ("Black Mark", "black-mark", "auto 1/2", "150").
std::string Folded(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '-' || c == '_' || c == '/' || c == '%') continue;
    out.push_back(Lower(c));
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

// The length of the valid UTF-8 character at `pos`, or 0 when the byte there starts none.
size_t Utf8Length(std::string_view s, size_t pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > s.size()) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Added to the refusal of a number that would be taken from a printer holding it.
constexpr std::string_view kHeldHint =
    " (a number outside these is only kept on a printer that already holds it)";

std::string WordList(const SettingKey& key) {
  std::string out;
  for (const ValueWord& w : key.words) out += (out.empty() ? "" : ", ") + std::string(w.word);
  return out;
}

std::string& TextOf(const SettingKey& key, PrinterSettings& settings) {
  return key.texts != nullptr ? (settings.*key.texts)[key.track] : settings.*key.text;
}

const std::string& TextOf(const SettingKey& key, const PrinterSettings& settings) {
  return key.texts != nullptr ? (settings.*key.texts)[key.track] : settings.*key.text;
}

bool ParseWords(const SettingKey& key, std::string_view value, PrinterSettings* settings,
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
  *why = Quoted(value) + " is not one of " + WordList(key);
  if (NeedsHeldValue(key, value)) *why += kHeldHint;
  return false;
}

bool ParseNumberValue(const SettingKey& key, std::string_view value, PrinterSettings* settings,
                      std::string* why) {
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

bool ParseText(const SettingKey& key, std::string_view value, PrinterSettings* settings,
               std::string* why) {
  std::string bytes;
  if (!UnescapeText(value, &bytes, why)) return false;
  if (bytes.size() > key.max_bytes) {
    *why = std::to_string(bytes.size()) + " bytes, at most " + std::to_string(key.max_bytes) +
           " are allowed";
    return false;
  }
  if (key.no_line_end && bytes.find('\r') != std::string::npos) {
    *why = "a line end (0Dh, \\x0D) cannot be part of it";
    return false;
  }
  std::string& text = TextOf(key, *settings);
  if (key.not_empty && bytes.empty() && !text.empty()) {
    *why = "empty; a start code needs 1 to " + std::to_string(key.max_bytes) + " bytes";
    return false;
  }
  text = std::move(bytes);
  return true;
}

}  // namespace

std::span<const SettingKey> SettingKeys() { return kKeys; }

const SettingKey* FindSettingKey(std::string_view key) {
  const std::string lower = LowerCase(Trimmed(key));
  for (const SettingKey& k : kKeys) {
    if (k.key == lower || (!k.old_key.empty() && k.old_key == lower)) return &k;
  }
  return nullptr;
}

std::string_view SuggestSettingKey(std::string_view key) {
  const std::string lower = LowerCase(Trimmed(key));
  std::string_view best;
  size_t best_distance = 3;  // more than two edits away is no longer a typing slip
  for (const SettingKey& k : kKeys) {
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
  for (const SettingKey& k : kKeys) {
    const std::string_view name = k.key.substr(k.key.rfind('.') + 1);
    if (last == name || last == "." + std::string(name)) return k.key;
  }
  return {};
}

std::string FormatSetting(const SettingKey& key, const PrinterSettings& settings) {
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

bool ParseSetting(const SettingKey& key, std::string_view value, PrinterSettings* settings,
                  std::string* why) {
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
  if (key.kind == ValueKind::kText) return key.not_empty && value.empty();
  const std::optional<uint32_t> number = ParseNumber(Trimmed(value));
  if (!number) return false;
  if (key.kind == ValueKind::kNumber) return *number < key.min || *number > key.max;
  const std::string folded = Folded(value);
  return std::none_of(key.words.begin(), key.words.end(), [&](const ValueWord& w) {
    return w.value == *number || Folded(w.word) == folded;
  });
}

std::string EscapeText(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[pos]);
    if (c == '\\') {
      out += "\\\\";
      ++pos;
    } else if (c >= 0x20 && c < 0x7F) {
      out.push_back(static_cast<char>(c));
      ++pos;
    } else if (const size_t length = c >= 0x80 ? Utf8Length(bytes, pos) : 0; length > 0) {
      out.append(bytes.substr(pos, length));
      pos += length;
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
      ++pos;
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
    const int high = pos + 3 < text.size() && text[pos + 1] == 'x' ? HexValue(text[pos + 2]) : -1;
    const int low = high >= 0 ? HexValue(text[pos + 3]) : -1;
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
