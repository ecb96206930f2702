#include "platform/devices/posix_device_factory.h"

#include "platform/devices/posix_device_file.h"
#include "platform/devices/posix_serial_port.h"
#include "platform/devices/posix_tcp_socket.h"
#include "platform/devices/sysfs_usb_printers.h"

namespace platform {

std::unique_ptr<SerialPort> PosixDeviceFactory::NewSerialPort() {
  return std::make_unique<PosixSerialPort>(clock_);
}

std::unique_ptr<TcpSocket> PosixDeviceFactory::NewTcpSocket() {
  return std::make_unique<PosixTcpSocket>(clock_, PosixTcpSocket::kConnectTimeoutMs);
}

std::unique_ptr<DeviceFile> PosixDeviceFactory::NewDeviceFile() {
  return std::make_unique<PosixDeviceFile>(clock_);
}

std::unique_ptr<UsbPrinterEnumerator> PosixDeviceFactory::NewUsbPrinterEnumerator() {
  return std::make_unique<SysfsUsbPrinterEnumerator>(sysfs_root_, dev_root_);
}

}  // namespace platform
