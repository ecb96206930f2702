#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/device_file.h"
#include "platform/system/clock.h"
#include "platform/system/unique_fd.h"

namespace platform {

// A character device (the kernel's usblp printers) through open/read/write and poll.
class PosixDeviceFile : public DeviceFile {
 public:
  // A write gives up when the device has not taken a byte for this long (a printer out of paper
  // or switched off mid-job must not freeze the program).
  static constexpr uint32_t kWriteStallLimitMs = 10000;

  PosixDeviceFile() : clock_(own_clock_) {}
  // Waits on `clock` (real time; its idle hook is called while a read or write waits).
  explicit PosixDeviceFile(Clock& clock) : clock_(clock) {}
  ~PosixDeviceFile() override = default;

  bool Open(const std::string& path, bool exclusive) override;
  size_t Write(const uint8_t* data, size_t length) override;
  size_t Read(uint8_t* buffer, size_t capacity) override;
  void Close() override;

  FailureCause LastCause() const override { return last_cause_; }

 private:
  UniqueFd fd_;
  RealClock own_clock_;
  Clock& clock_;
  FailureCause last_cause_ = FailureCause::kNone;
};

}  // namespace platform
