#include "link/usb_transport.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace devlink {
UsbTransport::UsbTransport(platform::Services& services, std::string path)
    : services_(services), path_(std::move(path)) {}

UsbTransport::~UsbTransport() { Close(); }

void UsbTransport::NoteIfNew(platform::FailureCause before) {
  // A device keeps its last cause until the next one, so only a change is news; an empty read
  // without one is the read time-out's ordinary end.
  const platform::FailureCause now = device_->LastCause();
  cause_ = now != before ? now : platform::FailureCause::kNone;
}

bool UsbTransport::Open() {
  Close();
  cause_ = platform::FailureCause::kNone;
  std::unique_ptr<platform::DeviceFile> device = services_.devices.NewDeviceFile();
  if (!device) {
    cause_ = platform::FailureCause::kIoError;
    return false;
  }
  if (!device->Open(path_, /*exclusive=*/true)) {
    cause_ = device->LastCause() != platform::FailureCause::kNone
                 ? device->LastCause()
                 : platform::FailureCause::kIoError;
    return false;
  }
  device_ = std::move(device);
  return true;
}

void UsbTransport::Close() {
  if (!device_) return;
  device_->Close();
  device_.reset();
}

int UsbTransport::Write(const uint8_t* data, uint32_t length) {
  if (!device_) return 0;
  const platform::FailureCause before = device_->LastCause();
  const size_t n = device_->Write(data, length);
  if (n < length) NoteIfNew(before);
  return static_cast<int>(std::min<size_t>(n, INT_MAX));
}

int UsbTransport::Read(uint8_t* buffer, uint32_t capacity) {
  if (!device_) return 0;
  const platform::FailureCause before = device_->LastCause();
  const size_t n = std::min<size_t>(device_->Read(buffer, capacity), capacity);
  if (n == 0) NoteIfNew(before);
  return static_cast<int>(std::min<size_t>(n, INT_MAX));
}
}  // namespace devlink
