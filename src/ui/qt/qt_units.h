#pragma once

// Dialog units to pixels for the window host: a horizontal unit is a quarter of the font's
// average character width and a vertical unit an eighth of its height, as the templates were
// laid out for, so dialogs scale with the user's font and screen.

#include <QFont>
#include <QRect>

#include "ui/core/template.h"

namespace ui {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  // Dialogs laid out on the terminal's grid (every control on whole 8-unit rows, one line of
  // text, a list or a button a row) get rows at least `line_height` pixels tall, so a native
  // drop-down list or button fits its row.
  void FitRowsTo(int line_height);
  int X(int units) const { return (units * char_width_ + 2) / 4; }
  int Y(int units) const { return (units * char_height_ + 4) / 8; }
  // A control's rectangle, `page_x` and `page_y` (dialog units) to the right and below the
  // window's corner for controls of an embedded page.
  QRect ToPixels(const Rect& rect, int page_x = 0, int page_y = 0) const;

 private:
  int char_width_;
  int char_height_;
};

}  // namespace ui
