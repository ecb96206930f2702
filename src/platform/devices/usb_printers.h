#pragma once

#include <optional>
#include <string>

namespace platform {

// Enumerates the present USB printer-class interfaces by index, the way the link's discovery
// walks them.
class UsbPrinterEnumerator {
 public:
  virtual ~UsbPrinterEnumerator() = default;
  // Device path of the interface at `index` (0-based), or nullopt when there are no more items.
  virtual std::optional<std::string> DevicePathAt(int index) = 0;
};

}  // namespace platform
