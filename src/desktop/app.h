#pragma once

#include <optional>

#include "link/usb_discovery.h"
#include "platform/system/services.h"
#include "ui/core/loop_host.h"
#include "ui/core/string_table.h"

namespace desktop {
// The desktop program's application object: installs the user interface's language, then runs
// the main dialog; the program lives exactly as long as that dialog.
class CM500QXUtilityApp {
 public:
  // `language` is the translation with any --pack overlays laid over it (desktop/language_packs.h);
  // nullopt: English.
  CM500QXUtilityApp(platform::Services& services, devlink::DiscoveryLog& discovery_log,
                    std::optional<ui::ResourcePack> language);

  // Installs the resources in `host` and runs the main dialog modally. Returns false: once the
  // main dialog has ended there is nothing left to run.
  bool InitInstance(ui::LoopHost& host);

 private:
  platform::Services& services_;
  devlink::DiscoveryLog& discovery_log_;
  std::optional<ui::ResourcePack> language_;
};
}  // namespace desktop
