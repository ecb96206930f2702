#pragma once

// The MSR sentinel dialog: the sentinel option (none, static, dynamic) and, for dynamic
// sentinels, the start and end codes of the three tracks, typed as characters or as hexadecimal
// byte pairs. It only edits values its caller hands in; the caller takes them back after OK.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/settings_record.h"
#include "ui/core/dialog.h"

namespace desktop {

// Hexadecimal entry to bytes: white space around the text is ignored, spaces between pairs are
// skipped, pairs need no separator ("0A1F" = "0A 1F"). A trailing half pair gives an empty
// result, the bytes before it included (as a start code it then fails the length check). A
// character that is not a hexadecimal digit inside a pair (a space included) gives nullopt.
// Any length is accepted; only the caller's length rule limits the result.
std::optional<std::string> HexToSentinelBytes(std::string_view text);

// The checks a code must pass, in this order: not longer than kMaxSentinelBytes, and for a start
// code not empty. Returns the string id of the failure detail, or 0 when the code passes.
int CheckSentinelCode(const std::string& code, bool start_code);

class CDlg_MsrAdvance : public ui::Dialog {
 public:
  CDlg_MsrAdvance();

  // The caller's values, before DoModal. `mode` 0 none, 1 static, 2 dynamic.
  void SetValues(int mode, const std::array<std::string, kSentinelTracks>& start_codes,
                 const std::array<std::string, kSentinelTracks>& end_codes);

  // The values to take back after DoModal returned IDOK. The mode is -1 when no option was ever
  // chosen (the caller handed in none).
  int mode() const { return mode_; }
  const std::array<std::string, kSentinelTracks>& start_codes() const { return start_codes_; }
  const std::array<std::string, kSentinelTracks>& end_codes() const { return end_codes_; }
  // 1 while the edits take hexadecimal pairs.
  int hex_entry() const { return hex_entry_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnOK() override;

 private:
  // The six codes in checking order: start codes of tracks 1..3, then end codes.
  std::string& Code(size_t index);
  static int CodeEdit(size_t index);
  void ShowValues();
  void TakeValues();
  void EnableCodeEdits(bool enabled);
  void ToggleEntryFormat();
  void Refuse(int detail_id);

  int mode_ = -1;
  std::array<std::string, kSentinelTracks> start_codes_;
  std::array<std::string, kSentinelTracks> end_codes_;
  int hex_entry_ = 0;
};

}  // namespace desktop
