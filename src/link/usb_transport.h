#pragma once

#include <memory>
#include <string>

#include "link/transport.h"
#include "platform/devices/device_file.h"
#include "platform/system/services.h"

namespace devlink {
// A USB printer class device (/dev/usb/lpN), opened exclusively, without retries or pauses.
class UsbTransport : public LinkTransport {
 public:
  UsbTransport(platform::Services& services, std::string path);
  ~UsbTransport() override;

  bool Open() override;
  void Close() override;
  int Write(const uint8_t* data, uint32_t length) override;
  int Read(uint8_t* buffer, uint32_t capacity) override;
  bool is_open() const override { return device_ != nullptr; }
  platform::FailureCause cause() const override { return cause_; }
  const std::string& target() const override { return path_; }

 private:
  void NoteIfNew(platform::FailureCause before);  // the device's cause, when the call changed it

  platform::Services& services_;
  std::string path_;
  std::unique_ptr<platform::DeviceFile> device_;
  platform::FailureCause cause_ = platform::FailureCause::kNone;
};
}  // namespace devlink
