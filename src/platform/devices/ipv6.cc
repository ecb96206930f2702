#include "platform/devices/ipv6.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include "platform/devices/ipv4.h"

namespace platform {

std::optional<std::string> CanonicalIpv6(std::string_view text) {
  const std::string copy(text);
  in6_addr parsed{};
  if (::inet_pton(AF_INET6, copy.c_str(), &parsed) != 1) return std::nullopt;
  char out[INET6_ADDRSTRLEN] = {};
  if (::inet_ntop(AF_INET6, &parsed, out, sizeof out) == nullptr) return std::nullopt;
  return std::string(out);
}

bool IsIpLiteral(std::string_view text) {
  return ParseIpv4(text).has_value() || CanonicalIpv6(text).has_value();
}

}  // namespace platform
