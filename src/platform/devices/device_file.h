#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/failure_cause.h"

namespace platform {

// A character device opened by path (the USB printer class devices /dev/usb/lpN).
class DeviceFile {
 public:
  // A read waits at most this long for the first byte, so a silent printer cannot freeze a job:
  // a reply wait gives up after twelve quiet reads, about six seconds.
  static constexpr uint32_t kReadTimeoutMs = 500;

  virtual ~DeviceFile() = default;
  // Opens an existing device for reading and writing. `exclusive` refuses a device that another
  // program holds; discovery opens shared.
  virtual bool Open(const std::string& path, bool exclusive) = 0;
  virtual size_t Write(const uint8_t* data, size_t length) = 0;  // 0 on failure
  virtual size_t Read(uint8_t* buffer, size_t capacity) = 0;     // 0 when nothing came or failure
  virtual void Close() = 0;
  // Why the last failed call failed (kNone after a successful Open, until something fails). A
  // device that cannot tell says kNone; the link then calls the failure an I/O error.
  virtual FailureCause LastCause() const { return FailureCause::kNone; }
};

}  // namespace platform
