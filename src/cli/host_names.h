#pragma once

// Printer host names looked up once per run: the first printer that needs a name asks the name
// service, every other printer with that name gets the same answer (a lookup in progress is
// waited for, not repeated). A name that does not resolve fails only its own printers.

#include <map>
#include <mutex>
#include <string>

#include "cli/fleet.h"
#include "platform/devices/host_resolver.h"

namespace cli {

class RunHostNames : public platform::HostResolver {
 public:
  explicit RunHostNames(platform::HostResolver& resolver) : resolver_(resolver) {}

  platform::HostLookup Resolve(const std::string& name) override;

 private:
  struct Entry {
    bool done = false;
    platform::HostLookup lookup;
  };

  platform::HostResolver& resolver_;
  std::mutex mutex_;
  std::map<std::string, Entry> entries_;
};

// True when the printer is addressed by a host name that the run looks up.
bool NeedsLookup(const PrinterAddress& address);

// `work` with the printer's host name looked up first: a name that does not resolve is the
// printer's failure ("NAME: cannot resolve: WHY") and nothing is sent to it; otherwise the work's
// link finds the name's addresses in `names`. `writes`: the command changes printers, so a
// printer whose name does not resolve is reported unchanged.
PrinterWork WithHostNames(PrinterWork work, RunHostNames& names, bool writes);

}  // namespace cli
