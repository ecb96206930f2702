#pragma once

// The MSR sentinel dialog of both programs: the sentinel option (none, static, dynamic) and the
// start and end codes of the three tracks, typed as characters or as hexadecimal byte pairs. It
// edits only the values its caller hands in; the caller takes them back after OK. Each program
// brings its own template, control ids and words (SentinelForm).

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/settings_record.h"
#include "ui/core/dialog.h"
#include "ui/core/template.h"

namespace settings {
// Hexadecimal entry to bytes. White space around the text is ignored, spaces between pairs are
// skipped, pairs need no separator ("0A1F" = "0A 1F"). A trailing half pair, or a non-digit inside
// a pair (a space included), gives nullopt. Any length is accepted. The desktop judges each byte;
// the handheld (`by_character`) each UTF-8 character by the low eight bits of its code, as its
// 16-bit edits do, so a character beyond ASCII can pass for a digit.
std::optional<std::string> SentinelHexToBytes(std::string_view text, bool by_character);

// A code fits when it is not longer than kMaxSentinelBytes and, for a start code, not empty.
bool SentinelCodeFits(const std::string& code, bool start_code);

// The printer ends a code at 00h and parts a track's two codes with 1Fh in what it reports: a
// code holding either would not be what it keeps (it refuses such a write without a word).
bool SentinelCodeBytesKept(const std::string& code);
inline constexpr char kSentinelByteText[] = "00 and 1F cannot be part of a sentinel code!";

// What the dialog says; a program may read them from its string table, so they are asked for
// while the dialog is open.
struct SentinelWords {
  std::string invalid_value;  // the first line of every refusal, its line break included
  std::string invalid_hex;
  std::string bad_length;
  std::string bad_byte;  // a code holds 00h or 1Fh
  std::string ascii;     // the entry-format box's caption in each format
  std::string hex;
  std::string caption;  // of the refusals; empty: the program's title
};

// One program's dialog; static data.
struct SentinelForm {
  // The edits in checking order: track 1, 2, 3 start codes, then their end codes.
  std::array<int, 2 * protocol::kSentinelTracks> code_edits;
  int first_mode;  // the "none" radio; "static" and "dynamic" follow it in its group
  int hex_check;
  bool hex_by_character;  // see SentinelHexToBytes
  SentinelWords (*words)(const ui::Dialog& dlg);
};

class SentinelDialog : public ui::Dialog {
 public:
  // One code for each track.
  using TrackCodes = std::array<std::string, protocol::kSentinelTracks>;

  SentinelDialog(const ui::Template& layout, const SentinelForm& form);

  // The caller's values, before DoModal. `mode` 0 none, 1 static, 2 dynamic.
  void SetValues(int mode, const TrackCodes& start_codes, const TrackCodes& end_codes);

  // The values to take back after DoModal returned IDOK. The mode is -1 when no option was
  // chosen (the caller handed in none the dialog can show); the caller then keeps its own.
  int mode() const { return mode_; }
  const TrackCodes& start_codes() const { return start_codes_; }
  const TrackCodes& end_codes() const { return end_codes_; }
  // Whether the edits take hexadecimal pairs.
  bool hex_entry() const { return hex_entry_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnOK() override;

 private:
  // The six codes in checking order: start codes of tracks 1..3, then end codes.
  std::string& Code(size_t index);
  void ShowValues();
  void TakeValues();
  void EnableCodeEdits(bool enabled);
  void ToggleEntryFormat();
  void Refuse(const std::string& detail);

  const SentinelForm& form_;
  int mode_ = -1;
  TrackCodes start_codes_;
  TrackCodes end_codes_;
  bool hex_entry_ = false;
};
}  // namespace settings
