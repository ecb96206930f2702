#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/usb_discovery.h"
#include "platform/services.h"
#include "ui/core/loop_host.h"
#include "ui/core/string_table.h"

// The desktop program's application object: chooses the language of the user interface, then
// runs the main dialog; the program lives exactly as long as that dialog.
class CM500QXUtilityApp {
 public:
  // `language_id` is the system default language identifier; `pack_folders` are searched in
  // order for its language pack. `overlays` are laid over that pack in order (deskutil --pack).
  CM500QXUtilityApp(platform::Services& services, DiscoveryLog& discovery_log, uint16_t language_id,
                    std::vector<std::string> pack_folders,
                    std::vector<ui::ResourcePack> overlays = {});

  // Installs the resources (with the language pack when one loads, and the overlays) in `host`
  // and runs the main dialog modally. Returns false: once the main dialog has ended there is
  // nothing left to run.
  bool InitInstance(ui::LoopHost& host);

 private:
  platform::Services& services_;
  DiscoveryLog& discovery_log_;
  uint16_t language_id_;
  std::vector<std::string> pack_folders_;
  std::vector<ui::ResourcePack> overlays_;
};
