#pragma once

#include <cstdint>
#include <string>

#include "platform/devices/failure_cause.h"

namespace devlink {
// One way of reaching a printer (serial line, Bluetooth serial port, USB printer device, TCP/IP).
// CDev owns one at a time and adds what every transport shares: tracing, pacing, the open flag.
class LinkTransport {
 public:
  virtual ~LinkTransport() = default;

  // Opens the device and checks, where the transport can, that a printer is there. True when the
  // link is ready. On false cause() says why, and is_open() says whether the device itself was
  // opened (a check failed after it): the caller then closes it like any finished connection.
  virtual bool Open() = 0;
  // Releases the device with the pauses it needs to settle. Safe in any state.
  virtual void Close() = 0;
  // Sends `length` bytes in one call: the count the device took; on failure 0 (serial, Bluetooth,
  // USB) or -1 (TCP/IP).
  virtual int Write(const uint8_t* data, uint32_t length) = 0;
  // One read into the start of `buffer` with the transport's own wait: the count received; 0 when
  // nothing came (TCP/IP: also when the printer closed its end); -1 on failure (TCP/IP only).
  virtual int Read(uint8_t* buffer, uint32_t capacity) = 0;

  // True when the printer has closed its end of the link by now or within `wait_ms`: TCP/IP
  // only, where bytes sent after that are taken and lost without an error.
  virtual bool PeerClosed(uint32_t /*wait_ms*/) { return false; }

  virtual bool is_open() const = 0;
  // Why the last failure happened; kNone while nothing has failed since Open.
  virtual platform::FailureCause cause() const = 0;
  // The device as a person names it in a message: "/dev/ttyUSB0", "/dev/usb/lp0", "127.0.0.1:9100".
  virtual const std::string& target() const = 0;
};
}  // namespace devlink
