#include "desktop/msr_advance_dlg.h"

#include "desktop/vmsm_tab_strings.h"
#include "desktop/vmsm_templates.h"
#include "platform/hex.h"

namespace desktop {
namespace {

constexpr size_t kCodeCount = 2 * kSentinelTracks;
// Edits in checking order: track 1, 2, 3 start codes, then track 1, 2, 3 end codes.
constexpr std::array<int, kCodeCount> kCodeEdits = {
    vmsm_ctl::kTrack1Start, vmsm_ctl::kTrack2Start, vmsm_ctl::kTrack3Start,
    vmsm_ctl::kTrack1End,   vmsm_ctl::kTrack2End,   vmsm_ctl::kTrack3End,
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::optional<std::string> HexToSentinelBytes(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  std::string bytes;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ' ') {
      ++pos;
      continue;
    }
    if (pos + 1 == text.size()) return std::string();  // half a pair at the end
    const int high = platform::HexDigitValue(text[pos]);
    const int low = platform::HexDigitValue(text[pos + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
    pos += 2;
  }
  return bytes;
}

int CheckSentinelCode(const std::string& code, bool start_code) {
  if (code.size() > kMaxSentinelBytes) return vmsm_tab::kStrSentinelLength;
  if (start_code && code.empty()) return vmsm_tab::kStrSentinelLength;
  return 0;
}

CDlg_MsrAdvance::CDlg_MsrAdvance() : ui::Dialog(MsrAdvanceTemplate()) {}

void CDlg_MsrAdvance::SetValues(int mode,
                                const std::array<std::string, kSentinelTracks>& start_codes,
                                const std::array<std::string, kSentinelTracks>& end_codes) {
  mode_ = mode;
  start_codes_ = start_codes;
  end_codes_ = end_codes;
}

std::string& CDlg_MsrAdvance::Code(size_t index) {
  return index < kSentinelTracks ? start_codes_[index] : end_codes_[index - kSentinelTracks];
}

int CDlg_MsrAdvance::CodeEdit(size_t index) { return kCodeEdits[index]; }

bool CDlg_MsrAdvance::OnInitDialog() {
  // Every run starts with plain characters; the edits then show the codes as they are.
  hex_entry_ = 0;
  ShowValues();
  EnableCodeEdits(mode_ == 2);
  return true;
}

void CDlg_MsrAdvance::ShowValues() {
  SetRadioIndex(vmsm_ctl::kModeNone, mode_);
  for (size_t i = 0; i < kCodeCount; ++i) SetDlgItemText(CodeEdit(i), Code(i));
  CheckDlgButton(vmsm_ctl::kHexCheck, hex_entry_ == 1);
}

void CDlg_MsrAdvance::TakeValues() {
  mode_ = GetRadioIndex(vmsm_ctl::kModeNone);
  for (size_t i = 0; i < kCodeCount; ++i) Code(i) = GetDlgItemText(CodeEdit(i));
  hex_entry_ = IsDlgButtonChecked(vmsm_ctl::kHexCheck) ? 1 : 0;
}

void CDlg_MsrAdvance::EnableCodeEdits(bool enabled) {
  for (int id : kCodeEdits) EnableDlgItem(id, enabled);
}

void CDlg_MsrAdvance::ToggleEntryFormat() {
  if (hex_entry_ == 1) {
    hex_entry_ = 0;
    SetDlgItemText(vmsm_ctl::kHexCheck, LoadString(vmsm_tab::kStrSentinelAscii));
  } else {
    hex_entry_ = 1;
    SetDlgItemText(vmsm_ctl::kHexCheck, LoadString(vmsm_tab::kStrSentinelHex));
  }
  // Text typed in one format means nothing in the other, so the codes start again empty.
  for (size_t i = 0; i < kCodeCount; ++i) Code(i).clear();
  ShowValues();
}

void CDlg_MsrAdvance::OnCommand(int id, ui::Notify code) {
  if (code == ui::Notify::kClicked) {
    switch (id) {
      case vmsm_ctl::kModeNone:
        mode_ = 0;
        EnableCodeEdits(false);
        return;
      case vmsm_ctl::kModeStatic:
        mode_ = 1;
        EnableCodeEdits(false);
        return;
      case vmsm_ctl::kModeDynamic:
        mode_ = 2;
        EnableCodeEdits(true);
        return;
      case vmsm_ctl::kHexCheck:
        ToggleEntryFormat();
        return;
      default:
        break;
    }
  }
  ui::Dialog::OnCommand(id, code);
}

void CDlg_MsrAdvance::Refuse(int detail_id) {
  MessageBox(LoadString(vmsm_tab::kStrInvalidValue) + "\r\n" + LoadString(detail_id),
             LoadString(vmsm_tab::kStrVmsmManager), ui::MB_OK);
}

void CDlg_MsrAdvance::OnOK() {
  TakeValues();
  if (hex_entry_ == 1) {
    for (size_t i = 0; i < kCodeCount; ++i) {
      std::optional<std::string> bytes = HexToSentinelBytes(Code(i));
      if (!bytes) {
        Refuse(vmsm_tab::kStrInvalidHexFormat);
        return;
      }
      Code(i) = std::move(*bytes);
    }
  }
  for (size_t i = 0; i < kCodeCount; ++i) {
    const int detail = CheckSentinelCode(Code(i), i < kSentinelTracks);
    if (detail != 0) {
      Refuse(detail);
      return;
    }
  }
  // The edits now show the codes as the bytes they became, and the values handed back are
  // exactly what they show.
  ShowValues();
  TakeValues();
  EndDialog(ui::IDOK);
}

}  // namespace desktop
