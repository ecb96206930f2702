#pragma once

// The three pages of the settings tab dialog. The frame owns them and the one settings record
// they share; each page shows and changes only its own fields of it. While a page is open, radio
// buttons, check boxes, edits and the sentinel data write back into the record on every change,
// while the list choices are read back only by SaveReadBack (the frame's Save), so that Default
// leaves them out.

#include <cstdint>
#include <set>
#include <string>

#include "protocol/settings_record.h"
#include "ui/core/dialog.h"

namespace desktop {

// What the pages know of the printer besides the record (from the identification).
struct PageFacts {
  uint32_t firmware_version = 0;  // 0: the older generation's rules
  std::string firmware_version_text;
  std::string code_page_text;
};

// Base of the three pages: the shared record and the identification.
class VmsmTabPage : public ui::Dialog {
 public:
  VmsmTabPage(const ui::Template& tmpl, protocol::PrinterSettings& values, const PageFacts& facts)
      : ui::Dialog(tmpl), values_(values), facts_(facts) {}

 protected:
  protocol::PrinterSettings& values_;
  const PageFacts& facts_;
};

// Page 1: density, speed, code page, font, double-byte mode.
class CDlgVMSMTab1 : public VmsmTabPage {
 public:
  CDlgVMSMTab1(protocol::PrinterSettings& values, const PageFacts& facts);
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
  CDlgVMSMTab2(protocol::PrinterSettings& values, const PageFacts& facts);
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
  CDlgVMSMTab3(protocol::PrinterSettings& values, const PageFacts& facts);
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
  void ShowValues();
  void EnableBluetoothControls(bool enabled);
};

}  // namespace desktop
