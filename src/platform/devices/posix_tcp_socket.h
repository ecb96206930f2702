#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/posix_fd_device.h"
#include "platform/devices/tcp_socket.h"

namespace platform {

// TCP to a printer over POSIX sockets (IPv4 or IPv6).
class PosixTcpSocket : public PosixFdDevice<TcpSocket> {
 public:
  // The system's own connect time-out is minutes long for an address nobody answers; a printer
  // that is there answers within a fraction of a second.
  static constexpr uint32_t kConnectTimeoutMs = 5000;
  // A send that finds no room, a peer that stopped reading, gives up after this long.
  static constexpr uint32_t kSendTimeoutMs = 10000;

  explicit PosixTcpSocket(uint32_t connect_timeout_ms = kConnectTimeoutMs)
      : connect_timeout_ms_(connect_timeout_ms) {}
  PosixTcpSocket(Clock& clock, uint32_t connect_timeout_ms)
      : PosixFdDevice(clock), connect_timeout_ms_(connect_timeout_ms) {}
  ~PosixTcpSocket() override = default;

  bool Connect(const std::string& ip_address, uint16_t port) override;
  int Send(const uint8_t* data, size_t length) override;
  int Receive(uint8_t* buffer, size_t capacity) override;
  void Close() override;
  bool PeerClosed(uint32_t wait_ms) override;

 private:
  uint32_t connect_timeout_ms_;
};

}  // namespace platform
