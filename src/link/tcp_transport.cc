#include "link/tcp_transport.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace devlink {
TcpTransport::TcpTransport(platform::Services& services, std::string address, uint16_t port)
    : services_(services),
      address_(std::move(address)),
      port_(port),
      target_(address_ + ":" + std::to_string(port)) {}

TcpTransport::~TcpTransport() { Close(); }

void TcpTransport::Note() {
  const platform::FailureCause reported =
      socket_ ? socket_->LastCause() : platform::FailureCause::kNone;
  cause_ = reported != platform::FailureCause::kNone ? reported : platform::FailureCause::kIoError;
}

bool TcpTransport::Open() {
  Close();
  cause_ = platform::FailureCause::kNone;
  std::unique_ptr<platform::TcpSocket> socket = services_.devices.NewTcpSocket();
  if (!socket) {
    cause_ = platform::FailureCause::kIoError;
    return false;
  }
  if (!socket->Connect(address_, port_)) {
    cause_ = socket->LastCause() != platform::FailureCause::kNone
                 ? socket->LastCause()
                 : platform::FailureCause::kIoError;
    return false;
  }
  socket_ = std::move(socket);
  return true;
}

void TcpTransport::Close() {
  if (!socket_) return;
  socket_->Close();
  socket_.reset();
}

int TcpTransport::Write(const uint8_t* data, uint32_t length) {
  if (!socket_) return -1;
  const int n = socket_->Send(data, length);
  if (n < 0) Note();
  return n;
}

int TcpTransport::Read(uint8_t* buffer, uint32_t capacity) {
  if (!socket_) return -1;
  const int n = socket_->Receive(buffer, std::min<uint32_t>(capacity, INT_MAX));
  if (n < 0) Note();
  return n;
}
}  // namespace devlink
