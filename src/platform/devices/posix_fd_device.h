#pragma once

#include "platform/devices/failure_cause.h"
#include "platform/system/clock.h"
#include "platform/system/unique_fd.h"

namespace platform {

// What every POSIX device backend holds behind its seam `Seam` (SerialPort, TcpSocket,
// DeviceFile): the descriptor, the clock its waits run on and the cause of its last failure.
// Without a clock of the caller's the backend waits on its own real clock; with one, the clock's
// idle hook runs while a read, write or connect waits.
template <class Seam>
class PosixFdDevice : public Seam {
 public:
  FailureCause LastCause() const override { return last_cause_; }

 protected:
  PosixFdDevice() : clock_(own_clock_) {}
  explicit PosixFdDevice(Clock& clock) : clock_(clock) {}

  UniqueFd fd_;
  RealClock own_clock_;
  Clock& clock_;  // real time: the time-outs here are the device's
  FailureCause last_cause_ = FailureCause::kNone;
};

}  // namespace platform
