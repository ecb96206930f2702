#include "nvimage/dialogs/nv_pro_template.h"

namespace nv {
const ui::Template& NvProTemplate() {
  // Wide enough for an image's name and " Downloading..." on the group box's top line.
  static const ui::Template t{
      kNvProTemplateId,
      "NV Image Manager",
      200,
      48,
      {
          {kNvProGroupId, ui::ControlKind::kGroupBox, "Progressing...", {7, 7, 186, 34}},
          {kNvProProgressId, ui::ControlKind::kProgress, "", {15, 20, 170, 12}},
      },
  };
  return t;
}
}  // namespace nv
