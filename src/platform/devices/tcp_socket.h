#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/devices/failure_cause.h"

namespace platform {

// A TCP stream socket to a printer (IPv4 or IPv6).
class TcpSocket {
 public:
  // A printer that never answers must not freeze a job: a receive waits at most this long. A
  // reply wait gives up after twelve quiet reads, so a silent printer is reported within about
  // six seconds; a printer that answers at all does so well within half a second.
  static constexpr uint32_t kReceiveTimeoutMs = 500;

  virtual ~TcpSocket() = default;
  // Creates the socket and connects within a bounded wait, never the system's minutes-long
  // time-out (PosixTcpSocket: kConnectTimeoutMs through WaitForFd, so a fiber loop runs its
  // other tasks meanwhile). `ip_address` is
  // dotted-decimal IPv4 or IPv6 text without brackets; a text that is neither (a host name
  // too) fails with kBadAddress. False on any failure (the socket is then closed).
  virtual bool Connect(const std::string& ip_address, uint16_t port) = 0;
  // Sends all of `data` (waiting for room as needed): the count sent, fewer when the peer stopped
  // taking it, or -1 on failure before any was sent.
  virtual int Send(const uint8_t* data, size_t length) = 0;
  // One receive call: count received; 0 when the peer closed or nothing came within
  // kReceiveTimeoutMs; -1 on failure.
  virtual int Receive(uint8_t* buffer, size_t capacity) = 0;
  virtual void Close() = 0;
  // True when the peer has closed its end (or reset the connection) by now or within
  // `wait_ms`, without taking any byte that may be waiting.
  virtual bool PeerClosed(uint32_t /*wait_ms*/) { return false; }
  // Why the last failed call failed (kNone after a successful Connect, until something fails). A
  // receive that found nothing within its time-out is no failure. A socket that cannot tell
  // says kNone.
  virtual FailureCause LastCause() const { return FailureCause::kNone; }
};

}  // namespace platform
