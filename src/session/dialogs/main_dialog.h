#pragma once

// What the main windows of both programs share: the communication setting read from their
// controls, the printer session over it, and how the window ends. Exit stores the setting;
// Escape and the title-bar close store nothing; either way the link closes.

#include "link/link_settings.h"
#include "platform/devices/serial_devices.h"
#include "platform/system/services.h"
#include "protocol/common_util.h"
#include "session/printer_session.h"
#include "ui/core/dialog.h"

namespace session {
class MainDialog : public ui::Dialog {
 public:
  // The setting as last read from the controls (before a manager and on Exit).
  const devlink::LinkSettings& Setting() const { return setting_; }
  // The identification object that owns the printer link.
  protocol::CCommonUtil& Util() { return session_.util(); }
  // Where the serial layouts find the serial devices they offer after the COM names (none by
  // default); must outlive the dialog's runs.
  void SetSerialDevices(const platform::SerialDevices* devices) { serial_devices_ = devices; }

 protected:
  // `setting` holds what the controls do not set; `handheld` as PrinterSession takes it.
  MainDialog(const ui::Template& tmpl, platform::Services& services, devlink::LinkSettings setting,
             bool handheld);

  void OnOK() override;
  void OnCancel() override;
  void OnClose() override;

  static constexpr uint32_t kMaxTcpPort = 65535;

  // Fills setting_ from the controls.
  virtual void ReadSetting() = 0;
  // Keeps setting_ for the next run.
  virtual void StoreSetting() = 0;
  // Whether the controls hold a setting a link can use; when not, the refused control's message
  // has been shown.
  virtual bool SettingUsable() { return true; }
  // Edit `id` holds a TCP port (1 to 65535); otherwise the framework's range message is shown.
  // A port beyond them would reach port 0, named in a message the user cannot place.
  bool TcpPortUsable(int id);
  // What every manager's launch does first: the setting goes to the link. False, with nothing
  // handed over, when SettingUsable says no.
  [[nodiscard]] bool HandOverSetting();

  platform::Services& services_;
  devlink::LinkSettings setting_;
  PrinterSession session_;
  const platform::SerialDevices* serial_devices_ = nullptr;
};
}  // namespace session
