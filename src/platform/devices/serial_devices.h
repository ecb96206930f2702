#pragma once

// The serial devices a user can pick by their Linux names: wired UARTs (/dev/ttyS*), USB serial
// adapters (/dev/ttyUSB*, /dev/ttyACM*) and bound Bluetooth serial ports (/dev/rfcomm*).

#include <string>
#include <vector>

namespace platform {

class SerialDevices {
 public:
  // Both roots are injectable so tests can build a fake tree.
  explicit SerialDevices(std::string dev_root = "/dev", std::string sysfs_root = "/sys");

  // The device paths that exist now, ttyS, ttyUSB, ttyACM, rfcomm in that order and by number
  // within each (ttyUSB2 before ttyUSB10); each followed by its /dev/serial/by-id names, sorted,
  // which stay the same when adapters are plugged in another order. A ttyS whose sysfs entry says
  // no UART sits behind it is left out: the kernel makes ttyS0 to ttyS31 whether or not a port
  // exists. An unreadable folder lists nothing rather than failing.
  std::vector<std::string> List() const;

 private:
  std::string dev_root_;
  std::string sysfs_root_;
};

}  // namespace platform
