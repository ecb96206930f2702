#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/devices/devices.h"
#include "platform/system/clock.h"
#include "sim/printer_model.h"

namespace sim {

// Knobs and records shared by every transport one SimDeviceFactory makes.
struct SimLine {
  bool printer_on = true;                                 // off: DSR low, TCP connections refused
  bool open_fails = false;                                // every open / connect fails
  std::vector<std::string> usb_paths = {"/dev/usb/lp0"};  // what the USB enumerator lists

  std::vector<uint8_t> sent;  // every byte the host wrote, on any transport, in order
  int opens = 0;              // successful opens and connects
  int open_transports = 0;    // opened and not yet closed (a leak check)
};

// Transports that lead to a PrinterModel in virtual time: a write reaches the model at the clock's
// now; a read returns what the model has due by then. Each read honours its transport's contract:
// a serial read with "return at once" time-outs (the desktop's) never waits, one with totals set
// waits for the first byte up to its time-out; a USB read waits up to DeviceFile::kReadTimeoutMs
// and a TCP receive up to TcpSocket::kReceiveTimeoutMs (returning 0 then). Waiting means moving
// the virtual clock on to the next due reply, or by the whole time-out when none comes in time.
class SimDeviceFactory : public platform::DeviceFactory {
 public:
  SimDeviceFactory(PrinterModel& model, platform::VirtualClock& clock);

  std::unique_ptr<platform::SerialPort> NewSerialPort() override;
  std::unique_ptr<platform::TcpSocket> NewTcpSocket() override;
  std::unique_ptr<platform::DeviceFile> NewDeviceFile() override;
  std::unique_ptr<platform::UsbPrinterEnumerator> NewUsbPrinterEnumerator() override;

  SimLine& line() { return line_; }
  PrinterModel& model() { return model_; }

 private:
  PrinterModel& model_;
  platform::VirtualClock& clock_;
  SimLine line_;
};

}  // namespace sim
