#pragma once

#include "ui/core/dialog.h"

// The About box (template 100): product name, one line about the program, OK.
class CAboutDlg : public ui::Dialog {
 public:
  CAboutDlg();
};
