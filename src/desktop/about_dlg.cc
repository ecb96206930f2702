#include "desktop/about_dlg.h"

#include "desktop/desktop_resources.h"

CAboutDlg::CAboutDlg() : ui::Dialog(desktop::AboutTemplate()) {}
