#include "link/cdev.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

#include "link/serial_transport.h"
#include "link/tcp_transport.h"
#include "link/usb_transport.h"
#include "platform/devices/com_names.h"
#include "platform/devices/ipv4.h"
#include "platform/system/hex.h"

namespace devlink {
namespace {

// Every exchange with the printer is paced by this pause (before a write, after a read), which
// slow printers and Bluetooth stacks rely on.
constexpr uint32_t kTrafficPauseMs = 10;
constexpr uint32_t kHandheldCloseWaitMs = 1000;

}  // namespace

// How the classic Win32 device control block (DCB) settings map onto LineSettings (the
// termios side of each member is in posix_serial_port.cc):
//
//   DCB field          value set here                        LineSettings member
//   -----------------  ------------------------------------  ------------------------------
//   BaudRate           baud rate field                       baud
//   ByteSize           low byte of the data bits field       data_bits
//   Parity             parity field (0 none, 1 odd, 2 even)   parity
//   fParity            lowest bit of the parity code          check_received_parity
//   StopBits           0 one, 2 two                          stop_bits
//   fOutxCtsFlow       serial: flow 1; Bluetooth: always      transmit_waits_for_cts
//   fOutxDsrFlow       serial: never;  Bluetooth: always      transmit_waits_for_dsr
//   fDtrControl        serial: ENABLE with flow 1, else       dtr_on
//                      DISABLE; Bluetooth: ENABLE
//   fRtsControl        serial: DISABLE; Bluetooth: ENABLE     rts_on
//   fDsrSensitivity    off                                   dsr_sensitivity
//   fOutX / fInX       off                                   xon_xoff_output / xon_xoff_input
//   fNull              off                                   strip_nul
//   fAbortOnError      off                                   abort_on_error
//   fBinary, fTXContinueOnXoff, fErrorChar: kept as the driver reported them (no member; the
//   backend leaves those termios bits alone).
platform::LineSettings SerialLineSettings(const LinkSettings& settings, bool bluetooth) {
  platform::LineSettings s;
  s.baud = settings.baud_rate;
  s.data_bits = static_cast<uint8_t>(settings.data_bits & 0xFF);
  const int parity = settings.parity & 0xFF;
  switch (parity) {
    case 1:
      s.parity = platform::Parity::kOdd;
      break;
    case 2:
      s.parity = platform::Parity::kEven;
      break;
    default:
      // Mark and space parity have no counterpart here; the line runs without parity.
      s.parity = platform::Parity::kNone;
      break;
  }
  s.check_received_parity = s.parity == platform::Parity::kOdd;
  s.stop_bits =
      (settings.stop_bits & 0xFF) == 0 ? platform::StopBits::kOne : platform::StopBits::kTwo;
  if (bluetooth) {
    s.transmit_waits_for_cts = true;
    s.transmit_waits_for_dsr = true;
    s.dtr_on = true;
    s.rts_on = true;
  } else if (settings.flow_control == 1) {
    s.transmit_waits_for_cts = true;
    s.dtr_on = true;
  }
  return s;
}

platform::SerialTimeouts DesktopSerialTimeouts() {
  return platform::SerialTimeouts{platform::SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0};
}

platform::SerialTimeouts BluetoothTimeouts(uint32_t baud_rate) {
  // A write may take as long as the bytes need on a 19200 bit/s line; a baud rate of 0 is
  // nonsense from a damaged setting and must not divide by zero.
  const uint32_t per_byte = baud_rate == 0 ? 0 : 19200u / baud_rate;
  return platform::SerialTimeouts{platform::SerialTimeouts::kReturnAtOnce, 0, 0, per_byte, 0};
}

platform::SerialTimeouts HandheldProbeTimeouts() {
  return platform::SerialTimeouts{3000, 1000, 10, 1000, 1000};
}

platform::SerialTimeouts HandheldReadyTimeouts() {
  return platform::SerialTimeouts{10, 10, 1000, 1000, 1000};
}

std::string StripNetPrefix(const std::string& port_name) {
  const size_t start = port_name.find_first_not_of("NET");
  if (start == std::string::npos) return std::string();
  const std::string rest = port_name.substr(start);
  return platform::ParseIpv4(rest) ? rest : port_name;
}

CDev::CDev(platform::Services& services, bool handheld)
    : services_(services), handheld_(handheld) {}

CDev::~CDev() {
  if (open_) Close();
}

std::unique_ptr<LinkTransport> CDev::MakeTransport(int transport) {
  switch (transport) {
    case kTransportSerial:
    case kTransportBluetooth: {
      const bool bluetooth = transport == kTransportBluetooth;
      const bool handheld_serial = handheld_ && !bluetooth;
      SerialOptions options;
      options.path = platform::ResolveComName(settings_.port_name, bluetooth, services_.registry);
      options.line = SerialLineSettings(settings_, bluetooth);
      if (bluetooth) {
        options.working = BluetoothTimeouts(settings_.baud_rate);
        options.ready = options.working;
      } else if (handheld_serial) {
        options.working = HandheldProbeTimeouts();
        options.ready = HandheldReadyTimeouts();
      } else {
        options.working = DesktopSerialTimeouts();
      }
      options.clear_events_on_close = !bluetooth;
      target_ = options.path;
      return std::make_unique<SerialTransport>(services_, std::move(options));
    }
    case kTransportUsb:
      target_ = settings_.port_name;
      return std::make_unique<UsbTransport>(services_, settings_.port_name);
    case kTransportTcp: {
      auto tcp = std::make_unique<TcpTransport>(services_, StripNetPrefix(settings_.port_name),
                                                static_cast<uint16_t>(settings_.tcp_port & 0xFFFF));
      target_ = tcp->target();
      return tcp;
    }
  }
  return nullptr;
}

int CDev::Open(const LinkSettings& settings) {
  settings_ = settings;
  int transport;
  switch (settings.interface) {
    case kInterfaceSerial:
      transport = kTransportSerial;
      break;
    case kInterfaceBluetooth:
      transport = kTransportBluetooth;
      break;
    case kInterfaceUsb:
      transport = kTransportUsb;
      break;
    case kInterfaceTcp:
      transport = kTransportTcp;
      break;
    default:
      last_cause_ = platform::FailureCause::kNoSuchDevice;
      ++traffic_.failures;
      return 0;
  }
  // Opening over a live connection would leave the old device held until the object dies.
  if (open_) Close();
  transport_ = transport;
  last_cause_ = platform::FailureCause::kNone;
  link_ = MakeTransport(transport);
  if (!link_->Open()) {
    last_cause_ = link_->cause() != platform::FailureCause::kNone
                      ? link_->cause()
                      : platform::FailureCause::kIoError;
    ++traffic_.failures;
    // A device that opened but failed its checks is released like any other connection.
    if (link_->is_open()) {
      Close();
    } else {
      link_.reset();
    }
    return 0;
  }
  open_ = true;
  return 1;
}

void CDev::Close() {
  open_ = false;
  if (handheld_) services_.clock.Sleep(kHandheldCloseWaitMs);
  if (link_) {
    // A step that fails for a missing reply closes the link: a printer that had closed its end
    // is the cause to name, rather than a printer that is switched off.
    PeerClosed(0);
    link_->Close();
    link_.reset();
  }
}

bool CDev::PeerClosed(uint32_t wait_ms) {
  if (link_ == nullptr || !link_->PeerClosed(wait_ms)) return false;
  last_cause_ = platform::FailureCause::kClosedByPrinter;
  ++traffic_.failures;
  return true;
}

void CDev::NoteCause() {
  if (link_ && link_->cause() != platform::FailureCause::kNone) {
    last_cause_ = link_->cause();
    ++traffic_.failures;
  }
}

int CDev::Write(const uint8_t* data, uint32_t length) {
  if (data == nullptr) length = 0;
  TraceAndPace("[%s][==>] %s\r\n", data, length);
  if (!link_) return transport_ == kTransportTcp ? -1 : 0;
  const int n = link_->Write(data, length);
  if (n > 0) traffic_.sent += static_cast<uint64_t>(n);
  if (n < 0 || static_cast<uint32_t>(n) < length) NoteCause();
  return n;
}

int CDev::Read(uint8_t* buffer, uint32_t capacity, uint32_t /*wait_ms*/) {
  if (buffer == nullptr) capacity = 0;
  capacity = std::min<uint32_t>(capacity, INT_MAX);
  int n = 0;
  if (link_) {
    n = link_->Read(buffer, capacity);
    if (n > 0) {
      traffic_.received += static_cast<uint64_t>(n);
    } else {
      NoteCause();
    }
  } else if (transport_ == kTransportTcp) {
    n = -1;
  }
  TraceAndPace("[%s][<==] %s\r\n\r\n", buffer, n > 0 ? static_cast<size_t>(n) : 0);
  return n;
}

void CDev::TraceAndPace(const char* direction_format, const uint8_t* data, size_t length) {
  if (services_.trace.Enabled()) {
    const char* channel = transport_ == kTransportTcp ? "ETH" : "COM";
    const std::string hex = platform::HexBytes({data, length});
    const int size = std::snprintf(nullptr, 0, direction_format, channel, hex.c_str());
    if (size > 0) {
      std::string text(static_cast<size_t>(size) + 1, '\0');
      std::snprintf(text.data(), text.size(), direction_format, channel, hex.c_str());
      text.resize(static_cast<size_t>(size));
      services_.trace.Trace(text);
    }
  }
  services_.clock.Sleep(kTrafficPauseMs);
}
}  // namespace devlink
