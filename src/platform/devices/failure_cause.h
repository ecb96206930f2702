#pragma once

#include <cstdint>

namespace platform {

// Why talking to a printer failed, in terms a person can act on. The set is closed on purpose:
// each backend maps its system error once, where the call failed, and everything above works
// with these few values instead of raw error numbers.
enum class FailureCause : uint8_t {
  kNone = 0,
  kPermissionDenied,   // the device exists, but this user may not open it
  kNoSuchDevice,       // nothing at that path (unplugged, wrong name)
  kNotSerialPort,      // the path is something other than a serial line
  kDeviceBusy,         // another program holds the device
  kBadAddress,         // the printer's address is no IP address (or a name that did not resolve)
  kConnectionRefused,  // a host answered, but nothing listens on that port
  kUnreachable,        // no route to the host, or it did not answer within the time-out
  kNoDsr,              // the line opened, but DSR is low: printer off or a cable without DSR
  kNoAnswer,           // the link is up, but the printer sent nothing back
  kIoError,            // any other failure of the device or the connection
  kClosedByPrinter,    // the printer closed the connection while it was still written to
  kLineRefused,        // the serial port does not take the line's rate, data bits or parity
  kUnreadableAnswer,   // the printer sent something back, but no reply this program knows
};

// The cause an errno value stands for; 0 is kNone, anything not listed is kIoError.
FailureCause CauseFromErrno(int error);

}  // namespace platform
