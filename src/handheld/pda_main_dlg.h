#pragma once

#include <cstdint>
#include <string>

#include "session/dialogs/main_dialog.h"

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
class CPdaMainDlg : public session::MainDialog {
 public:
  // `services.registry` is the handheld program's own store.
  explicit CPdaMainDlg(platform::Services& services);

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  void FillLists();
  void Restore(const devlink::LinkSettings& stored);
  // Shows the address and TCP port edits while "TCP/IP Comunication" is checked, else the lists.
  void LayoutByCheck();
  bool SettingUsable() override;
  void ReadSetting() override;
  void StoreSetting() override;
  void LaunchSettingsWizard();
  void LaunchNvManager();
};
}  // namespace pda
