#pragma once

#include <memory>

#include "platform/devices/device_file.h"
#include "platform/devices/serial_port.h"
#include "platform/devices/tcp_socket.h"
#include "platform/devices/usb_printers.h"

namespace platform {

// Makes the objects that talk to hardware. The real factory makes POSIX backends; tests and the
// virtual printer plug in factories of their own.
class DeviceFactory {
 public:
  virtual ~DeviceFactory() = default;
  virtual std::unique_ptr<SerialPort> NewSerialPort() = 0;
  virtual std::unique_ptr<TcpSocket> NewTcpSocket() = 0;
  virtual std::unique_ptr<DeviceFile> NewDeviceFile() = 0;
  virtual std::unique_ptr<UsbPrinterEnumerator> NewUsbPrinterEnumerator() = 0;
};

}  // namespace platform
