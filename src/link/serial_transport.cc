#include "link/serial_transport.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace devlink {
namespace {

constexpr int kOpenAttempts = 3;
constexpr uint32_t kOpenRetryMs = 400;
constexpr uint32_t kCloseSettleMs = 200;
// A driver's 4 KiB leave in 4.3 s at 9600 baud.
constexpr uint32_t kDrainLimitMs = 5000;
constexpr uint8_t kProbeByte = 0x00;

}  // namespace

SerialTransport::SerialTransport(platform::Services& services, SerialOptions options)
    : services_(services), options_(std::move(options)) {}

SerialTransport::~SerialTransport() { Close(); }

bool SerialTransport::Fail(platform::FailureCause fallback) {
  const platform::FailureCause reported =
      port_ ? port_->LastCause() : platform::FailureCause::kNone;
  cause_ = reported != platform::FailureCause::kNone ? reported : fallback;
  return false;
}

bool SerialTransport::Open() {
  Close();
  cause_ = platform::FailureCause::kNone;
  std::unique_ptr<platform::SerialPort> port = services_.devices.NewSerialPort();
  if (!port) {
    cause_ = platform::FailureCause::kIoError;
    return false;
  }
  bool opened = false;
  for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
    if (attempt > 0) services_.clock.Sleep(kOpenRetryMs);
    opened = port->Open(options_.path);
  }
  if (!opened) {
    cause_ = port->LastCause() != platform::FailureCause::kNone ? port->LastCause()
                                                                : platform::FailureCause::kIoError;
    return false;
  }
  port_ = std::move(port);

  if (!port_->Configure(options_.line) || !port_->SetTimeouts(options_.working)) {
    return Fail(platform::FailureCause::kIoError);
  }
  port_->Purge();

  // The first status reading after the probe byte can be stale, so the second one decides.
  if (port_->Write(&kProbeByte, 1) != 1) return Fail(platform::FailureCause::kNoDsr);
  platform::ModemStatus status;
  port_->GetModemStatus(&status);
  status = platform::ModemStatus{};
  if (!port_->GetModemStatus(&status)) return Fail(platform::FailureCause::kIoError);
  if (!status.dsr) {
    cause_ = platform::FailureCause::kNoDsr;
    return false;
  }
  if (options_.ready && !port_->SetTimeouts(*options_.ready)) {
    return Fail(platform::FailureCause::kIoError);
  }
  return true;
}

void SerialTransport::Close() {
  if (!port_) return;
  if (options_.clear_events_on_close) port_->ClearEventMask();
  // The purge discards what the driver has not sent yet (the end of a firmware file, which no
  // reply waits for): it is given time to leave first, bounded for a line held by flow control.
  port_->Drain(kDrainLimitMs);
  port_->Purge();
  services_.clock.Sleep(kCloseSettleMs);
  port_->Close();
  port_.reset();
}

void SerialTransport::NoteIfNew(platform::FailureCause before) {
  // A port keeps its last cause until the next one, so only a change is news; a short write or
  // an empty read without one is the time-out's ordinary end.
  const platform::FailureCause now = port_->LastCause();
  cause_ = now != before ? now : platform::FailureCause::kNone;
}

int SerialTransport::Write(const uint8_t* data, uint32_t length) {
  if (!port_) return 0;
  const platform::FailureCause before = port_->LastCause();
  const size_t n = port_->Write(data, length);
  if (n < length) NoteIfNew(before);
  return static_cast<int>(std::min<size_t>(n, INT_MAX));
}

int SerialTransport::Read(uint8_t* buffer, uint32_t capacity) {
  if (!port_) return 0;
  const platform::FailureCause before = port_->LastCause();
  const size_t n = std::min<size_t>(port_->Read(buffer, capacity), capacity);
  if (n == 0) NoteIfNew(before);
  return static_cast<int>(std::min<size_t>(n, INT_MAX));
}
}  // namespace devlink
