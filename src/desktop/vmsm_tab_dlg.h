#pragma once

// The settings tab dialog: a frame with a tab control over three pages and the buttons Save,
// Default and Cancel. It never talks to the printer; its caller hands the record in, runs it,
// copies the pages back and then writes (Save) or restores the factory defaults (Default).
//
// A launch looks like this (the pages live as long as the main dialog):
//
//   VmsmTabPages pages(&util, clock);            // once
//   HandOverToPages(vmsm.settings(), pages);     // before every run
//   CDlgVMSM dlg(pages.tab1, pages.tab2, pages.tab3, util.firmware_version_text_,
//                util.firmware_version_);
//   if (dlg.DoModal(host) == ui::IDOK) {
//     CopyBackFromPages(pages, vmsm.settings());
//     ... write-all, in its factory-default mode when dlg.restore_defaults() == 1
//   }

#include <cstdint>
#include <string>

#include "desktop/vmsm_tab_pages.h"
#include "protocol/settings_record.h"
#include "ui/core/dialog.h"

namespace desktop {

// The three page objects, owned by the caller and kept between runs of the dialog.
struct VmsmTabPages {
  VmsmTabPages(CCommonUtil* util, platform::Clock& clock)
      : tab1(util, clock), tab2(util, clock), tab3(util, clock) {}
  CDlgVMSMTab1 tab1;
  CDlgVMSMTab2 tab2;
  CDlgVMSMTab3 tab3;
};

// Gives each page a copy of the record (page 3's BleMode included) before a run.
void HandOverToPages(const PrinterSettings& record, VmsmTabPages& pages);

// After a run that ended with OK: the pages' values into `record`. The Bluetooth connection
// mode, security, PIN and name are copied only while the user has the Bluetooth settings
// switched on (BtSkip 0); otherwise the record keeps what the printer reported.
void CopyBackFromPages(const VmsmTabPages& pages, PrinterSettings& record);

class CDlgVMSM : public ui::Dialog {
 public:
  CDlgVMSM(CDlgVMSMTab1& tab1, CDlgVMSMTab2& tab2, CDlgVMSMTab3& tab3,
           std::string firmware_version_text, uint32_t firmware_version);

  // After an OK run: 0 the user saved, 1 the user asked for the factory defaults.
  int restore_defaults() const { return restore_defaults_; }
  uint32_t firmware_version() const { return firmware_version_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnOK() override;

 private:
  void ShowPage(int index);

  CDlgVMSMTab1& tab1_;
  CDlgVMSMTab2& tab2_;
  CDlgVMSMTab3& tab3_;
  std::string firmware_version_text_;
  uint32_t firmware_version_;
  int restore_defaults_ = 0;
};

}  // namespace desktop
