#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "link/link_settings.h"
#include "link/transport.h"
#include "platform/devices/failure_cause.h"
#include "platform/devices/serial_port.h"
#include "platform/system/services.h"

namespace devlink {
// The one byte connection to a printer, over a serial line, a Bluetooth serial port, a USB printer
// device or TCP/IP. It moves bytes and knows nothing of printer commands.
class CDev {
 public:
  // Interface codes chosen by the caller (deskutil stores them as uPortType; pdautil stores
  // codes of its own).
  static constexpr int kInterfaceSerial = 0;
  static constexpr int kInterfaceBluetooth = 1;
  static constexpr int kInterfaceUsb = 2;
  static constexpr int kInterfaceTcp = 3;
  // Transport codes set by Open.
  static constexpr int kTransportSerial = 0;
  static constexpr int kTransportUsb = 2;
  static constexpr int kTransportTcp = 3;
  static constexpr int kTransportBluetooth = 4;

  // A handheld link waits longer on a serial open and lets the port settle after a close.
  explicit CDev(platform::Services& services, bool handheld = false);
  virtual ~CDev();
  CDev(const CDev&) = delete;
  CDev& operator=(const CDev&) = delete;

  // 1 when the connection to `settings` is open and verified, 0 when it failed (the object is
  // then closed).
  int Open(const LinkSettings& settings);
  // Always safe.
  void Close();
  // Bytes accepted by the transport; 0 (serial, Bluetooth, USB) or -1 (TCP/IP) on failure.
  int Write(const uint8_t* data, uint32_t length);
  // One read into the start of `buffer`: bytes received, 0 when nothing was waiting; for TCP/IP 0
  // also means the peer closed (or nothing came within the receive time-out) and -1 an error.
  // `wait_ms` is accepted for callers' sake and ignored: each transport has its own time-outs.
  int Read(uint8_t* buffer, uint32_t capacity, uint32_t wait_ms);

  bool is_open() const { return open_; }
  // True when the printer has closed its end of the link by now or within `wait_ms` (only TCP/IP
  // can tell): what was written since its last reply may be lost, although every write
  // succeeded. Counted as a failure of the link (kClosedByPrinter).
  bool PeerClosed(uint32_t wait_ms);
  // How long a close the printer sent is given to arrive after the last write.
  static constexpr uint32_t kCloseNoticeMs = 20;
  bool handheld() const { return handheld_; }
  // What the last Open was asked to reach, and the transport it chose (kTransport...).
  const LinkSettings& settings() const { return settings_; }
  int transport() const { return transport_; }

  // Why the link last failed (Open, a write or a read); kNone while nothing failed since Open.
  platform::FailureCause last_cause() const { return last_cause_; }
  // The device or address of the last Open as a person names it ("/dev/ttyS0", "127.0.0.1:9100").
  const std::string& failure_target() const { return target_; }
  // Counts since the object was made. Taken before a step and compared after it, they tell a
  // failure of the link from a silent printer and from a reply that was merely wrong.
  struct Traffic {
    uint64_t sent = 0;           // bytes the transport took
    uint64_t received = 0;       // bytes read
    uint64_t failures = 0;       // failures with a cause (opens, writes, reads)
    uint64_t stopped_waits = 0;  // reply waits a stop request ended before the printer could answer
  };
  const Traffic& traffic() const { return traffic_; }
  // Called by a reply wait that gives up at a stop request: its failure is the stop's, not the
  // printer's silence.
  void NoteStoppedWait() { ++traffic_.stopped_waits; }

 private:
  // The transport for `transport` from settings_; also sets target_.
  std::unique_ptr<LinkTransport> MakeTransport(int transport);
  // Keeps the link's cause when it reports one, counted as a failure.
  void NoteCause();
  // Traces the bytes, then takes the pause that paces every exchange.
  void TraceAndPace(const char* direction_format, const uint8_t* data, size_t length);

  platform::Services& services_;
  const bool handheld_;
  bool open_ = false;
  LinkSettings settings_;
  int transport_ = kTransportSerial;
  std::unique_ptr<LinkTransport> link_;
  platform::FailureCause last_cause_ = platform::FailureCause::kNone;
  std::string target_;
  Traffic traffic_;
};

// What the serial and Bluetooth opens ask of the line. Pure, so the mapping can be checked without
// a port.
platform::LineSettings SerialLineSettings(const LinkSettings& settings, bool bluetooth);
// Time-outs of each open stage (desktop and handheld, serial and Bluetooth).
platform::SerialTimeouts DesktopSerialTimeouts();
platform::SerialTimeouts BluetoothTimeouts(uint32_t baud_rate);
platform::SerialTimeouts HandheldProbeTimeouts();
platform::SerialTimeouts HandheldReadyTimeouts();

// The address text of a TCP/IP port name: the leading run of 'N', 'E' and 'T' letters removed when
// an IPv4 address (or nothing) follows it, as the main dialog stores it ("NET10.0.0.5"). Any
// other name is kept whole: a host name or an IPv6 address may begin with those letters.
std::string StripNetPrefix(const std::string& port_name);
}  // namespace devlink
