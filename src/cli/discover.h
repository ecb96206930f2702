#pragma once

// `pelliset discover`: what a person could pass as a printer address. Local devices (USB
// printers, serial and Bluetooth serial ports) are listed; a TCP range is tried host by host and
// whatever answers is asked who it is.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/services.h"

namespace cli {

struct DiscoveredPrinter {
  std::string address;                 // as ParsePrinterAddress takes it
  std::string kind;                    // usb|serial|bluetooth|tcp
  std::string model, maker, firmware;  // model also for a refused device
  std::string note;                    // what else is known ("USB serial adapter", ...)
};

struct ScanOptions {
  std::string cidr;
  uint16_t port = 9100;
  int jobs = 64;
  uint32_t timeout_ms = 300;
};

// Limits of a scan. --jobs is shared with the fleet commands, which allow more: a larger value
// is taken as kMaxScanJobs.
inline constexpr int kMaxScanJobs = 256;
inline constexpr uint32_t kMaxScanTimeoutMs = 60000;

// "a.b.c.d/n" (n 16..32; a bare address is /32): the first address (host bits cleared) and how
// many there are. False with `error` set otherwise.
bool ParseCidr(std::string_view text, uint32_t* first, uint32_t* count, std::string* error);

// Tries every address of the range, `jobs` at a time; the hosts that accepted the connection, in
// address order. Empty with `error` set when the options are refused (an empty list with no
// error: nothing answered).
std::vector<DiscoveredPrinter> ScanTcp(const ScanOptions& options, std::string* error);

// USB printers (through `services`) and the serial devices under `dev_root`. Nothing is sent to
// any of them: a serial port may have anything on its other end.
std::vector<DiscoveredPrinter> DiscoverLocal(platform::Services& services,
                                             const std::string& dev_root,
                                             const std::string& sysfs_root = "/sys");

// One line of the table: the address, then model, maker, firmware and note where known, two
// spaces apart.
std::string FormatDiscovered(const DiscoveredPrinter& printer);

}  // namespace cli
