#include "handheld/msr_sentinel_dlg.h"

#include <cstdint>

#include "handheld/wizard_templates.h"
#include "platform/hex.h"
#include "ui/core/utf8.h"

namespace wizard {
namespace {

constexpr size_t kCodeCount = 2 * kSentinelTracks;
// Edits in checking order: track 1, 2, 3 start codes, then track 1, 2, 3 end codes.
constexpr std::array<int, kCodeCount> kCodeEdits = {
    ctl::kTrack1Start, ctl::kTrack2Start, ctl::kTrack3Start,
    ctl::kTrack1End,   ctl::kTrack2End,   ctl::kTrack3End,
};

constexpr std::string_view kInvalidValue = "Invalid value!\r\n";
constexpr std::string_view kInvalidHex = "Invalid HEXA Format!!";
constexpr std::string_view kBadLength = "Sentinel length is over 10 ( length range : 1~10 )";
constexpr std::string_view kAsciiCaption = "ASCII";
constexpr std::string_view kHexCaption = "HEXA";

bool IsBlank(std::string_view c) {
  return c == " " || c == "\t" || c == "\r" || c == "\n" || c == "\v" || c == "\f";
}

// The low eight bits of the character's code; a stray byte stands for itself.
char LowByte(std::string_view c) {
  if (c.size() == 1) return c[0];
  const auto last = static_cast<uint8_t>(c[c.size() - 1]);
  const auto before = static_cast<uint8_t>(c[c.size() - 2]);
  return static_cast<char>(((before & 0x03) << 6) | (last & 0x3F));
}

}  // namespace

std::optional<std::string> HandheldHexToBytes(std::string_view text) {
  std::vector<std::string> chars = ui::Utf8Characters(text);
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
    if (pos + 1 == end) return std::string();  // half a pair at the end
    const int high = platform::HexDigitValue(LowByte(chars[pos]));
    const int low = platform::HexDigitValue(LowByte(chars[pos + 1]));
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    pos += 2;
  }
  return bytes;
}

CMsrSentinelDlg::CMsrSentinelDlg() : ui::Dialog(SentinelTemplate()) {}

void CMsrSentinelDlg::SetValues(int mode,
                                const std::array<std::string, kSentinelTracks>& start_codes,
                                const std::array<std::string, kSentinelTracks>& end_codes) {
  mode_ = mode;
  start_codes_ = start_codes;
  end_codes_ = end_codes;
}

std::string& CMsrSentinelDlg::Code(size_t index) {
  return index < kSentinelTracks ? start_codes_[index] : end_codes_[index - kSentinelTracks];
}

bool CMsrSentinelDlg::OnInitDialog() {
  // Every run starts with plain characters; the edits then show the codes as they are.
  hex_entry_ = false;
  ShowValues();
  EnableCodeEdits(mode_ == 2);
  return true;
}

void CMsrSentinelDlg::ShowValues() {
  SetRadioIndex(ctl::kSentinelNone, mode_ >= 0 && mode_ <= 2 ? mode_ : -1);
  for (size_t i = 0; i < kCodeCount; ++i) SetDlgItemText(kCodeEdits[i], Code(i));
  CheckDlgButton(ctl::kHexCheck, hex_entry_);
}

void CMsrSentinelDlg::TakeValues() {
  const int mode = GetRadioIndex(ctl::kSentinelNone);
  if (mode >= 0) mode_ = mode;
  for (size_t i = 0; i < kCodeCount; ++i) Code(i) = GetDlgItemText(kCodeEdits[i]);
  hex_entry_ = IsDlgButtonChecked(ctl::kHexCheck);
}

void CMsrSentinelDlg::EnableCodeEdits(bool enabled) {
  for (int id : kCodeEdits) EnableDlgItem(id, enabled);
}

void CMsrSentinelDlg::ToggleEntryFormat() {
  hex_entry_ = !hex_entry_;
  SetDlgItemText(ctl::kHexCheck, hex_entry_ ? kHexCaption : kAsciiCaption);
  // Text typed in one format means nothing in the other, so the codes start again empty.
  for (size_t i = 0; i < kCodeCount; ++i) Code(i).clear();
  ShowValues();
}

void CMsrSentinelDlg::OnCommand(int id, ui::Notify code) {
  if (code == ui::Notify::kClicked) {
    switch (id) {
      case ctl::kSentinelNone:
      case ctl::kSentinelStatic:
      case ctl::kSentinelDynamic:
        mode_ = id - ctl::kSentinelNone;
        EnableCodeEdits(id == ctl::kSentinelDynamic);
        return;
      case ctl::kHexCheck:
        ToggleEntryFormat();
        return;
      default:
        break;
    }
  }
  ui::Dialog::OnCommand(id, code);
}

void CMsrSentinelDlg::Refuse(std::string_view detail) {
  // The framework's box: the application's title as caption.
  MessageBox(std::string(kInvalidValue) + std::string(detail), {}, ui::MB_OK);
}

void CMsrSentinelDlg::OnOK() {
  TakeValues();
  if (hex_entry_) {
    for (size_t i = 0; i < kCodeCount; ++i) {
      std::optional<std::string> bytes = HandheldHexToBytes(Code(i));
      if (!bytes) {
        Refuse(kInvalidHex);
        return;
      }
      Code(i) = std::move(*bytes);
    }
  }
  for (size_t i = 0; i < kCodeCount; ++i) {
    const bool start_code = i < kSentinelTracks;
    if (Code(i).size() > kMaxSentinelBytes || (start_code && Code(i).empty())) {
      Refuse(kBadLength);
      return;
    }
  }
  // The edits now show the codes as the bytes they became; what goes back is what they show.
  ShowValues();
  TakeValues();
  EndDialog(ui::IDOK);
}

}  // namespace wizard
