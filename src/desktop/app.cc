#include "desktop/app.h"

#include <utility>

#include "desktop/desktop_resources.h"
#include "desktop/main_dlg.h"

namespace desktop {
CM500QXUtilityApp::CM500QXUtilityApp(platform::Services& services,
                                     devlink::DiscoveryLog& discovery_log,
                                     std::optional<ui::ResourcePack> language)
    : services_(services), discovery_log_(discovery_log), language_(std::move(language)) {}

bool CM500QXUtilityApp::InitInstance(ui::LoopHost& host) {
  host.SetResources(DesktopResources(language_));

  const platform::SerialDevices serial_devices;
  CM500QXUtilityDlg dlg(services_, discovery_log_);
  dlg.SetSerialDevices(&serial_devices);
  dlg.DoModal(host);
  return false;
}
}  // namespace desktop
