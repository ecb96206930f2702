#include "settings/dialogs/vmsm_pro_template.h"

#include "ui/core/constants.h"

namespace settings {
const ui::Template& VmsmProTemplate() {
  static const ui::Template t{
      kVmsmProTemplateId,
      "Virtual Memory Switch Manager",
      186,
      62,
      {
          {kVmsmProProgressId, ui::ControlKind::kProgress, "", {7, 10, 172, 12}},
          {kVmsmProTextId, ui::ControlKind::kStatic, "0 %", {7, 27, 172, 9}, ui::kCentered},
          {ui::IDCANCEL, ui::ControlKind::kButton, "Cancel", {68, 41, 50, 14}, ui::kDefault},
      },
  };
  return t;
}
}  // namespace settings
