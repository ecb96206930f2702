#include "platform/devices/ipv4.h"

#include <arpa/inet.h>

#include <string>

namespace platform {

std::optional<uint32_t> ParseIpv4(std::string_view text) {
  const std::string copy(text);
  in_addr parsed{};
  if (::inet_pton(AF_INET, copy.c_str(), &parsed) != 1) return std::nullopt;
  return ntohl(parsed.s_addr);
}

}  // namespace platform
