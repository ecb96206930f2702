#pragma once

// Printer addresses as people write them on the command line and in printers files, turned into
// the setting the link opens.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/cdev.h"

namespace cli {

struct PrinterAddress {
  std::string text;  // as written (shown in output)
  // The port name is a device path, "COM3", the dotted IPv4 address, the IPv6 address (shortest
  // form, no brackets) or the host name in lower case, looked up when the run reaches it.
  devlink::LinkSettings link;
};

// The TCP port a printer listens on unless the address names another.
inline constexpr uint16_t kDefaultTcpPort = 9100;

// The address, or nullopt with `error` saying what is wrong and which forms are accepted.
std::optional<PrinterAddress> ParsePrinterAddress(std::string_view text, std::string* error);

// What makes two addresses one printer, however they are written: the device path, or the IP
// address or host name and the port. Equal keys, same printer (a name and its address are not
// found to be one).
std::string PrinterKey(const PrinterAddress& address);

// Bad lines of a printers file reported one by one; the rest are counted.
inline constexpr size_t kMaxReportedBadLines = 10;

// One address a line; blank lines and '#' comments (whole line or after the address) are ignored.
// Bad lines are reported as "FILE:LINE: ..." (one line each, the first kMaxReportedBadLines, then
// a count of the others); an empty list and a printer named twice are refused too. `out` is left
// alone on failure.
bool ParsePrinterList(std::string_view text, const std::string& file_name,
                      std::vector<PrinterAddress>* out, std::string* error);

}  // namespace cli
