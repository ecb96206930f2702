#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A TCP stream socket to a printer (IPv4).
class TcpSocket {
 public:
  // A printer that never answers must not freeze a job: a receive waits at most this long.
  static constexpr uint32_t kReceiveTimeoutMs = 2000;

  virtual ~TcpSocket() = default;
  // Creates the socket and connects (blocking, the system's connect time-out). `dotted_address`
  // is parsed as dotted-decimal IPv4; a text that does not parse fails. False on any failure
  // (the socket is then closed).
  virtual bool Connect(const std::string& dotted_address, uint16_t port) = 0;
  // One send call: count sent, or -1 on failure.
  virtual int Send(const uint8_t* data, size_t length) = 0;
  // One receive call: count received; 0 when the peer closed or nothing came within
  // kReceiveTimeoutMs; -1 on failure.
  virtual int Receive(uint8_t* buffer, size_t capacity) = 0;
  virtual void Close() = 0;
};

}  // namespace platform
