#include "cli/discover.h"

#include "cli/quote.h"
#include "link/usb_discovery.h"
#include "platform/devices/serial_devices.h"

namespace cli {
namespace {

// DiscoverUsbPrinters narrates each device it tries; the listing says what was found instead.
class SilentDiscoveryLog : public devlink::DiscoveryLog {
 public:
  void Line(const std::string&) override {}
};

bool HasPrefix(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<DiscoveredPrinter> DiscoverLocal(platform::Services& services,
                                             const std::string& dev_root,
                                             const std::string& sysfs_root) {
  std::vector<DiscoveredPrinter> found;
  SilentDiscoveryLog log;
  for (const devlink::UsbPrinter& printer : devlink::DiscoverUsbPrinters(services, log)) {
    found.push_back({printer.device_path, "usb", "", "", "", "USB printer"});
  }
  // The list puts each device's /dev/serial/by-id names right after it: they take its kind.
  const std::string by_id = dev_root + "/serial/by-id/";
  std::string last_kind, last_path;
  for (const std::string& path : platform::SerialDevices(dev_root, sysfs_root).List()) {
    DiscoveredPrinter entry;
    const std::string name = path.substr(path.rfind('/') + 1);
    if (HasPrefix(path, by_id) && !last_kind.empty()) {
      entry.kind = last_kind;
      entry.note = "stable name of " + last_path;
    } else if (HasPrefix(name, "rfcomm")) {
      entry.kind = "bluetooth";
      entry.note = "Bluetooth serial port";
    } else if (HasPrefix(name, "ttyS")) {
      entry.kind = "serial";
      entry.note = "serial port";
    } else {
      entry.kind = "serial";
      entry.note = "USB serial adapter";
    }
    entry.address = (entry.kind == "bluetooth" ? "bt:" : "") + path;
    if (!HasPrefix(path, by_id)) {
      last_kind = entry.kind;
      last_path = path;
    }
    found.push_back(std::move(entry));
  }
  return found;
}

std::string FormatDiscovered(const DiscoveredPrinter& printer) {
  std::string line = printer.address;
  for (const std::string* part :
       {&printer.model, &printer.maker, &printer.firmware, &printer.note}) {
    if (!part->empty()) line += "  " + *part;
  }
  return ScreenSafe(line);  // a printer's texts, a device's name
}

}  // namespace cli
