#pragma once

#include <string>
#include <vector>

#include "platform/system/services.h"

namespace devlink {
// One USB printer the main dialog can offer: its list label (USB01, USB02...) and device path.
struct UsbPrinter {
  std::string label;
  std::string device_path;
};

// Where discovery reports the paths it tries ("Attempting to open %s\n", "FAILED to open %s\n").
// Standard error under the automation host (standard output carries its protocol); the trace sink
// under a terminal or window host.
class DiscoveryLog {
 public:
  virtual ~DiscoveryLog() = default;
  virtual void Line(const std::string& text) = 0;
};

// Walks the USB printer interfaces in passes ending at index 8, 16, 32, ...; stops after a pass
// that listed at least one printer, or when enumeration reports no more items.
std::vector<UsbPrinter> DiscoverUsbPrinters(platform::Services& services, DiscoveryLog& log);
}  // namespace devlink
