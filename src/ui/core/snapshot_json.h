#pragma once

// The automation language's picture of a dialog: one JSON object a control, with what its kind
// shows (texts, checks, rows and selection, positions, a picture's digest).

#include <string>
#include <vector>

#include "ui/core/dialog.h"

namespace ui {

std::string ControlJson(const Dialog& owner, const Control& c);
// The controls of `dialog` and of its pages, depth first.
void CollectControlJson(const Dialog& dialog, std::vector<std::string>* out);

}  // namespace ui
