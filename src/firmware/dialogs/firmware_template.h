#pragma once

#include "ui/core/template.h"

namespace firmware {
// The firmware download dialog: the status line and bar inside a group box, Start Download and
// Exit.
inline constexpr int kFirmwareTemplateId = 131;
// The group box and the label before the status line: numbered only so translations reach them.
inline constexpr int kFirmwareGroupId = 1001;
inline constexpr int kFirmwareStatusLabelId = 1002;
inline constexpr int kFirmwareStatusId = 1003;
inline constexpr int kFirmwareProgressId = 1005;
inline constexpr int kFirmwareStartId = 1026;
// Exit is the dialog's IDOK button (1).

const ui::Template& FirmwareTemplate();
}  // namespace firmware
