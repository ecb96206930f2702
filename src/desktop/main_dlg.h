#pragma once

#include <string>
#include <vector>

#include "desktop/comm_setting.h"
#include "desktop/vmsm_tab_dlg.h"
#include "link/usb_discovery.h"
#include "nvimage/common_nv.h"
#include "platform/devices/serial_devices.h"
#include "platform/system/posix_file_system.h"
#include "platform/system/services.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "session/printer_session.h"
#include "ui/core/dialog.h"

namespace desktop {
// The desktop program's main window: the communication setting (interface, port, line
// settings), kept in the registry between runs, and the buttons that start the managers.
class CM500QXUtilityDlg : public ui::Dialog {
 public:
  // `discovery_log` takes USB discovery's lines; the caller picks it so that they never land on
  // the screen or the protocol stream of the host.
  CM500QXUtilityDlg(platform::Services& services, devlink::DiscoveryLog& discovery_log);

  // The setting as last read from the controls (before a job and on Exit).
  const devlink::LinkSettings& Setting() const { return setting_; }
  // The identification object that owns the printer link.
  protocol::CCommonUtil& Util() { return session_.util(); }
  // The device paths of the USB printers, one per row of the Port list while "USB" is chosen.
  const std::vector<std::string>& UsbPaths() const { return usb_paths_; }
  // Where the serial layouts find the serial devices they offer after COM1 to COM49 (none by
  // default); must outlive the dialog's runs.
  void SetSerialDevices(const platform::SerialDevices* devices) { serial_devices_ = devices; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  // Exit: stores the setting.
  void OnOK() override;
  // Escape and the title-bar close store nothing.
  void OnCancel() override;
  void OnClose() override;
  void OnSysCommand(int id) override;

 private:
  void FillInterfaceList();
  // Shows the controls of the chosen interface with their default selections.
  void LayoutInterface();
  void LayoutSerial();
  // The serial port, baud rate and line lists' rows, also while they are hidden or disabled, so
  // switching to a serial interface later finds them filled.
  void FillSerialLists();
  void LayoutUsb();
  void LayoutTcp();
  void Restore(const devlink::LinkSettings& stored);
  // Fills setting_ from the controls.
  void ReadSetting();
  // What every manager's launch does first: the setting goes to the link.
  void HandOverSetting();
  // Button 1000: read all settings, edit them, write them back (or the factory defaults).
  void LaunchSettingsEditor();
  // Button 1001: read the printer's key codes, then the NV image manager.
  void LaunchNvManager();
  // Button 1002: the firmware download, over a link of its own.
  void LaunchFirmwareDownload();

  platform::Services& services_;
  devlink::DiscoveryLog& discovery_log_;
  devlink::LinkSettings setting_;
  session::PrinterSession session_;
  std::vector<std::string> usb_paths_;
  std::string baud_rate_label_;
  const platform::SerialDevices* serial_devices_ = nullptr;
  platform::PosixFileSystem files_;
};
}  // namespace desktop
