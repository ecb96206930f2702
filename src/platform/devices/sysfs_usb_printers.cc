#include "platform/devices/sysfs_usb_printers.h"

#include <dirent.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace platform {
namespace {

// "lp" and a decimal number of at most 9 digits; anything else in the folder is not a printer.
std::optional<unsigned> PrinterNumber(const char* name) {
  if (name[0] != 'l' || name[1] != 'p' || name[2] == '\0') return std::nullopt;
  unsigned number = 0;
  int digits = 0;
  for (const char* p = name + 2; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9' || ++digits > 9) return std::nullopt;
    number = number * 10 + static_cast<unsigned>(*p - '0');
  }
  return number;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

SysfsUsbPrinterEnumerator::SysfsUsbPrinterEnumerator(std::string sysfs_root, std::string dev_root)
    : sysfs_root_(std::move(sysfs_root)), dev_root_(std::move(dev_root)) {}

void SysfsUsbPrinterEnumerator::Scan() {
  numbers_.clear();
  scanned_ = true;
  const std::string folder = sysfs_root_ + "/class/usbmisc";
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return;  // no usbmisc class: no printer was ever plugged in
  while (const dirent* entry = ::readdir(dir.get())) {
    if (const std::optional<unsigned> n = PrinterNumber(entry->d_name)) numbers_.push_back(*n);
  }
  std::sort(numbers_.begin(), numbers_.end());  // by number: lp2 before lp10
  numbers_.erase(std::unique(numbers_.begin(), numbers_.end()), numbers_.end());
}

std::optional<std::string> SysfsUsbPrinterEnumerator::DevicePathAt(int index) {
  if (index < 0) return std::nullopt;
  if (index == 0 || !scanned_) Scan();
  if (static_cast<size_t>(index) >= numbers_.size()) return std::nullopt;
  return dev_root_ + "/usb/lp" + std::to_string(numbers_[static_cast<size_t>(index)]);
}

}  // namespace platform
