#pragma once

// The handheld's MSR sentinel dialog: the sentinel option (none, static, dynamic) and the start and
// end codes of the three tracks, typed as characters or as hexadecimal byte pairs. It edits only
// the values its caller hands in; the caller takes them back after OK.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/settings_record.h"
#include "ui/core/dialog.h"

namespace wizard {

// Hexadecimal entry to bytes. White space around the text is ignored and spaces between pairs
// are skipped; pairs need no separator. Each character is judged as a digit by the low eight
// bits of its code (the handheld's edits hold 16-bit characters and look at one byte of each), so
// a character beyond ASCII can pass for a digit. A trailing half pair gives an empty result; any
// other non-digit inside a pair gives nullopt.
std::optional<std::string> HandheldHexToBytes(std::string_view text);

class CMsrSentinelDlg : public ui::Dialog {
 public:
  CMsrSentinelDlg();

  // The caller's values, before DoModal. `mode` 0 none, 1 static, 2 dynamic.
  void SetValues(int mode, const std::array<std::string, kSentinelTracks>& start_codes,
                 const std::array<std::string, kSentinelTracks>& end_codes);

  // After IDOK. A mode the dialog cannot show comes back unchanged unless the user chose one.
  int mode() const { return mode_; }
  const std::array<std::string, kSentinelTracks>& start_codes() const { return start_codes_; }
  const std::array<std::string, kSentinelTracks>& end_codes() const { return end_codes_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnOK() override;

 private:
  // The six codes in checking order: start codes of tracks 1..3, then the end codes.
  std::string& Code(size_t index);
  void ShowValues();
  void TakeValues();
  void EnableCodeEdits(bool enabled);
  void ToggleEntryFormat();
  void Refuse(std::string_view detail);

  int mode_ = -1;
  std::array<std::string, kSentinelTracks> start_codes_;
  std::array<std::string, kSentinelTracks> end_codes_;
  bool hex_entry_ = false;
};

}  // namespace wizard
