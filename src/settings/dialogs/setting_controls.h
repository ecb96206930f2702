#pragma once

// How the settings dialogs (the desktop's tab pages, the handheld's wizard) show a record value in
// a list or a radio group and take it back. A value the control has no row or radio for (a printer
// can report one) shows nothing selected; a control with nothing selected, or a list the user
// cannot change, leaves the value as it was, so nothing reported is normalised on the way back.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/system/utf8_text.h"
#include "settings/setting_lists.h"
#include "ui/core/dialog.h"

namespace settings::setting_controls {

inline void Fill(ui::ComboBox& list, std::span<const std::string_view> rows) {
  list.ResetContent();
  for (std::string_view row : rows) list.AddString(row);
}
inline void Fill(ui::ComboBox& list, std::initializer_list<std::string> rows) {
  list.ResetContent();
  for (const std::string& row : rows) list.AddString(row);
}

inline void Select(ui::ComboBox& list, std::optional<size_t> row) {
  const bool shown = row && *row < static_cast<size_t>(list.GetCount());
  list.SetCurSel(shown ? static_cast<int>(*row) : -1);
}

// The selected row, or nullopt without a selection or while the list is disabled.
inline std::optional<uint32_t> SelectedRow(const ui::ComboBox& list) {
  if (!list.IsEnabled() || list.GetCurSel() < 0) return std::nullopt;
  return static_cast<uint32_t>(list.GetCurSel());
}
inline void TakeRow(const ui::ComboBox& list, uint32_t* value) {
  if (const std::optional<uint32_t> row = SelectedRow(list)) *value = *row;
}

// The density list's row into `density`, in the record's encoding.
inline void TakeDensity(const ui::ComboBox& list, uint32_t* density) {
  const std::optional<uint32_t> row = SelectedRow(list);
  if (const auto value = row ? setting_lists::DensityOfRow(*row) : std::nullopt) *density = *value;
}

// A group of `count` radios from `first_id`.
inline void ShowRadio(ui::Dialog& dlg, int first_id, uint32_t value, uint32_t count) {
  dlg.SetRadioIndex(first_id, value < count ? static_cast<int>(value) : -1);
}
inline void TakeRadio(const ui::Dialog& dlg, int first_id, uint32_t* value) {
  const int index = dlg.GetRadioIndex(first_id);
  if (index >= 0) *value = static_cast<uint32_t>(index);
}

// Keeps what a Bluetooth PIN or name edit holds sendable: control characters go (0Dh would end
// the printer's command, 00h its reply), and the rest is cut to the longest start of at most
// `limit` bytes that does not split a UTF-8 character. The printer counts bytes, and a character
// outside ASCII takes more than one: called on every change, typing stops where the printer's
// command would overflow, so a later check never refuses what the edit accepted.
inline void LimitTypedText(ui::Dialog& dlg, int edit, size_t limit) {
  const std::string typed = dlg.GetDlgItemText(edit);
  std::string text;
  for (char c : typed) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) text += c;
  }
  text.resize(platform::Utf8PrefixLength(text, limit));
  if (text != typed) dlg.SetDlgItemText(edit, text);
}

}  // namespace settings::setting_controls
