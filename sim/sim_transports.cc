#include "sim/sim_transports.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

// What every transport does with the model and the line: open and close with the line's records,
// deliver writes, collect due replies, wait in virtual time.
class Wire {
 public:
  Wire(PrinterModel& model, platform::VirtualClock& clock, SimLine& line)
      : model_(model), clock_(clock), line_(line) {}

  void Deliver(const uint8_t* data, size_t length) {
    line_.sent.insert(line_.sent.end(), data, data + length);
    if (line_.printer_on) model_.Receive({data, length}, clock_.NowMs());
  }

  // Bytes due now; otherwise waits up to `wait_ms` for the next reply piece. Nothing, at once, when
  // the transport is closed or no room is offered.
  size_t Collect(uint8_t* buffer, size_t capacity, uint64_t wait_ms) {
    if (!open_ || capacity == 0) return 0;
    const uint64_t deadline = clock_.NowMs() + wait_ms;
    for (;;) {
      const std::vector<uint8_t> bytes = model_.TakeDue(clock_.NowMs(), capacity);
      if (!bytes.empty()) {
        std::memcpy(buffer, bytes.data(), bytes.size());
        return bytes.size();
      }
      const auto next = model_.NextDueMs();
      if (!next || *next > deadline || !line_.printer_on) {
        clock_.Advance(deadline - clock_.NowMs());
        return 0;
      }
      clock_.Advance(*next > clock_.NowMs() ? *next - clock_.NowMs() : 0);
    }
  }

  // Fails when already open, when the line refuses every open, or when `reachable` is false;
  // either refusal is reported as `refusal` (what the transport's real failure would be).
  bool Open(bool reachable, platform::FailureCause refusal) {
    if (open_) return false;
    if (line_.open_fails || !reachable) {
      cause_ = refusal;
      return false;
    }
    cause_ = platform::FailureCause::kNone;
    open_ = true;
    ++line_.opens;
    ++line_.open_transports;
    return true;
  }
  void Close() {
    if (!open_) return;
    open_ = false;
    --line_.open_transports;
  }
  bool open() const { return open_; }
  platform::FailureCause cause() const { return cause_; }

  PrinterModel& model_;
  platform::VirtualClock& clock_;
  SimLine& line_;

 private:
  bool open_ = false;
  platform::FailureCause cause_ = platform::FailureCause::kNone;
};

class SimSerialPort : public platform::SerialPort {
 public:
  explicit SimSerialPort(Wire wire) : wire_(wire) {}
  ~SimSerialPort() override { wire_.Close(); }

  bool Open(const std::string&) override {
    return wire_.Open(true, platform::FailureCause::kNoSuchDevice);
  }
  bool Configure(const platform::LineSettings&) override { return wire_.open(); }
  bool SetTimeouts(const platform::SerialTimeouts& timeouts) override {
    if (wire_.open()) timeouts_ = timeouts;
    return wire_.open();
  }
  bool Purge() override {
    if (wire_.open()) wire_.model_.DiscardDue(wire_.clock_.NowMs());
    return wire_.open();
  }
  bool ClearEventMask() override { return wire_.open(); }
  bool GetModemStatus(platform::ModemStatus* status) override {
    if (!wire_.open() || status == nullptr) return false;
    *status = {};
    status->dsr = wire_.line_.printer_on;
    status->cts = wire_.line_.printer_on;
    return true;
  }
  size_t Write(const uint8_t* data, size_t length) override {
    if (!wire_.open()) return 0;
    // A UART sends whether or not anyone listens; a switched-off printer just never hears it.
    wire_.Deliver(data, length);
    return length;
  }
  size_t Read(uint8_t* buffer, size_t capacity) override {
    const bool at_once = timeouts_.read_interval == platform::SerialTimeouts::kReturnAtOnce &&
                         timeouts_.read_multiplier == 0 && timeouts_.read_constant == 0;
    const uint64_t wait =
        at_once ? 0 : timeouts_.read_constant + uint64_t{timeouts_.read_multiplier} * capacity;
    return wire_.Collect(buffer, capacity, wait);
  }
  void Close() override { wire_.Close(); }
  platform::FailureCause LastCause() const override { return wire_.cause(); }

