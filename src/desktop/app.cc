#include "desktop/app.h"

#include <utility>

#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"
#include "desktop/main_dlg.h"

CM500QXUtilityApp::CM500QXUtilityApp(platform::Services& services, DiscoveryLog& discovery_log,
                                     uint16_t language_id, std::vector<std::string> pack_folders,
                                     std::vector<ui::ResourcePack> overlays)
    : services_(services),
      discovery_log_(discovery_log),
      language_id_(language_id),
      pack_folders_(std::move(pack_folders)),
      overlays_(std::move(overlays)) {}

bool CM500QXUtilityApp::InitInstance(ui::LoopHost& host) {
  host.SetResources(desktop::DesktopResources(
      desktop::LayPacks(desktop::LoadLanguagePack(language_id_, pack_folders_), overlays_)));

  const platform::SerialDevices serial_devices;
  CM500QXUtilityDlg dlg(services_, discovery_log_);
  dlg.SetSerialDevices(&serial_devices);
  dlg.DoModal(host);
  return false;
}
