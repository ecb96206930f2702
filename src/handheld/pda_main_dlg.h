#pragma once

#include <cstdint>
#include <string>

#include "nvimage/common_nv.h"
#include "platform/devices/serial_devices.h"
#include "platform/system/services.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "session/printer_session.h"
#include "ui/core/dialog.h"

namespace pda {
// The handheld communication setting's three registry values under platform::kPellisetKey. The
// names are the desktop program's, but port type 2 means TCP/IP here (USB on the desktop), which
// is why pdautil keeps a registry file of its own; with TCP/IP, uBaudrate holds the TCP port.
inline constexpr uint32_t kPortTypeSerial = 0;  // a COM port, Bluetooth serial ports included
inline constexpr uint32_t kPortTypeTcp = 2;
inline constexpr char kValuePortType[] = "uPortType";
inline constexpr char kValuePort[] = "uPort";
inline constexpr char kValueBaudrate[] = "uBaudrate";

// The handheld program's only window: the communication setting (a COM port with its baud rate,
// or a TCP/IP address and port), kept in the registry between runs, and the two managers. The
// link is in its handheld mode from construction on, and is open only while a manager runs.
class CPdaMainDlg : public ui::Dialog {
 public:
  // `services.registry` is the handheld program's own store.
  explicit CPdaMainDlg(platform::Services& services);

  // The setting as last read from the controls (before a manager and on Exit).
  const devlink::LinkSettings& Setting() const { return setting_; }
  // The identification object that owns the printer link.
  protocol::CCommonUtil& Util() { return session_.util(); }
  // The serial devices offered after the COM names (not owned; none when never set).
  void SetSerialDevices(const platform::SerialDevices* devices) { serial_devices_ = devices; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  // Exit: stores the setting.
  void OnOK() override;
  // Escape and the title-bar close store nothing.
  void OnCancel() override;
  void OnClose() override;

 private:
  void FillLists();
  void Restore(const devlink::LinkSettings& stored);
  // Shows the address and TCP port edits while "TCP/IP Comunication" is checked, else the lists.
  void LayoutByCheck();
  // Fills setting_ from the controls.
  void ReadSetting();
  // What both managers' launches do first: the setting goes to the link.
  void HandOverSetting();
  void LaunchSettingsWizard();
  void LaunchNvManager();

  platform::Services& services_;
  // The port list's text (COM3:, /dev/ttyUSB0) or "NET" + address; the other line settings are
  // fixed on the handheld: 8 data bits, no parity, one stop bit, DTR/DSR.
  devlink::LinkSettings setting_{.flow_control = 1};
  session::PrinterSession session_;
  const platform::SerialDevices* serial_devices_ = nullptr;
};
}  // namespace pda
