#pragma once

// CDlg_MsrAdvance: the desktop's MSR sentinel dialog (SentinelDialog over template 137), its
// words from the program's string table so that a pack translates them.

#include "settings/dialogs/sentinel_dlg.h"

namespace desktop {

class CDlg_MsrAdvance : public settings::SentinelDialog {
 public:
  CDlg_MsrAdvance();
};

}  // namespace desktop
