#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/devices/usb_printers.h"

namespace platform {

// The kernel's usblp printers: each /sys/class/usbmisc/lpN is one printer-class interface, opened
// as /dev/usb/lpN. Both roots are injectable so tests can build a fake tree.
class SysfsUsbPrinterEnumerator : public UsbPrinterEnumerator {
 public:
  explicit SysfsUsbPrinterEnumerator(std::string sysfs_root = "/sys",
                                     std::string dev_root = "/dev");

  // Index 0 takes a fresh look at the tree; later indexes walk that snapshot, so a printer that
  // appears mid-walk cannot shift the indexes under the caller.
  std::optional<std::string> DevicePathAt(int index) override;

 private:
  void Scan();

  std::string sysfs_root_;
  std::string dev_root_;
  std::vector<unsigned> numbers_;  // lpN numbers, ascending
  bool scanned_ = false;
};

}  // namespace platform
