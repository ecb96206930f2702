#pragma once

#include "ui/core/template.h"

namespace nv {
// The desktop NV manager and its key code dialog. Laid out for a terminal of 120 x 40 cells
// (4 x 8 dialog units a cell) as much as for a window.
inline constexpr int kNvManagerTemplateId = 151;
inline constexpr int kNvAddrTemplateId = 152;

namespace nv_ctl {
inline constexpr int kPreview = 1040;
inline constexpr int kImageList = 1041;
inline constexpr int kStatus = 1042;
inline constexpr int kAddImage = 1043;
inline constexpr int kRemoveImage = 1044;
inline constexpr int kReset = 1045;
inline constexpr int kDownload = 1046;
inline constexpr int kAutoAddressing = 1047;
inline constexpr int kBrightness = 1048;
inline constexpr int kKeyList = 1049;
inline constexpr int kRefresh = 1050;
inline constexpr int kPrintAll = 1051;
inline constexpr int kPrint = 1052;
inline constexpr int kRemoveKey = 1053;
inline constexpr int kRemoveAll = 1054;
inline constexpr int kExit = 1;  // IDOK
// Key code dialog.
inline constexpr int kAddressCode = 1060;
}  // namespace nv_ctl

const ui::Template& NvManagerTemplate();
const ui::Template& NvAddrTemplate();
}  // namespace nv
