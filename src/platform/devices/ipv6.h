#pragma once

// IPv6 addresses as text, for TCP/IP printers reached over IPv6.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The address in its shortest standard form ("0:0::1" -> "::1", upper case hex lowered), or
// nullopt when the text is not an IPv6 address (no brackets, no zone index).
std::optional<std::string> CanonicalIpv6(std::string_view text);

// Whether the text is an IPv4 or IPv6 address that a TCP socket connects to as it is.
bool IsIpLiteral(std::string_view text);

}  // namespace platform
