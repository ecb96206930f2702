#include "platform/devices/socket_address.h"

#include <arpa/inet.h>

namespace platform {

std::optional<SocketAddress> MakeSocketAddress(const std::string& ip_address, uint16_t port) {
  SocketAddress address;
  in_addr ipv4{};
  in6_addr ipv6{};
  if (::inet_pton(AF_INET, ip_address.c_str(), &ipv4) == 1) {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address.storage);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    v4->sin_addr = ipv4;
    address.size = sizeof *v4;
  } else if (::inet_pton(AF_INET6, ip_address.c_str(), &ipv6) == 1) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    v6->sin6_addr = ipv6;
    address.size = sizeof *v6;
  } else {
    return std::nullopt;
  }
  return address;
}

bool SocketAddress::IsUnspecified() const {
  if (family() == AF_INET) {
    return reinterpret_cast<const sockaddr_in*>(&storage)->sin_addr.s_addr == htonl(INADDR_ANY);
  }
  if (family() != AF_INET6) return false;
  const in6_addr& v6 = reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_addr;
  const bool mapped_any = IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 0 && v6.s6_addr[13] == 0 &&
                          v6.s6_addr[14] == 0 && v6.s6_addr[15] == 0;
  return IN6_IS_ADDR_UNSPECIFIED(&v6) || mapped_any;
}

}  // namespace platform
