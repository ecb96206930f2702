#include "settings/dialogs/sentinel_dlg.h"

#include <cstdint>
#include <vector>

#include "platform/system/hex.h"
#include "ui/core/utf8.h"

namespace settings {
namespace {

constexpr size_t kCodeCount = 2 * protocol::kSentinelTracks;

bool IsBlank(std::string_view c) {
  return c == " " || c == "\t" || c == "\r" || c == "\n" || c == "\v" || c == "\f";
}

// The low eight bits of the character's code; a single byte stands for itself.
char LowByte(std::string_view c) {
  if (c.size() == 1) return c[0];
  const auto last = static_cast<uint8_t>(c[c.size() - 1]);
  const auto before = static_cast<uint8_t>(c[c.size() - 2]);
  return static_cast<char>(((before & 0x03) << 6) | (last & 0x3F));
}

}  // namespace

std::optional<std::string> SentinelHexToBytes(std::string_view text, bool by_character) {
  std::vector<std::string> chars;
  if (by_character) {
    chars = ui::Utf8Characters(text);
  } else {
    for (char c : text) chars.emplace_back(1, c);
  }
  size_t begin = 0;
  size_t end = chars.size();
  while (begin < end && IsBlank(chars[begin])) ++begin;
  while (end > begin && IsBlank(chars[end - 1])) --end;
  std::string bytes;
  for (size_t pos = begin; pos < end;) {
    if (chars[pos] == " ") {
      ++pos;
      continue;
    }
    // Half a pair at the end is a typing slip, not an empty code: taken as empty, it would erase
    // an end code without a word.
    if (pos + 1 == end) return std::nullopt;
    const int high = platform::HexDigitValue(LowByte(chars[pos]));
    const int low = platform::HexDigitValue(LowByte(chars[pos + 1]));
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    pos += 2;
  }
  return bytes;
}

bool SentinelCodeFits(const std::string& code, bool start_code) {
  return code.size() <= protocol::kMaxSentinelBytes && !(start_code && code.empty());
}

bool SentinelCodeBytesKept(const std::string& code) {
  return code.find('\0') == std::string::npos && code.find('\x1F') == std::string::npos;
}

SentinelDialog::SentinelDialog(const ui::Template& layout, const SentinelForm& form)
    : ui::Dialog(layout), form_(form) {}

void SentinelDialog::SetValues(int mode, const TrackCodes& start_codes,
                               const TrackCodes& end_codes) {
  mode_ = mode;
  start_codes_ = start_codes;
  end_codes_ = end_codes;
}

std::string& SentinelDialog::Code(size_t index) {
  return index < protocol::kSentinelTracks ? start_codes_[index]
                                           : end_codes_[index - protocol::kSentinelTracks];
}

bool SentinelDialog::OnInitDialog() {
  // Every run starts with plain characters; the edits then show the codes as they are.
  hex_entry_ = false;
  ShowValues();
  EnableCodeEdits(mode_ == 2);
  return true;
}

void SentinelDialog::ShowValues() {
  // A mode the dialog cannot show checks no option.
  SetRadioIndex(form_.first_mode, mode_);
  for (size_t i = 0; i < kCodeCount; ++i) SetDlgItemText(form_.code_edits[i], Code(i));
  CheckDlgButton(form_.hex_check, hex_entry_);
}

void SentinelDialog::TakeValues() {
  mode_ = GetRadioIndex(form_.first_mode);
  for (size_t i = 0; i < kCodeCount; ++i) Code(i) = GetDlgItemText(form_.code_edits[i]);
  hex_entry_ = IsDlgButtonChecked(form_.hex_check);
}

void SentinelDialog::EnableCodeEdits(bool enabled) {
  for (int id : form_.code_edits) EnableDlgItem(id, enabled);
}

void SentinelDialog::ToggleEntryFormat() {
  hex_entry_ = !hex_entry_;
  const SentinelWords words = form_.words(*this);
  SetDlgItemText(form_.hex_check, hex_entry_ ? words.hex : words.ascii);
  // Text typed in one format means nothing in the other, so the codes start again empty.
  for (size_t i = 0; i < kCodeCount; ++i) Code(i).clear();
  ShowValues();
}

void SentinelDialog::OnCommand(int id, ui::Notify code) {
  if (code == ui::Notify::kClicked) {
    if (id >= form_.first_mode && id <= form_.first_mode + 2) {
      mode_ = id - form_.first_mode;
      EnableCodeEdits(mode_ == 2);
      return;
    }
    if (id == form_.hex_check) {
      ToggleEntryFormat();
      return;
    }
  }
  ui::Dialog::OnCommand(id, code);
}

void SentinelDialog::Refuse(const std::string& detail) {
  const SentinelWords words = form_.words(*this);
  MessageBox(words.invalid_value + detail, words.caption, ui::MB_OK);
}

void SentinelDialog::OnOK() {
  TakeValues();
  if (hex_entry_) {
    for (size_t i = 0; i < kCodeCount; ++i) {
      std::optional<std::string> bytes = SentinelHexToBytes(Code(i), form_.hex_by_character);
      if (!bytes) {
        Refuse(form_.words(*this).invalid_hex);
        return;
      }
      Code(i) = std::move(*bytes);
    }
  }
  for (size_t i = 0; i < kCodeCount; ++i) {
    if (!SentinelCodeFits(Code(i), i < protocol::kSentinelTracks)) {
      Refuse(form_.words(*this).bad_length);
      return;
    }
    if (!SentinelCodeBytesKept(Code(i))) {
      Refuse(form_.words(*this).bad_byte);
      return;
    }
  }
  // The edits now show the codes as the bytes they became; what goes back is what they show.
  ShowValues();
  TakeValues();
  EndDialog(ui::IDOK);
}
}  // namespace settings
