#pragma once

// The three pages of the settings tab dialog. Each page object belongs to the caller (the main
// dialog keeps them between uses) and holds its own scratch copy of the settings record, with
// access to the printer's identification through the record's CCommonUtil. While the page is
// open its controls show that copy; radio buttons, check boxes, edits and the sentinel data
// write back into it on every change, while the list choices are read back only by
// SaveReadBack (the frame's Save), so that Default leaves them out.

#include <cstdint>
#include <set>
#include <string>

#include "platform/clock.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "ui/core/dialog.h"

namespace desktop {

// Base of the three pages: the scratch record and the identification.
class VmsmTabPage : public ui::Dialog {
 public:
  VmsmTabPage(const ui::Template& tmpl, CCommonUtil* util, platform::Clock& clock)
      : ui::Dialog(tmpl), vmsm_(util, clock) {}

  PrinterSettings& values() { return vmsm_.settings(); }
  const PrinterSettings& values() const { return vmsm_.settings(); }
  CCommonVmsm& vmsm() { return vmsm_; }

 protected:
  // 0 (the older generation's rules) when there is no identification.
  uint32_t FirmwareVersion() const;
  std::string CodePageText() const;

  CCommonVmsm vmsm_;
};

// Page 1: density, speed, code page, font, double-byte mode.
class CDlgVMSMTab1 : public VmsmTabPage {
 public:
  CDlgVMSMTab1(CCommonUtil* util, platform::Clock& clock);
  // Density (turned back into the record's encoding), Speed and CodePage from the lists.
  void SaveReadBack();

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  void Refresh();
};

// Page 2: service, tear-off position, beeps, power times, MSR trigger and sentinels.
class CDlgVMSMTab2 : public VmsmTabPage {
 public:
  CDlgVMSMTab2(CCommonUtil* util, platform::Clock& clock);
  // Service, BeepPaper, BeepLowBat and Msr from the lists.
  void SaveReadBack();
  // Save must write what the page shows: the id of the first enabled number edit that is out
  // of range, or 0. Disabled edits are not checked; they hand back the value that was read.
  int InvalidNumberEdit();
  // That edit's range message, with the focus moved to it.
  void ReportInvalid(int edit);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  // After a keystroke in number edit `id`: an in-range value goes into the record; an
  // out-of-range one shows the range message the first time only, until the edit is in range
  // again. A disabled edit is left alone.
  void CheckEdit(int id);
  // The tear-off edit can be used only with the newer firmware and the black-mark service.
  void ApplyTearOffRule();
  void RunSentinelDialog();

  std::set<int> warned_;  // edits whose range message was shown and that are still out of range
};

// Page 3: serial interface (shown only) and Bluetooth.
class CDlgVMSMTab3 : public VmsmTabPage {
 public:
  CDlgVMSMTab3(CCommonUtil* util, platform::Clock& clock);
  // Baudrate, Databit, Parity, Flowcontrol, BtConnMode and BtSecurity from the lists.
  void SaveReadBack();
  // While the Bluetooth settings are to be written, the PIN and the name must fit the printer's
  // Bluetooth command: the id of the edit whose text is too long, or 0 when both fit.
  int OverlongBluetoothEdit() const;
  // The length message for that edit, in bytes, with the focus moved to it.
  void ReportOverlong(int edit);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  void Refresh();
  // Cuts what was typed into the PIN or name edit to the bytes the printer takes.
  void LimitTypedBytes(int edit);
  void ShowValues();
  void EnableBluetoothControls(bool enabled);
};

}  // namespace desktop
