#pragma once

// The three pages of the settings tab dialog. Each page object belongs to the caller (the main
// dialog keeps them between uses) and holds its own scratch copy of the settings record, with
// access to the printer's identification through the record's CCommonUtil. While the page is
// open its controls show that copy; radio buttons, check boxes, edits and the sentinel data
// write back into it on every change, while the list choices are read back only by
// SaveReadBack (the frame's Save), so that Default leaves them out.

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "ui/dialog.h"

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

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  // Reads the three number edits in the order power-off time, power-saving time, tear-off
  // position; the first one out of range shows the framework's message and ends the refresh, so
  // it and the ones after it keep their last accepted values.
  void Refresh();
  // The tear-off edit can be used only with the newer firmware and the black-mark service.
  void ApplyTearOffRule();
  void RunSentinelDialog();
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
  // The framework's length message for that edit, with the focus moved to it.
  void ReportOverlong(int edit);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  void Refresh();
  void ShowValues();
  void EnableBluetoothControls(bool enabled);
};

}  // namespace desktop
