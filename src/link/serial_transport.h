#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/transport.h"
#include "platform/devices/serial_port.h"
#include "platform/system/services.h"

namespace devlink {
// What a serial or Bluetooth open asks of the line; the link fills it from its fields.
struct SerialOptions {
  std::string path;  // the device, already resolved from a COMn name
  platform::LineSettings line;
  platform::SerialTimeouts working;  // while the printer's presence is checked
  // Set once the printer answered the check (handheld and Bluetooth); none keeps `working`.
  std::optional<platform::SerialTimeouts> ready;
  bool clear_events_on_close = true;  // wired lines stop their event wait first
};

// A serial line or Bluetooth serial port. Open retries a device that will not open, configures
// the line, and checks DSR after a probe byte: a printer that is off or unplugged still leaves
// the port openable, only DSR tells.
class SerialTransport : public LinkTransport {
 public:
  SerialTransport(platform::Services& services, SerialOptions options);
  ~SerialTransport() override;

  bool Open() override;
  void Close() override;
  int Write(const uint8_t* data, uint32_t length) override;
  int Read(uint8_t* buffer, uint32_t capacity) override;
  bool is_open() const override { return port_ != nullptr; }
  platform::FailureCause cause() const override { return cause_; }
  const std::string& target() const override { return options_.path; }

 private:
  bool Fail(platform::FailureCause fallback);     // records the port's cause (or fallback), false
  void NoteIfNew(platform::FailureCause before);  // the port's cause, when the call changed it

  platform::Services& services_;
  SerialOptions options_;
  std::unique_ptr<platform::SerialPort> port_;
  platform::FailureCause cause_ = platform::FailureCause::kNone;
};
}  // namespace devlink
