#pragma once

// The settings tab dialog: a frame with a tab control over three pages and the buttons Save,
// Default and Cancel. It never talks to the printer: it takes the settings record and, after a
// run that ended with OK, hands back the record to write (Save) or the one to keep while the
// factory defaults are restored (Default).
//
//   CDlgVMSM dlg(vmsm.settings(), {util.identity().firmware_version,
//                                  util.identity().firmware_version_text,
//                                  util.identity().code_page_text});
//   if (dlg.DoModal(host) == ui::IDOK) {
//     vmsm.settings() = dlg.values();
//     ... write-all, in its factory-default mode when dlg.restore_defaults() == 1
//   }

#include <cstdint>
#include <string>

#include "desktop/vmsm_tab_pages.h"
#include "protocol/settings_record.h"
#include "ui/core/dialog.h"

namespace desktop {

class CDlgVMSM : public ui::Dialog {
 public:
  CDlgVMSM(const protocol::PrinterSettings& values, PageFacts facts);

  // The record as the pages leave it. The Bluetooth connection mode, security, PIN and name are
  // the user's only while the Bluetooth settings are switched on (BtSkip 0); otherwise they are
  // what the printer reported.
  const protocol::PrinterSettings& values() const { return values_; }

  // After an OK run: 0 the user saved, 1 the user asked for the factory defaults.
  int restore_defaults() const { return restore_defaults_; }
  uint32_t firmware_version() const { return facts_.firmware_version; }
  // The pages, which exist while the dialog does.
  CDlgVMSMTab1& tab1() { return tab1_; }
  CDlgVMSMTab2& tab2() { return tab2_; }
  CDlgVMSMTab3& tab3() { return tab3_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnOK() override;

 private:
  void ShowPage(int index);
  // Ends an OK run; Bluetooth fields the user was not to change go back as they were given.
  void EndWithValues();

  const protocol::PrinterSettings given_;
  protocol::PrinterSettings values_;
  const PageFacts facts_;
  CDlgVMSMTab1 tab1_{values_, facts_};
  CDlgVMSMTab2 tab2_{values_, facts_};
  CDlgVMSMTab3 tab3_{values_, facts_};
  int restore_defaults_ = 0;
};

}  // namespace desktop
