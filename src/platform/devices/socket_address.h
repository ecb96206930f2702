#pragma once

// A socket address made from an IP address as text and a port, for connecting and for binding.

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct SocketAddress {
  sockaddr_storage storage{};
  socklen_t size = 0;

  int family() const { return storage.ss_family; }
  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
  // 0.0.0.0, :: or ::ffff:0.0.0.0: "any address".
  bool IsUnspecified() const;
};

// Strict dotted-decimal IPv4 or IPv6 text without brackets; nullopt for anything else (a host
// name, a short form such as "10.1").
std::optional<SocketAddress> MakeSocketAddress(const std::string& ip_address, uint16_t port);

}  // namespace platform
