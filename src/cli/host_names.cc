#include "cli/host_names.h"

#include <exception>
#include <utility>

#include "platform/devices/ipv6.h"
#include "platform/system/clock.h"

namespace cli {
namespace {

constexpr uint32_t kLookupCheckMs = 5;

}  // namespace

platform::HostLookup RunHostNames::Resolve(const std::string& name) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto [it, first] = entries_.try_emplace(name);
  Entry& entry = it->second;  // map entries stay where they are
  if (!first) {
    // Looked at every few milliseconds rather than waited for on a condition: a printer may run
    // as a task of a fiber loop, and the clock's pause lets the loop's other printers go on.
    platform::RealClock clock;
    while (!entry.done) {
      lock.unlock();
      clock.Sleep(kLookupCheckMs);
      lock.lock();
    }
    return entry.lookup;
  }
  lock.unlock();
  platform::HostLookup lookup;
  try {
    lookup = resolver_.Resolve(name);
  } catch (const std::exception& e) {
    // The printers waiting for this name must hear of it too.
    lookup = {{}, std::string("lookup failed: ") + e.what()};
  }
  lock.lock();
  entry.lookup = std::move(lookup);
  entry.done = true;
  return entry.lookup;
}

RunEndpoints::RunEndpoints(const std::vector<PrinterAddress>& printers) {
  for (const PrinterAddress& printer : printers) {
    if (printer.link.interface == devlink::CDev::kInterfaceTcp && !NeedsLookup(printer)) {
      Claim(printer.text, {printer.link.port_name}, printer.link.tcp_port);
    }
  }
}

std::string RunEndpoints::Claim(const std::string& printer,
                                const std::vector<std::string>& addresses, uint32_t port) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto key = [port](const std::string& address) {
    return address + " " + std::to_string(port & 0xFFFF);
  };
  for (const std::string& address : addresses) {
    const auto it = holders_.find(key(address));
    if (it != holders_.end() && it->second != printer) return it->second + " at " + address;
  }
  for (const std::string& address : addresses) holders_.emplace(key(address), printer);
  return {};
}

bool NeedsLookup(const PrinterAddress& address) {
  return address.link.interface == devlink::CDev::kInterfaceTcp &&
         !platform::IsIpLiteral(address.link.port_name);
}

PrinterWork WithHostNames(PrinterWork work, RunHostNames& names, RunEndpoints& endpoints,
                          bool writes) {
  return [work = std::move(work), &names, &endpoints, writes](
             size_t index, const PrinterAddress& address, platform::Services& services) {
    const std::string& host = address.link.port_name;
    if (NeedsLookup(address)) {
      const platform::HostLookup found = names.Resolve(host);
      const std::string other =
          found.addresses.empty()
              ? std::string()
              : endpoints.Claim(address.text, found.addresses, address.link.tcp_port);
      if (found.addresses.empty() || !other.empty()) {
        PrinterOutcome outcome;
        if (writes) outcome.changed = false;  // never contacted
        outcome.message =
            other.empty() ? host + ": cannot resolve: " + found.error
                          : host + " is the printer " + other + "; each printer may be given once";
        return outcome;
      }
    }
    platform::Services with_names{services.clock, services.devices, services.registry,
                                  services.trace, &names};
    return work(index, address, with_names);
  };
}

}  // namespace cli
