// One printer address as typed. An accepted address names a device or an IPv4 address with a
// port in range, and reading its own text again gives the same printer; a refused one says why.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "cli/printer_address.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "printer_address";
  std::string error;
  const std::optional<cli::PrinterAddress> address =
      cli::ParsePrinterAddress(fuzz::AsText(data, size), &error);
  if (!address) {
    FUZZ_CHECK(kTarget, !error.empty());
    return 0;
  }
  const devlink::LinkSettings& link = address->link;
  FUZZ_CHECK(kTarget, !link.port_name.empty());
  FUZZ_CHECK(kTarget, link.port_name.find_first_of(" \t") == std::string::npos);
  if (link.interface == devlink::CDev::kInterfaceTcp) {
    FUZZ_CHECK(kTarget, link.tcp_port >= 1 && link.tcp_port <= 65535);
  } else {
    FUZZ_CHECK(kTarget, link.port_name.front() == '/' || link.port_name.starts_with("COM"));
  }
  const std::optional<cli::PrinterAddress> again = cli::ParsePrinterAddress(address->text, &error);
  FUZZ_CHECK(kTarget, again.has_value());
  FUZZ_CHECK(kTarget, cli::PrinterKey(*again) == cli::PrinterKey(*address));
  FUZZ_CHECK(kTarget, again->link.interface == link.interface);
  return 0;
}
