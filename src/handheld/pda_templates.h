#pragma once

// The handheld program's dialog templates and control ids. The handheld screen is small: the main
// dialog is 120 x 130 dialog units, 32 x 19 terminal cells with its frame.

#include "ui/core/string_table.h"
#include "ui/core/template.h"

namespace pda {

inline constexpr int kMainTemplateId = 102;

// ---- Main dialog controls.
inline constexpr int kExitButton = 1;  // IDOK
inline constexpr int kNvButton = 1000;
inline constexpr int kVmsmButton = 1001;
inline constexpr int kPortList = 1004;
inline constexpr int kTcpPortEdit = 1032;
inline constexpr int kBaudRateList = 1049;
inline constexpr int kBaudRateLabel = 1066;
inline constexpr int kTcpCheck = 1068;
inline constexpr int kPortLabel = 1069;
inline constexpr int kIpAddressEdit = 1070;
inline constexpr int kCommunicationFrame = 1071;  // an id only so that a pack can reach it

const ui::Template& MainDialogTemplate();

// What pdautil's dialogs run with: no string table (the handheld dialogs and the handheld
// transfer plan carry fixed texts) and the application title "Pelliset", the caption of the
// framework's own messages.
ui::Resources HandheldResources();

}  // namespace pda
