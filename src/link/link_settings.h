#pragma once

#include <cstdint>
#include <string>

namespace devlink {
// How to reach a printer: what the main dialogs keep, the command line parses and the link opens.
struct LinkSettings {
  int interface = 0;  // CDev::kInterfaceSerial, kInterfaceBluetooth, kInterfaceUsb...
  std::string port_name =
      "COM1";  // COMn, a device path, or the IP address or host name ("NET" may lead)
  uint32_t baud_rate = 115200;
  int parity = 0;  // 0 none, 1 odd, 2 even
  int data_bits = 8;
  int stop_bits = 0;         // 0 one, 2 two
  int flow_control = 0;      // 0 none, 1 DTR/DSR
  uint32_t tcp_port = 9100;  // the link connects to its low 16 bits
  bool operator==(const LinkSettings&) const = default;
};
}  // namespace devlink
