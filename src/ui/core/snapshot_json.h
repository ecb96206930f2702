#pragma once

// The automation language's picture of a dialog: one JSON object a control, with what its kind
// shows (texts, checks, rows and selection, positions, a picture's digest).

#include "ui/core/dialog.h"
#include "ui/core/json.h"

namespace ui {

Json ControlJson(const Dialog& owner, const Control& c);
// The controls of `dialog` and of its pages, depth first, appended to the array `out`.
void CollectControlJson(const Dialog& dialog, Json* out);

}  // namespace ui
