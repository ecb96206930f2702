#include "cli/printer_services.h"

#include "platform/devices/posix_device_factory.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/trace.h"

namespace cli {
namespace {

class RealPrinterServices : public PrinterServices {
 public:
  platform::Services& services() override { return services_; }

 private:
  platform::RealClock clock_;
  platform::PosixDeviceFactory devices_{clock_};
  platform::MemoryRegistry registry_;
  platform::NullTrace trace_;
  platform::Services services_{clock_, devices_, registry_, trace_};
};

}  // namespace

std::unique_ptr<PrinterServices> MakeRealPrinterServices(const PrinterAddress& /*address*/) {
  return std::make_unique<RealPrinterServices>();
}

}  // namespace cli
