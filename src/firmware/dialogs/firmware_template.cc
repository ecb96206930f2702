#include "firmware/dialogs/firmware_template.h"

#include "ui/core/constants.h"

namespace firmware {
const ui::Template& FirmwareTemplate() {
  // Wide enough for the longest status line, the warning shown while a file is sent.
  static const ui::Template t{
      kFirmwareTemplateId,
      "Firmware Download Manager",
      290,
      84,
      {
          {kFirmwareGroupId, ui::ControlKind::kGroupBox, "Download progress", {7, 7, 276, 48}},
          {kFirmwareStatusLabelId, ui::ControlKind::kStatic, "Status : ", {15, 20, 34, 8}},
          {kFirmwareStatusId, ui::ControlKind::kStatic, "", {50, 20, 226, 8}},
          {kFirmwareProgressId, ui::ControlKind::kProgress, "", {15, 34, 261, 12}},
          {kFirmwareStartId,
           ui::ControlKind::kButton,
           "Start Download",
           {7, 62, 80, 14},
           ui::kGroup},
          {ui::IDOK, ui::ControlKind::kButton, "Exit", {223, 62, 60, 14}},
      },
  };
  return t;
}
}  // namespace firmware
