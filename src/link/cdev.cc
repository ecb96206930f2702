#include "link/cdev.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "platform/com_names.h"
#include "platform/hex.h"

namespace {

// Every exchange with the printer is paced by this pause (before a write, after a read), which
// slow printers and Bluetooth stacks rely on.
constexpr uint32_t kTrafficPauseMs = 10;
constexpr int kSerialOpenAttempts = 3;
constexpr uint32_t kSerialOpenRetryMs = 400;
constexpr uint32_t kSerialCloseSettleMs = 200;
constexpr uint32_t kHandheldCloseWaitMs = 1000;
constexpr uint8_t kProbeByte = 0x00;

int ClampToInt(uint32_t n) { return static_cast<int>(std::min<uint32_t>(n, INT_MAX)); }

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
platform::LineSettings SerialLineSettings(const CDev& dev, bool bluetooth) {
  platform::LineSettings s;
  s.baud = dev.baud_rate_;
  s.data_bits = static_cast<uint8_t>(dev.data_bits_ & 0xFF);
  const int parity = dev.parity_ & 0xFF;
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
  s.stop_bits = (dev.stop_bits_ & 0xFF) == 0 ? platform::StopBits::kOne : platform::StopBits::kTwo;
  if (bluetooth) {
    s.transmit_waits_for_cts = true;
    s.transmit_waits_for_dsr = true;
    s.dtr_on = true;
    s.rts_on = true;
  } else if (dev.flow_control_ == 1) {
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
  return start == std::string::npos ? std::string() : port_name.substr(start);
}

CDev::CDev(platform::Services& services) : services_(services) {}

CDev::~CDev() {
  if (open_flag_ != 0) Close();
}

int CDev::Open() {
  int transport;
  switch (interface_) {
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
      return 0;
  }
  // Opening over a live connection would leave the old device held until the object dies.
  if (open_flag_ != 0) Close();
  transport_ = transport;
  int ok = 0;
  switch (transport) {
    case kTransportSerial:
      ok = OpenSerial(false);
      break;
    case kTransportBluetooth:
      ok = OpenSerial(true);
      break;
    case kTransportUsb:
      ok = OpenUsb();
      break;
    case kTransportTcp:
      ok = OpenTcp();
      break;
  }
  if (ok != 0) open_flag_ = 1;
  return ok;
}

int CDev::OpenSerial(bool bluetooth) {
  const std::string path = platform::ResolveComName(port_name_, bluetooth, services_.registry);
  std::unique_ptr<platform::SerialPort> port = services_.devices.NewSerialPort();
  if (!port) return 0;
  bool opened = false;
  for (int attempt = 0; attempt < kSerialOpenAttempts && !opened; ++attempt) {
    if (attempt > 0) services_.clock.Sleep(kSerialOpenRetryMs);
    opened = port->Open(path);
  }
  if (!opened) return 0;
  serial_ = std::move(port);

  const bool handheld_serial = handheld_mode_ != 0 && !bluetooth;
  platform::SerialTimeouts working;
  if (bluetooth) {
    working = BluetoothTimeouts(baud_rate_);
  } else if (handheld_serial) {
    working = HandheldProbeTimeouts();
  } else {
    working = DesktopSerialTimeouts();
  }
  if (!serial_->Configure(SerialLineSettings(*this, bluetooth)) || !serial_->SetTimeouts(working)) {
    Close();
    return 0;
  }
  serial_->Purge();

  // A printer that is switched off or unplugged still leaves the port openable; only DSR tells.
  // The first status reading after the probe byte can be stale, so the second one decides.
  bool present = false;
  if (serial_->Write(&kProbeByte, 1) == 1) {
    platform::ModemStatus status;
    serial_->GetModemStatus(&status);
    status = platform::ModemStatus{};
    present = serial_->GetModemStatus(&status) && status.dsr;
  }
  if (!present) {
    Close();
    return 0;
  }

  if (bluetooth || handheld_serial) {
    const platform::SerialTimeouts ready =
        bluetooth ? BluetoothTimeouts(baud_rate_) : HandheldReadyTimeouts();
    if (!serial_->SetTimeouts(ready)) {
      Close();
      return 0;
    }
  }
  return 1;
}

int CDev::OpenUsb() {
  std::unique_ptr<platform::DeviceFile> device = services_.devices.NewDeviceFile();
  if (!device || !device->Open(port_name_, /*exclusive=*/true)) return 0;
  device_ = std::move(device);
  return 1;
}

int CDev::OpenTcp() {
  const std::string address = StripNetPrefix(port_name_);
  std::unique_ptr<platform::TcpSocket> socket = services_.devices.NewTcpSocket();
  if (!socket) return 0;
  if (!socket->Connect(address, static_cast<uint16_t>(baud_rate_ & 0xFFFF))) return 0;
  socket_ = std::move(socket);
  return 1;
}

void CDev::Close() {
  open_flag_ = 0;
  if (handheld_mode_ != 0) services_.clock.Sleep(kHandheldCloseWaitMs);
  if (socket_) {
    socket_->Close();
    socket_.reset();
  }
  if (device_) {
    device_->Close();
    device_.reset();
  }
  if (serial_) {
    if (transport_ == kTransportSerial) serial_->ClearEventMask();
    serial_->Purge();
    services_.clock.Sleep(kSerialCloseSettleMs);
    serial_->Close();
    serial_.reset();
  }
}

int CDev::Write(const uint8_t* data, uint32_t length) {
  const bool tcp = transport_ == kTransportTcp;
  if (data == nullptr) length = 0;
  TraceAndPace("[%s][==>] %s\r\n", data, length);
  if (tcp) return socket_ ? socket_->Send(data, length) : -1;
  if (serial_) return ClampToInt(static_cast<uint32_t>(serial_->Write(data, length)));
  if (device_) return ClampToInt(static_cast<uint32_t>(device_->Write(data, length)));
  return 0;
}

int CDev::Read(uint8_t* buffer, uint32_t capacity, uint32_t /*wait_ms*/) {
  if (buffer == nullptr) capacity = 0;
  capacity = std::min<uint32_t>(capacity, INT_MAX);
  int n = 0;
  if (transport_ == kTransportTcp) {
    n = socket_ ? socket_->Receive(buffer, capacity) : -1;
  } else if (serial_) {
    n = static_cast<int>(std::min<size_t>(serial_->Read(buffer, capacity), capacity));
  } else if (device_) {
    n = static_cast<int>(std::min<size_t>(device_->Read(buffer, capacity), capacity));
  }
  TraceAndPace("[%s][<==] %s\r\n\r\n", buffer, n > 0 ? static_cast<size_t>(n) : 0);
  return n;
}

void CDev::TraceAndPace(const char* direction_format, const uint8_t* data, size_t length) {
  const char* channel = transport_ == kTransportTcp ? "ETH" : "COM";
  const std::string hex = platform::HexBytes({data, length});
  const int size = std::snprintf(nullptr, 0, direction_format, channel, hex.c_str());
  if (size > 0) {
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), direction_format, channel, hex.c_str());
    text.resize(static_cast<size_t>(size));
    services_.trace.Trace(text);
  }
  services_.clock.Sleep(kTrafficPauseMs);
}
