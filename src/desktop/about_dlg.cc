#include "desktop/about_dlg.h"

#include "desktop/desktop_resources.h"

namespace desktop {
CAboutDlg::CAboutDlg() : ui::Dialog(AboutTemplate()) {}
}  // namespace desktop
