#pragma once

// pelliset as a function: the arguments in, the exit status out, the printers reached through the
// environment's services (real devices in the program, virtual printers in tests).

#include <ostream>
#include <string>
#include <vector>

#include "cli/printer_services.h"
#include "platform/registry.h"

namespace cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitPrinterFailed = 1;  // at least one printer failed
inline constexpr int kExitUsage = 2;          // refused before any printer was contacted

struct CliEnvironment {
  std::ostream& out;
  std::ostream& err;
  // Progress bars only on a terminal.
  bool err_is_terminal = false;
  PrinterServicesFactory make_services = MakeRealPrinterServices;
  // Where COMn names are mapped to devices, as the dialog programs map them; null: no mapping.
  platform::Registry* port_registry = nullptr;
  // Where discover looks for local devices.
  std::string dev_root = "/dev";
  std::string sysfs_root = "/sys";
};

int RunCli(const std::vector<std::string>& args, CliEnvironment& environment);

}  // namespace cli
