#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/devices/posix_fd_device.h"
#include "platform/devices/serial_port.h"

namespace platform {

// The modem-control outputs a line setting asks for; applied with TIOCMBIS/TIOCMBIC after the
// termios settings, because changing CRTSCTS can move RTS.
struct ModemLines {
  bool dtr = false;
  bool rts = false;
  bool operator==(const ModemLines&) const = default;
};

// The Bxxxx constant for a rate, or nullopt when termios has none (such a rate fails Configure).
std::optional<speed_t> BaudToSpeed(uint32_t baud);
// True when every field can be applied: a termios rate and 5 to 8 data bits.
bool LineSettingsSupported(const LineSettings& settings);
// `current` with `settings` applied (see the table in posix_serial_port.cc). Fields that cannot be
// applied (unsupported rate or data bits) leave the current value.
termios ToTermios(const termios& current, const LineSettings& settings);
ModemLines ToModemLines(const LineSettings& settings);

// A serial device (a wired port, USB adapter or /dev/rfcommN) through termios.
class PosixSerialPort : public PosixFdDevice<SerialPort> {
 public:
  // Whatever the time-outs say, a single write gives up when the line has not taken a byte for
  // this long, so a stuck line (CTS held low, a peer that stopped reading) cannot freeze the
  // program. The same bound applies to a read asked to wait without any limit.
  static constexpr uint32_t kStallLimitMs = 10000;

  PosixSerialPort() = default;
  explicit PosixSerialPort(Clock& clock) : PosixFdDevice(clock) {}
  ~PosixSerialPort() override { Close(); }

  bool Open(const std::string& device_path) override;
  bool Configure(const LineSettings& settings) override;
  bool SetTimeouts(const SerialTimeouts& timeouts) override;
  bool Purge() override;
  bool Drain(uint32_t max_ms) override;
  bool ClearEventMask() override;
  bool GetModemStatus(ModemStatus* status) override;
  size_t Write(const uint8_t* data, size_t length) override;
  size_t Read(uint8_t* buffer, size_t capacity) override;
  void Close() override;

 private:
  bool Fail();  // records the cause errno stands for, returns false

  SerialTimeouts timeouts_;
};

}  // namespace platform
