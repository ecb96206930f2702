#pragma once

#include "ui/core/template.h"

namespace pda {
// The handheld NV manager, its key code dialog and its progress dialog, laid out for a terminal
// of 32 x 20 cells (4 x 8 dialog units a cell, plus the frame). The controls carry the desktop
// manager's ids (nv_ctl) where they do the same, so one script drives both managers alike.
inline constexpr int kPdaNvProTemplateId = 153;
inline constexpr int kPdaNvTemplateId = 154;
inline constexpr int kPdaNvAddrTemplateId = 155;

// The progress dialog: a status line (id kNvProGroupId, where the job's texts go) over the bar.
const ui::Template& PdaNvProTemplate();
const ui::Template& PdaNvTemplate();
const ui::Template& PdaNvAddrTemplate();
}  // namespace pda
