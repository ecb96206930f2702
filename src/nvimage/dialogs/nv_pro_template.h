#pragma once

#include "ui/core/template.h"

namespace nv {
// The NV job's progress dialog: a bar inside a group box whose caption names the running step.
// No buttons: the user stops a job with the close box or Escape.
inline constexpr int kNvProTemplateId = 150;
inline constexpr int kNvProProgressId = 1030;
inline constexpr int kNvProGroupId = 1031;

const ui::Template& NvProTemplate();
}  // namespace nv
