#pragma once

#include "ui/core/dialog.h"

namespace desktop {
// The About box (template 100): product name, one line about the program, OK.
class CAboutDlg : public ui::Dialog {
 public:
  CAboutDlg();
};
}  // namespace desktop
