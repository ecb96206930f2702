#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/device_file.h"
#include "platform/devices/posix_fd_device.h"

namespace platform {

// A character device (the kernel's usblp printers) through open/read/write and poll.
class PosixDeviceFile : public PosixFdDevice<DeviceFile> {
 public:
  // A write gives up when the device has not taken a byte for this long (a printer out of paper
  // or switched off mid-job must not freeze the program).
  static constexpr uint32_t kWriteStallLimitMs = 10000;

  PosixDeviceFile() = default;
  explicit PosixDeviceFile(Clock& clock) : PosixFdDevice(clock) {}
  ~PosixDeviceFile() override = default;

  bool Open(const std::string& path, bool exclusive) override;
  size_t Write(const uint8_t* data, size_t length) override;
  size_t Read(uint8_t* buffer, size_t capacity) override;
  void Close() override;
};

}  // namespace platform