 private:
  Wire wire_;
  platform::SerialTimeouts timeouts_{platform::SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0};
};

class SimDeviceFile : public platform::DeviceFile {
 public:
  explicit SimDeviceFile(Wire wire) : wire_(wire) {}
  ~SimDeviceFile() override { wire_.Close(); }

  bool Open(const std::string& path, bool) override {
    const auto& paths = wire_.line_.usb_paths;
    // A switched-off USB printer is no device at all.
    return wire_.Open(
        wire_.line_.printer_on && std::find(paths.begin(), paths.end(), path) != paths.end(),
        platform::FailureCause::kNoSuchDevice);
  }
  size_t Write(const uint8_t* data, size_t length) override {
    if (!wire_.open() || !wire_.line_.printer_on) return 0;
    wire_.Deliver(data, length);
    return length;
  }
  size_t Read(uint8_t* buffer, size_t capacity) override {
    return wire_.Collect(buffer, capacity, kReadTimeoutMs);
  }
  void Close() override { wire_.Close(); }
  platform::FailureCause LastCause() const override { return wire_.cause(); }

 private:
  Wire wire_;
};

class SimTcpSocket : public platform::TcpSocket {
 public:
  explicit SimTcpSocket(Wire wire) : wire_(wire) {}
  ~SimTcpSocket() override { wire_.Close(); }

  bool Connect(const std::string&, uint16_t) override {
    if (!wire_.Open(wire_.line_.printer_on, platform::FailureCause::kConnectionRefused)) {
      return false;
    }
    wire_.model_.OnConnect(wire_.clock_.NowMs());
    sent_after_drop_ = false;
    return true;
  }
  int Send(const uint8_t* data, size_t length) override {
    if (!wire_.open() || !wire_.line_.printer_on) return -1;
    if (wire_.model_.Dropped()) {
      // As over a real connection: the first send after the printer closed its end is taken
      // (and lost); the reset it brings back fails the next.
      if (sent_after_drop_) return -1;
      sent_after_drop_ = true;
      return static_cast<int>(length);
    }
    wire_.Deliver(data, length);
    return static_cast<int>(length);
  }
  int Receive(uint8_t* buffer, size_t capacity) override {
    if (!wire_.open()) return -1;
    if (wire_.model_.Dropped() || capacity == 0) return 0;  // the printer closed its end
    return static_cast<int>(wire_.Collect(buffer, capacity, kReceiveTimeoutMs));
  }
  void Close() override { wire_.Close(); }
  bool PeerClosed(uint32_t /*wait_ms*/) override { return wire_.open() && wire_.model_.Dropped(); }
  platform::FailureCause LastCause() const override { return wire_.cause(); }

 private:
  Wire wire_;
  bool sent_after_drop_ = false;
};

class SimUsbEnumerator : public platform::UsbPrinterEnumerator {
 public:
  explicit SimUsbEnumerator(const SimLine& line) : line_(line) {}
  std::optional<std::string> DevicePathAt(int index) override {
    if (!line_.printer_on || index < 0 || static_cast<size_t>(index) >= line_.usb_paths.size()) {
      return std::nullopt;
    }
    return line_.usb_paths[static_cast<size_t>(index)];
  }

 private:
  const SimLine& line_;
};

}  // namespace

SimDeviceFactory::SimDeviceFactory(PrinterModel& model, platform::VirtualClock& clock)
    : model_(model), clock_(clock) {}

std::unique_ptr<platform::SerialPort> SimDeviceFactory::NewSerialPort() {
  return std::make_unique<SimSerialPort>(Wire(model_, clock_, line_));
}

std::unique_ptr<platform::TcpSocket> SimDeviceFactory::NewTcpSocket() {
  return std::make_unique<SimTcpSocket>(Wire(model_, clock_, line_));
}

std::unique_ptr<platform::DeviceFile> SimDeviceFactory::NewDeviceFile() {
  return std::make_unique<SimDeviceFile>(Wire(model_, clock_, line_));
}

std::unique_ptr<platform::UsbPrinterEnumerator> SimDeviceFactory::NewUsbPrinterEnumerator() {
  return std::make_unique<SimUsbEnumerator>(line_);
}

}  // namespace sim
