#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/transport.h"
#include "platform/devices/tcp_socket.h"
#include "platform/system/services.h"

namespace devlink {
// A printer on TCP/IP: one connection to a port at an IPv4 or IPv6 address, or at a host name
// looked up through the services' name resolver (each of its addresses tried in turn).
class TcpTransport : public LinkTransport {
 public:
  // Addresses of one name tried at most; each try may take the whole connect time-out.
  static constexpr size_t kMaxAddressesTried = 4;

  TcpTransport(platform::Services& services, std::string address, uint16_t port);
  ~TcpTransport() override;

  bool Open() override;
  void Close() override;
  int Write(const uint8_t* data, uint32_t length) override;
  int Read(uint8_t* buffer, uint32_t capacity) override;
  bool PeerClosed(uint32_t wait_ms) override {
    return socket_ != nullptr && socket_->PeerClosed(wait_ms);
  }
  bool is_open() const override { return socket_ != nullptr; }
  platform::FailureCause cause() const override { return cause_; }
  const std::string& target() const override { return target_; }

 private:
  void Note();  // records the socket's cause (an unexplained failure is an I/O error)
  // The addresses to try: the address itself, or what its name resolves to (empty: none).
  std::vector<std::string> Candidates() const;

  platform::Services& services_;
  std::string address_;
  uint16_t port_;
  std::string target_;
  std::unique_ptr<platform::TcpSocket> socket_;
  platform::FailureCause cause_ = platform::FailureCause::kNone;
};
}  // namespace devlink
