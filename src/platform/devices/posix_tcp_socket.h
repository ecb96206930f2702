#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/tcp_socket.h"
#include "platform/system/clock.h"
#include "platform/system/unique_fd.h"

namespace platform {

// TCP to a printer over POSIX sockets (IPv4).
class PosixTcpSocket : public TcpSocket {
 public:
  // The system's own connect time-out is minutes long for an address nobody answers; a printer
  // that is there answers within a fraction of a second.
  static constexpr uint32_t kConnectTimeoutMs = 5000;
  // A send blocked by a peer that stopped reading gives up after this long.
  static constexpr uint32_t kSendTimeoutMs = 10000;

  explicit PosixTcpSocket(uint32_t connect_timeout_ms = kConnectTimeoutMs)
      : clock_(own_clock_), connect_timeout_ms_(connect_timeout_ms) {}
  // Waits on `clock` (real time; its idle hook is called while a connect or a receive waits).
  PosixTcpSocket(Clock& clock, uint32_t connect_timeout_ms)
      : clock_(clock), connect_timeout_ms_(connect_timeout_ms) {}
  ~PosixTcpSocket() override = default;

  bool Connect(const std::string& dotted_address, uint16_t port) override;
  int Send(const uint8_t* data, size_t length) override;
  int Receive(uint8_t* buffer, size_t capacity) override;
  void Close() override;

  FailureCause LastCause() const override { return last_cause_; }

 private:
  UniqueFd fd_;
  RealClock own_clock_;
  Clock& clock_;
  uint32_t connect_timeout_ms_;
  FailureCause last_cause_ = FailureCause::kNone;
};

}  // namespace platform
