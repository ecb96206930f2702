#include "desktop/vmsm_tab_dlg.h"

#include <array>
#include <utility>

#include "desktop/vmsm_tab_strings.h"
#include "desktop/vmsm_templates.h"

namespace desktop {

void HandOverToPages(const PrinterSettings& record, VmsmTabPages& pages) {
  pages.tab1.values() = record;
  pages.tab2.values() = record;
  pages.tab3.values() = record;
}

void CopyBackFromPages(const VmsmTabPages& pages, PrinterSettings& record) {
  const PrinterSettings& p1 = pages.tab1.values();
  record.Density = p1.Density;
  record.Speed = p1.Speed;
  record.CodePage = p1.CodePage;
  record.FontType = p1.FontType;
  record.LCharMode = p1.LCharMode;

  const PrinterSettings& p2 = pages.tab2.values();
  record.Service = p2.Service;
  record.BeepPaper = p2.BeepPaper;
  record.BeepLowBat = p2.BeepLowBat;
  record.Msr = p2.Msr;
  record.TimeOff = p2.TimeOff;
  record.TimeSave = p2.TimeSave;
  record.CuttingPosition = p2.CuttingPosition;
  record.Sentinel = p2.Sentinel;
  record.SentinelStart = p2.SentinelStart;
  record.SentinelEnd = p2.SentinelEnd;

  const PrinterSettings& p3 = pages.tab3.values();
  record.Baudrate = p3.Baudrate;
  record.Databit = p3.Databit;
  record.Parity = p3.Parity;
  record.Flowcontrol = p3.Flowcontrol;
  record.BleMode = p3.BleMode;
  record.BtSkip = p3.BtSkip;
  record.RfInterface = p3.RfInterface;
  if (p3.BtSkip == 0) {
    record.BtConnMode = p3.BtConnMode;
    record.BtSecurity = p3.BtSecurity;
    record.BtPin = p3.BtPin;
    record.BtName = p3.BtName;
  }
}

CDlgVMSM::CDlgVMSM(CDlgVMSMTab1& tab1, CDlgVMSMTab2& tab2, CDlgVMSMTab3& tab3,
                   std::string firmware_version_text, uint32_t firmware_version)
    : ui::Dialog(VmsmTemplate()),
      tab1_(tab1),
      tab2_(tab2),
      tab3_(tab3),
      firmware_version_text_(std::move(firmware_version_text)),
      firmware_version_(firmware_version) {}

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
  SetWindowText(LoadString(vmsm_tab::kStrVmsmManager) + "  (fw:" + firmware_version_text_ + ")");
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
    if (MessageBox(vmsm_tab::kRestoreDefaultsQuestion, {},
                   ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2) != ui::IDYES) {
      return;
    }
    // The factory defaults replace whatever the lists show, so they are not read back.
    restore_defaults_ = 1;
    EndDialog(ui::IDOK);
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
  EndDialog(ui::IDOK);
}

}  // namespace desktop
