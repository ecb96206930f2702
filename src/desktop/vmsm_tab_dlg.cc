#include "desktop/vmsm_tab_dlg.h"

#include <array>
#include <utility>

#include "desktop/vmsm_tab_strings.h"
#include "desktop/vmsm_templates.h"

namespace desktop {

CDlgVMSM::CDlgVMSM(const protocol::PrinterSettings& values, PageFacts facts)
    : ui::Dialog(VmsmTemplate()), given_(values), values_(values), facts_(std::move(facts)) {}

bool CDlgVMSM::OnInitDialog() {
  ui::TabControl& tab = GetTab(vmsm_ctl::kTab);
  tab.DeleteAllItems();
  tab.InsertItem(0, LoadString(vmsm_tab::kStrTab1));
  tab.InsertItem(1, LoadString(vmsm_tab::kStrTab2));
  tab.InsertItem(2, LoadString(vmsm_tab::kStrTab3));
  tab.SetCurSel(0);
  const ui::Rect& area = tab.rect();
  for (ui::Dialog* page : std::array<ui::Dialog*, 3>{&tab1_, &tab2_, &tab3_}) {
    CreatePage(*page, area.x + vmsm_ctl::kPageOffsetX, area.y + vmsm_ctl::kPageOffsetY);
  }
  ShowPage(0);
  restore_defaults_ = 0;
  SetWindowText(LoadString(vmsm_tab::kStrVmsmManager) + "  (fw:" + facts_.firmware_version_text +
                ")");
  return true;
}

void CDlgVMSM::ShowPage(int index) {
  tab1_.ShowWindow(index == 0);
  tab2_.ShowWindow(index == 1);
  tab3_.ShowWindow(index == 2);
}

void CDlgVMSM::OnCommand(int id, ui::Notify code) {
  if (id == vmsm_ctl::kTab && code == ui::Notify::kSelChange) {
    ShowPage(GetTab(vmsm_ctl::kTab).GetCurSel());
    return;
  }
  if (id == vmsm_ctl::kDefault && code == ui::Notify::kClicked) {
    // Everything goes, the Bluetooth PIN and name included, and one key press is too little
    // for that: No is the answer Enter gives.
    if (MessageBox(LoadString(vmsm_tab::kStrRestoreDefaultsQuestion), {},
                   ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2) != ui::IDYES) {
      return;
    }
    // The factory defaults replace whatever the lists show, so they are not read back.
    restore_defaults_ = 1;
    EndWithValues();
    return;
  }
  ui::Dialog::OnCommand(id, code);
}

void CDlgVMSM::OnOK() {
  // A number edit showing a value out of range would be saved as its last accepted value, which
  // is not what the user sees.
  if (const int edit = tab2_.InvalidNumberEdit(); edit != 0) {
    GetTab(vmsm_ctl::kTab).SetCurSel(1);
    ShowPage(1);
    tab2_.ReportInvalid(edit);
    return;
  }
  // Nothing is read back while a Bluetooth text would not fit the printer's command; the page
  // holding it comes to the front before the message.
  if (const int edit = tab3_.OverlongBluetoothEdit(); edit != 0) {
    GetTab(vmsm_ctl::kTab).SetCurSel(2);
    ShowPage(2);
    tab3_.ReportOverlong(edit);
    return;
  }
  tab1_.SaveReadBack();
  tab2_.SaveReadBack();
  tab3_.SaveReadBack();
  EndWithValues();
}

void CDlgVMSM::EndWithValues() {
  if (values_.BtSkip != 0) {
    values_.BtConnMode = given_.BtConnMode;
    values_.BtSecurity = given_.BtSecurity;
    values_.BtPin = given_.BtPin;
    values_.BtName = given_.BtName;
  }
  EndDialog(ui::IDOK);
}

}  // namespace desktop
