#include "settings/setting_schema.h"

#include "settings/setting_lists.h"

namespace settings::setting_schema {
namespace {

namespace sl = setting_lists;

// The words of a list whose row is the record value.
template <size_t N>
constexpr std::array<ValueWord, N> RowWords(const std::array<std::string_view, N>& rows) {
  std::array<ValueWord, N> words{};
  for (size_t row = 0; row < N; ++row) words[row] = {rows[row], static_cast<uint32_t>(row)};
  return words;
}

// Density words in the list's order, darkest first ("150%"); the record values are not in order.
constexpr auto kDensityWords = [] {
  std::array<ValueWord, sl::kDensityRows.size()> words{};
  for (size_t row = 0; row < words.size(); ++row) {
    const std::string_view suffix = sl::kDensityRows[row].suffix;
    words[row] = {suffix.substr(suffix.find_first_not_of(' ')), sl::kDensityRows[row].value};
  }
  return words;
}();

constexpr auto kSpeedWords = RowWords(sl::kSpeedRows);

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

constexpr ValueWord kDatabitWords[] = {{"7", 7}, {"8", 8}};
constexpr ValueWord kParityWords[] = {{"none", 0}, {"odd", 1}, {"even", 2}};
// Every value the serial item's digit may hold: the dialogs offer 1 and 2, and a fresh printer
// reports 0.
constexpr ValueWord kStopBitsWords[] = {{"0", 0}, {"1", 1}, {"2", 2}};
constexpr ValueWord kRfInterfaceWords[] = {{"none", 0}, {"1", 1}, {"2", 2}};

constexpr SettingField Words(std::string_view key, std::string_view comment,
                             uint32_t protocol::PrinterSettings::*number,
                             std::span<const ValueWord> words) {
  return {.key = key, .comment = comment, .number = number, .words = words};
}

constexpr SettingField Renamed(SettingField key, std::string_view old_key) {
  key.old_key = old_key;
  return key;
}

constexpr SettingField Number(std::string_view key, std::string_view comment,
                              uint32_t protocol::PrinterSettings::*number, uint32_t min,
                              uint32_t max, uint32_t offset = 0) {
  return {.key = key,
          .comment = comment,
          .kind = ValueKind::kNumber,
          .number = number,
          .min = min,
          .max = max,
          .offset = offset};
}

constexpr SettingField Text(std::string_view key, std::string_view comment,
                            std::string protocol::PrinterSettings::*text, size_t max_bytes) {
  return {.key = key,
          .comment = comment,
          .kind = ValueKind::kText,
          .text = text,
          .max_bytes = max_bytes,
          .no_line_end = true};
}

constexpr SettingField Sentinel(
    std::string_view key, std::string_view comment,
    std::array<std::string, protocol::kSentinelTracks> protocol::PrinterSettings::*texts,
    size_t track, bool start) {
  return {.key = key,
          .comment = comment,
          .kind = ValueKind::kText,
          .texts = texts,
          .track = track,
          .max_bytes = protocol::kMaxSentinelBytes,
          .not_empty = start};
}

using PS = protocol::PrinterSettings;

// The public key table. Ranges are those the settings dialogs allow; where the printer's command
// could carry more, the dialog's tighter limit applies.
const SettingField kKeys[] = {
    // Print darkness (Density); percent of the normal darkness, "150" reads as "150%".
    Words("print.density", "(darkest to lightest)", &PS::Density, kDensityWords),
    // Printing speed (Speed): full speed or the slower 50 mm/s.
    Words("print.speed", "", &PS::Speed, kSpeedWords),
    // Code page the printer starts with (CodePage).
    Words("print.code_page", "", &PS::CodePage, kCodePageWords),
    // Character font (FontType).
    Words("print.font", "", &PS::FontType, kFontWords),
    // Double-byte character mode (LCharMode).
    Words("print.double_byte", "", &PS::LCharMode, kOffOnWords),
    // Paper kind (Service): plain receipt paper or paper with black marks.
    Words("print.paper", "", &PS::Service, kServiceWords),
    // Tear-off position (CuttingPosition); the printer uses it with black-mark paper, and only
    // the newer firmware generation has it.
    Number("print.tear_off_position", "0..640 (black-mark paper, newer firmware only)",
           &PS::CuttingPosition, 0, 640),
    // Beep at the end of the paper (BeepPaper).
    Words("beep.paper_end", "", &PS::BeepPaper, kOnOffWords),
    // Beep on a low battery (BeepLowBat).
    Words("beep.low_battery", "", &PS::BeepLowBat, kOnOffWords),
    // Minutes without use before the printer switches itself off (TimeOff), 0 never.
    Number("power.off_minutes", "0..90 minutes, 0 never", &PS::TimeOff, 0, 90),
    // Seconds without use before the printer saves power (TimeSave).
    Number("power.save_seconds", "0..255 seconds", &PS::TimeSave, 0, 255),
    // Card reader trigger (Msr): read on command, read the named tracks when a card is swiped,
    // or no reader use. Older readers number their modes differently; the words are the current
    // readers' modes.
    Words("msr.trigger", "", &PS::Msr, kMsrTriggerWords),
    // Sentinels around the card data (Sentinel); dynamic uses the track codes below.
    Words("msr.sentinel", "", &PS::Sentinel, kSentinelWords),
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
    Words("serial.baud_rate", "", &PS::Baudrate, sl::kBaudRates),
    Words("serial.data_bits", "", &PS::Databit, kDatabitWords),
    Words("serial.parity", "", &PS::Parity, kParityWords),
    Renamed(Words("serial.stop_bits", "(a fresh printer holds 0, which the dialogs show as 2)",
                  &PS::Flowcontrol, kStopBitsWords),
            "serial.flow_control"),
    // Bluetooth name and PIN (BtName, BtPin), counted in bytes as sent (UTF-8).
    Text("bluetooth.name", "0..30 bytes (a character outside ASCII takes 2 to 4)", &PS::BtName,
         protocol::kMaxBtNameChars),
    Text("bluetooth.pin", "0..12 bytes", &PS::BtPin, protocol::kMaxBtPinChars),
    // Bluetooth security (BtSecurity).
    Words("bluetooth.security", "", &PS::BtSecurity, kOffOnWords),
    // Bluetooth connection mode (BtConnMode 0..2 is mode 1..3).
    Number("bluetooth.connection_mode", "1, 2, 3", &PS::BtConnMode, 1, 3, 1),
    // Bluetooth Low Energy (BleMode).
    Words("bluetooth.ble", "", &PS::BleMode, kOffOnWords),
    // Radio interface in use (RfInterface): none, or one of the two.
    Words("radio.interface", "", &PS::RfInterface, kRfInterfaceWords),
};

}  // namespace

std::span<const SettingField> SettingFields() { return kKeys; }

std::string WordList(const SettingField& field) {
  std::string out;
  for (const ValueWord& w : field.words) out += (out.empty() ? "" : ", ") + std::string(w.word);
  return out;
}

std::string AllowedValues(const SettingField& field) {
  if (field.kind != ValueKind::kWords) return std::string(field.comment);
  return WordList(field) + (field.comment.empty() ? "" : " ") + std::string(field.comment);
}

const SettingField& FieldOf(uint32_t protocol::PrinterSettings::*number) {
  static constexpr SettingField kNoSetting;  // BtSkip: the programs' own, not a setting
  for (const SettingField& field : kKeys) {
    if (field.number == number) return field;
  }
  return kNoSetting;
}

}  // namespace settings::setting_schema
