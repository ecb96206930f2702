#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/devices/devices.h"
#include "platform/system/clock.h"

namespace platform {

// The real hardware: termios serial ports, POSIX sockets, usblp device files found in sysfs.
// Every device waits on `clock`, the program's real-time clock, so its idle hook runs while a
// device is awaited.
class PosixDeviceFactory : public DeviceFactory {
 public:
  explicit PosixDeviceFactory(Clock& clock, std::string sysfs_root = "/sys",
                              std::string dev_root = "/dev")
      : clock_(clock), sysfs_root_(std::move(sysfs_root)), dev_root_(std::move(dev_root)) {}

  std::unique_ptr<SerialPort> NewSerialPort() override;
  std::unique_ptr<TcpSocket> NewTcpSocket() override;
  std::unique_ptr<DeviceFile> NewDeviceFile() override;
  std::unique_ptr<UsbPrinterEnumerator> NewUsbPrinterEnumerator() override;

 private:
  Clock& clock_;
  std::string sysfs_root_;
  std::string dev_root_;
};

}  // namespace platform
