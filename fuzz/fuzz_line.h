#pragma once

// A serial line for the targets that play a printer's replies: the link's port reads the fuzz
// input, a few bytes at a time, then silence; writes can be made to start failing. Virtual time
// only moves where a real port would wait.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/devices/devices.h"
#include "platform/system/clock.h"

namespace fuzz {

// What the line holds and how it behaves, shared by the port the link owns.
struct Line {
  platform::VirtualClock* clock = nullptr;
  std::span<const uint8_t> replies;
  size_t piece = 1;  // bytes a read delivers at most
  std::optional<size_t> writes_before_failure;
  size_t writes = 0;  // accepted write calls
  // Every write call's bytes, accepted or not, when `keep_attempts` is set.
  bool keep_attempts = false;
  std::vector<std::vector<uint8_t>> attempts;
};

class LinePort : public platform::SerialPort {
 public:
  explicit LinePort(Line& line) : line_(line) {}
  bool Open(const std::string&) override { return true; }
  bool Configure(const platform::LineSettings&) override { return true; }
  bool SetTimeouts(const platform::SerialTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return true;
  }
  bool Purge() override { return true; }
  bool ClearEventMask() override { return true; }
  bool GetModemStatus(platform::ModemStatus* status) override {
    status->dsr = true;
    status->cts = true;
    return true;
  }
  size_t Write(const uint8_t* data, size_t length) override {
    if (line_.keep_attempts) line_.attempts.emplace_back(data, data + length);
    if (line_.writes_before_failure && line_.writes >= *line_.writes_before_failure) return 0;
    ++line_.writes;
    return length;
  }
  size_t Read(uint8_t* buffer, size_t capacity) override {
    const size_t n = std::min({capacity, line_.piece, line_.replies.size()});
    if (n == 0) {
      // A silent line costs the read's time-out, as on a real port.
      if (timeouts_.read_interval != platform::SerialTimeouts::kReturnAtOnce) {
        line_.clock->Sleep(timeouts_.read_constant +
                           timeouts_.read_multiplier * static_cast<uint32_t>(capacity));
      }
      return 0;
    }
    std::copy_n(line_.replies.begin(), n, buffer);
    line_.replies = line_.replies.subspan(n);
    return n;
  }
  void Close() override {}

 private:
  Line& line_;
  platform::SerialTimeouts timeouts_{platform::SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0};
};

// Hands out serial ports on the line; the other transports are not there.
class LineFactory : public platform::DeviceFactory {
 public:
  explicit LineFactory(Line& line) : line_(line) {}
  std::unique_ptr<platform::SerialPort> NewSerialPort() override {
    return std::make_unique<LinePort>(line_);
  }
  std::unique_ptr<platform::TcpSocket> NewTcpSocket() override { return nullptr; }
  std::unique_ptr<platform::DeviceFile> NewDeviceFile() override { return nullptr; }
  std::unique_ptr<platform::UsbPrinterEnumerator> NewUsbPrinterEnumerator() override {
    return nullptr;
  }

 private:
  Line& line_;
};

}  // namespace fuzz
