#pragma once

// The platform services one printer's work runs on. Every printer of a fleet gets its own set (its
// own clock, devices, registry and trace), so the printers share nothing while they run side by
// side on their threads.

#include <functional>
#include <memory>

#include "cli/printer_address.h"
#include "platform/system/services.h"

namespace cli {

class PrinterServices {
 public:
  virtual ~PrinterServices() = default;
  virtual platform::Services& services() = 0;
};

// Makes the services for the printer at an address: the real devices in the program, virtual
// printers in tests.
using PrinterServicesFactory =
    std::function<std::unique_ptr<PrinterServices>(const PrinterAddress& address)>;

// The real clock and devices, with a registry in memory: nothing the command line does to one
// printer is kept between runs or seen by the dialog programs.
std::unique_ptr<PrinterServices> MakeRealPrinterServices(const PrinterAddress& address);

}  // namespace cli
