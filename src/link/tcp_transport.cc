#include "link/tcp_transport.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/devices/ipv6.h"

namespace devlink {
TcpTransport::TcpTransport(platform::Services& services, std::string address, uint16_t port)
    : services_(services),
      address_(std::move(address)),
      port_(port),
      // An IPv6 address is bracketed, so the port stands apart from its colons.
      target_((address_.find(':') != std::string::npos ? "[" + address_ + "]" : address_) + ":" +
              std::to_string(port)) {}

TcpTransport::~TcpTransport() { Close(); }

void TcpTransport::Note() {
  const platform::FailureCause reported =
      socket_ ? socket_->LastCause() : platform::FailureCause::kNone;
  cause_ = reported != platform::FailureCause::kNone ? reported : platform::FailureCause::kIoError;
}

std::vector<std::string> TcpTransport::Candidates() const {
  if (services_.names == nullptr || platform::IsIpLiteral(address_)) return {address_};
  std::vector<std::string> found = services_.names->Resolve(address_).addresses;
  if (found.size() > kMaxAddressesTried) found.resize(kMaxAddressesTried);
  return found;
}

bool TcpTransport::Open() {
  Close();
  cause_ = platform::FailureCause::kNone;
  const std::vector<std::string> candidates = Candidates();
  if (candidates.empty()) {
    cause_ = platform::FailureCause::kBadAddress;
    return false;
  }
  for (const std::string& candidate : candidates) {
    std::unique_ptr<platform::TcpSocket> socket = services_.devices.NewTcpSocket();
    if (!socket) {
      cause_ = platform::FailureCause::kIoError;
      return false;
    }
    if (socket->Connect(candidate, port_)) {
      socket_ = std::move(socket);
      cause_ = platform::FailureCause::kNone;
      return true;
    }
    // The last address's cause is the one reported.
    cause_ = socket->LastCause() != platform::FailureCause::kNone
                 ? socket->LastCause()
                 : platform::FailureCause::kIoError;
  }
  return false;
}

void TcpTransport::Close() {
  if (!socket_) return;
  socket_->Close();
  socket_.reset();
}

int TcpTransport::Write(const uint8_t* data, uint32_t length) {
  if (!socket_) return -1;
  const int n = socket_->Send(data, length);
  // A send cut short (a printer that stopped taking data, its time-out run out) fails too.
  if (n < 0 || static_cast<uint32_t>(n) < length) Note();
  return n;
}

int TcpTransport::Read(uint8_t* buffer, uint32_t capacity) {
  if (!socket_) return -1;
  const int n = socket_->Receive(buffer, std::min<uint32_t>(capacity, INT_MAX));
  if (n < 0) Note();
  return n;
}
}  // namespace devlink
