#pragma once

// pelliset as a function: the arguments in, the exit status out, the printers reached through the
// environment's services (real devices in the program, virtual printers in tests).

#include <atomic>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/printer_services.h"
#include "platform/devices/host_resolver.h"
#include "platform/registry/registry.h"

namespace cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitPrinterFailed = 1;  // at least one printer failed
inline constexpr int kExitUsage = 2;          // refused before any printer was contacted
// Standard output could not be written (a full disk, a reader that went away); whatever the
// printers did, the output a script relies on is incomplete.
inline constexpr int kExitOutputFailed = 3;
// Ctrl-C or SIGTERM stopped the run (as shells report a program ended by Ctrl-C).
inline constexpr int kExitInterrupted = 130;

struct CliEnvironment {
  std::ostream& out;
  std::ostream& err;
  // What a settings or printers file named "-" reads; null: "-" is an ordinary file name.
  std::istream* in = nullptr;
  // The columns of the terminal that standard error writes to, for the progress line; 0 where
  // there is none to draw on (a file, a pipe, TERM=dumb).
  size_t progress_columns = 0;
  PrinterServicesFactory make_services = MakeRealPrinterServices;
  // Where printers' host names are looked up; null: the system's name service.
  platform::HostResolver* names = nullptr;
  // Where COMn names are mapped to devices, as the dialog programs map them; null: no mapping.
  platform::Registry* port_registry = nullptr;
  // Starts watching for Ctrl-C once the input is read, just before the first printer is
  // contacted, and returns the flag a Ctrl-C sets. Until then a Ctrl-C ends the run at once, as
  // nothing is under way (a script still feeding standard input, say). Empty: never watched.
  std::function<const std::atomic<bool>*()> watch_interrupts = nullptr;
  // Where discover looks for local devices.
  std::string dev_root = "/dev";
  std::string sysfs_root = "/sys";
};

// When `out` is a platform::FdOutputStream, a closed pipe ends the run with kExitOutputFailed
// and no message, as other Unix tools end quietly under `| head`; any other output failure is
// reported on `err`.
int RunCli(const std::vector<std::string>& args, CliEnvironment& environment);

}  // namespace cli
