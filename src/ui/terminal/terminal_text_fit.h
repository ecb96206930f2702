#pragma once

// Whether a dialog's texts fit their controls as the terminal host draws them (4 x 8 dialog units
// a cell, two cells for a wide character), so a translation that runs longer than the English
// text can be caught before anyone sees it cut.

#include <map>
#include <string>
#include <vector>

#include "ui/core/string_table.h"
#include "ui/core/template.h"

namespace ui {

struct CutText {
  int template_id = 0;
  int control_id = 0;
  std::string text;
  int needed_cells = 0;  // cells (or, for wrapped labels, rows) the text needs
  int cells = 0;         // cells (rows) the control gives it
};

// The texts of `english` laid out, captioned and translated by `res` that the terminal would cut:
// a label that wraps to more rows than it has (one row when it is at most a row and a half
// high) or fills its row up to the next control, a button caption with its brackets, a check box or
// radio caption after its mark, a group box caption inside its frame. `texts` replaces the template
// caption of controls whose text the dialog sets when it opens (control id -> text). Hidden
// controls count too: a pack or the dialog may show them.
std::vector<CutText> FindCutTexts(const Template& english, const Resources& res,
                                  const std::map<int, std::string>& texts = {});

}  // namespace ui
