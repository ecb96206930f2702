#include "link/usb_discovery.h"

#include <climits>
#include <cstdio>
#include <memory>

namespace devlink {
namespace {

constexpr int kFirstPassEnd = 8;

std::string Label(size_t number) {
  char label[24];
  std::snprintf(label, sizeof label, "USB%02zu", number);
  return label;
}

}  // namespace

std::vector<UsbPrinter> DiscoverUsbPrinters(platform::Services& services, DiscoveryLog& log) {
  std::vector<UsbPrinter> printers;
  std::unique_ptr<platform::UsbPrinterEnumerator> enumerator =
      services.devices.NewUsbPrinterEnumerator();
  if (!enumerator) return printers;

  // Passes of doubling length: once a pass has found a printer the user has something to choose,
  // and walking a long list of stale interfaces would only delay the dialog.
  int index = 0;
  for (int pass_end = kFirstPassEnd;; pass_end = pass_end > INT_MAX / 2 ? INT_MAX : pass_end * 2) {
    for (; index < pass_end; ++index) {
      const std::optional<std::string> path = enumerator->DevicePathAt(index);
      if (!path) return printers;
      log.Line("Attempting to open " + *path + "\n");
      std::unique_ptr<platform::DeviceFile> device = services.devices.NewDeviceFile();
      if (!device || !device->Open(*path, /*exclusive=*/false)) {
        log.Line("FAILED to open " + *path + "\n");
        continue;
      }
      device->Close();
      printers.push_back(UsbPrinter{Label(printers.size() + 1), *path});
    }
    if (!printers.empty() || index == INT_MAX) return printers;
  }
}
}  // namespace devlink
