#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/failure_cause.h"

namespace platform {

enum class Parity : uint8_t { kNone = 0, kOdd = 1, kEven = 2 };
enum class StopBits : uint8_t { kOne = 0, kTwo = 2 };

// Everything the link decides about a serial line. The link computes this value from its own
// fields; a backend turns it into its operating system's settings (termios + modem-control ioctls
// on Linux, see posix_serial_port.cc for the mapping table).
struct LineSettings {
  uint32_t baud = 115200;
  uint8_t data_bits = 8;
  Parity parity = Parity::kNone;
  bool check_received_parity = false;  // parity of received bytes is checked (input parity)
  StopBits stop_bits = StopBits::kOne;
  bool transmit_waits_for_cts = false;  // output held off while CTS is low
  bool transmit_waits_for_dsr = false;  // output held off while DSR is low
  bool dtr_on = false;
  bool rts_on = false;
  bool dsr_sensitivity = false;  // received bytes dropped while DSR is low
  bool xon_xoff_output = false;
  bool xon_xoff_input = false;
  bool strip_nul = false;
  bool abort_on_error = false;

  bool operator==(const LineSettings&) const = default;
};

// Read and write time-outs in the classic serial-port model. All values in milliseconds.
// read_interval == kReturnAtOnce with both read totals 0 means: a read returns at once with what is
// buffered, possibly nothing. Zero write totals mean: a write has no time-out.
struct SerialTimeouts {
  static constexpr uint32_t kReturnAtOnce = 0xFFFFFFFFu;
  uint32_t read_interval = 0;
  uint32_t read_multiplier = 0;  // per byte asked for
  uint32_t read_constant = 0;
  uint32_t write_multiplier = 0;  // per byte written
  uint32_t write_constant = 0;

  bool operator==(const SerialTimeouts&) const = default;
};

struct ModemStatus {
  bool dsr = false;
  bool cts = false;
  bool ring = false;
  bool carrier = false;
};

// A serial (or Bluetooth serial) device. One object is one open of one device.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens an existing device for reading and writing, exclusively. False when it cannot be opened.
  virtual bool Open(const std::string& device_path) = 0;
  // Reads the current line settings and applies these; false when either step fails.
  virtual bool Configure(const LineSettings& settings) = 0;
  virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;
  // Discards both driver buffers and aborts pending transfers.
  virtual bool Purge() = 0;
  // Waits until the driver has sent what was written, at most `max_ms`; false when bytes are
  // still waiting then. A port that cannot tell returns true at once.
  virtual bool Drain(uint32_t /*max_ms*/) { return true; }
  // Stops waiting for line events. Nothing waits on Linux; kept so the close sequence is explicit.
  virtual bool ClearEventMask() = 0;
  virtual bool GetModemStatus(ModemStatus* status) = 0;
  // Count written within the write time-out; 0 on failure.
  virtual size_t Write(const uint8_t* data, size_t length) = 0;
  // Count read within the read time-outs (0 when nothing came or on failure).
  virtual size_t Read(uint8_t* buffer, size_t capacity) = 0;
  virtual void Close() = 0;
  // Why the last failed call failed (kNone after a successful Open, until something fails). A
  // read or write that merely ran out of time is no failure. A port that cannot tell says kNone.
  virtual FailureCause LastCause() const { return FailureCause::kNone; }
};

}  // namespace platform
