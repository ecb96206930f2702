#include "ui/qt/qt_units.h"

#include <QFontMetrics>
#include <algorithm>

namespace ui {

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average of the Latin letters, as dialog units are defined; averageCharWidth alone
  // follows whatever glyphs the font has most of.
  const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  char_width_ = std::max(1, (metrics.horizontalAdvance(letters) / 26 + 1) / 2);
  char_height_ = std::max(1, metrics.height());
}

void DialogUnits::FitRowsTo(int line_height) { char_height_ = std::max(char_height_, line_height); }

QRect DialogUnits::ToPixels(const Rect& rect, int page_x, int page_y) const {
  const int left = X(rect.x + page_x);
  const int top = Y(rect.y + page_y);
  return QRect(left, top, std::max(1, X(rect.x + page_x + rect.w) - left),
               std::max(1, Y(rect.y + page_y + rect.h) - top));
}

}  // namespace ui
