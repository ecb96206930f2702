#include "link/link_failure.h"

#include "link/cdev.h"

namespace devlink {
namespace {

using platform::FailureCause;

std::string PermissionAdvice(int transport) {
  switch (transport) {
    case CDev::kTransportUsb:
      return "add yourself to group lp (sudo usermod -aG lp $USER) and log in again";
    case CDev::kTransportTcp:
      return "a firewall rule refuses the connection";
    default:
      return "add yourself to group dialout (sudo usermod -aG dialout $USER) and log in again";
  }
}

std::string MissingAdvice(int transport) {
  switch (transport) {
    case CDev::kTransportUsb:
      return "check that the printer is connected by USB and switched on";
    case CDev::kTransportBluetooth:
      return "check that the printer is paired and bound to this port";
    default:
      return "check the port and that the cable or adapter is plugged in";
  }
}

// The Bluetooth link did not come up (the printer off, out of range or no longer paired).
std::string BluetoothAdvice() {
  return "no Bluetooth connection; check that the printer is switched on, in range and paired";
}

}  // namespace

std::string DescribeFailure(FailureCause cause, const std::string& target, int transport) {
  const std::string at = target.empty() ? std::string() : target + ": ";
  switch (cause) {
    case FailureCause::kNone:
      return {};
    case FailureCause::kPermissionDenied:
      return at + "permission denied; " + PermissionAdvice(transport);
    case FailureCause::kNoSuchDevice:
      return at + "no such device; " + MissingAdvice(transport);
    case FailureCause::kNotSerialPort:
      return at + "not a serial port; choose the port the printer is connected to";
    case FailureCause::kDeviceBusy:
      return at + "device busy; another program is using it, close that program and try again";
    case FailureCause::kBadAddress:
      return at + "not an IPv4 address; type four numbers, e.g. 192.0.2.10";
    case FailureCause::kConnectionRefused:
      if (transport == CDev::kTransportBluetooth) return at + BluetoothAdvice();
      return at + "connection refused; check the port number (most printers use 9100)";
    case FailureCause::kUnreachable:
      if (transport == CDev::kTransportBluetooth) return at + BluetoothAdvice();
      if (transport != CDev::kTransportTcp) {
        // A USB device or a serial line that stopped taking data: a write waited out its limit.
        return at + "the printer takes no data; check that it is switched on and ready";
      }
      return at + "unreachable or timed out; check the IP address and that the printer is on";
    case FailureCause::kNoDsr:
      if (transport == CDev::kTransportBluetooth) {
        return at + "no DSR; the printer is switched off or its Bluetooth link is not up";
      }
      return at + "no DSR; the printer is switched off or the cable lacks the DSR line";
    case FailureCause::kNoAnswer:
      // On TCP/IP a printer busy with another program's connection takes this one and stays
      // silent.
      return "no answer from the printer" + (target.empty() ? std::string() : " at " + target) +
             "; check that it is switched on and set to this interface" +
             (transport == CDev::kTransportTcp ? ", and that no other program is using it" : "");
    case FailureCause::kClosedByPrinter:
      return at + "the printer closed the connection; what was sent after that is lost";
    case FailureCause::kLineRefused:
      return at +
             "the port cannot be set to this rate, data bits and parity; choose settings "
             "it takes, and set the printer to match";
    case FailureCause::kUnreadableAnswer:
      // Cut short by its time limit, or garbled.
      return at + "the answer was cut short or could not be understood; check that " +
             (transport == CDev::kTransportSerial || transport == CDev::kTransportBluetooth
                  ? "the baud rate, data bits and parity match the printer's"
                  : "this is the printer's port");
    case FailureCause::kIoError:
      // A Bluetooth port that fails has most often lost its link (the printer off or gone).
      if (transport == CDev::kTransportBluetooth) return at + BluetoothAdvice();
      return at + "input/output error; check the cable and the printer";
  }
  return {};
}

FailureCause StepFailureCause(const CDev& dev, const CDev::Traffic& before) {
  const CDev::Traffic& now = dev.traffic();
  if (now.failures != before.failures) return dev.last_cause();
  if (now.sent != before.sent && now.received == before.received) return FailureCause::kNoAnswer;
  if (now.received != before.received) return FailureCause::kUnreadableAnswer;
  return FailureCause::kNone;
}

std::string FailureLine(const CDev& dev, const CDev::Traffic& before) {
  return DescribeFailure(StepFailureCause(dev, before), dev.failure_target(), dev.transport());
}

std::string WithFailureLine(std::string first, const CDev& dev, const CDev::Traffic& before) {
  const std::string line = FailureLine(dev, before);
  if (!line.empty()) first += "\n" + line;
  return first;
}
}  // namespace devlink
