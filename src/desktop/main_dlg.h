#pragma once

#include <string>
#include <vector>

#include "desktop/comm_setting.h"
#include "desktop/vmsm_tab_dlg.h"
#include "link/usb_discovery.h"
#include "nvimage/common_nv.h"
#include "platform/system/posix_file_system.h"
#include "session/dialogs/main_dialog.h"

namespace desktop {
// The desktop program's main window: the communication setting (interface, port, line
// settings), kept in the registry between runs, and the buttons that start the managers.
class CM500QXUtilityDlg : public session::MainDialog {
 public:
  // `discovery_log` takes USB discovery's lines; the caller picks it so that they never land on
  // the screen or the protocol stream of the host.
  CM500QXUtilityDlg(platform::Services& services, devlink::DiscoveryLog& discovery_log);

  // The device paths of the USB printers, one per row of the Port list while "USB" is chosen.
  const std::vector<std::string>& UsbPaths() const { return usb_paths_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
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
  bool SettingUsable() override;
  void ReadSetting() override;
  // Says so when the setting cannot be stored: the program still ends.
  void StoreSetting() override;
  // Button 1000: read all settings, edit them, write them back (or the factory defaults).
  void LaunchSettingsEditor();
  // Button 1001: read the printer's key codes, then the NV image manager.
  void LaunchNvManager();
  // Button 1002: the firmware download, over a link of its own.
  void LaunchFirmwareDownload();

  devlink::DiscoveryLog& discovery_log_;
  std::vector<std::string> usb_paths_;
  std::string baud_rate_label_;
  platform::PosixFileSystem files_;
};
}  // namespace desktop
