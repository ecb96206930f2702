#pragma once

// IPv4 addresses in dotted decimal (the link also takes IPv6 addresses and, from the command
// line, host names: ipv6.h, the TCP transport).

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// The address in host byte order (10.0.0.5 -> 0x0A000005), or nullopt when the text is not
// four numbers 0..255 in strict dotted decimal, as the link's connect checks it.
std::optional<uint32_t> ParseIpv4(std::string_view text);

}  // namespace platform
