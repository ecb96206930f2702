#pragma once

#include "ui/core/template.h"

namespace settings {
// The settings transfer's progress dialog: a bar, the line under it and a Cancel button.
inline constexpr int kVmsmProTemplateId = 136;
inline constexpr int kVmsmProProgressId = 1020;
inline constexpr int kVmsmProTextId = 1021;

const ui::Template& VmsmProTemplate();
}  // namespace settings
