#pragma once

// Printer host names looked up once per run: the first printer that needs a name asks the name
// service, every other printer with that name gets the same answer (a lookup in progress is
// waited for, not repeated). A name that does not resolve fails only its own printers.

#include <map>
#include <mutex>
#include <string>
#include <vector>

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

// The TCP addresses and ports the run's printers reach. A host name that leads to an address and
// port another printer of the run reaches is that printer given again: two links would
// interleave their work, and a logo would be stored twice.
class RunEndpoints {
 public:
  // The printers given by address claim theirs at once, so that the one given by name is refused.
  explicit RunEndpoints(const std::vector<PrinterAddress>& printers);
  // Claims `addresses` at `port` for `printer` and returns empty; when another printer holds one
  // of them, returns that printer's text and the address instead, claiming nothing.
  std::string Claim(const std::string& printer, const std::vector<std::string>& addresses,
                    uint32_t port);

 private:
  std::mutex mutex_;
  std::map<std::string, std::string> holders_;  // "address port" -> printer text
};

// True when the printer is addressed by a host name that the run looks up.
bool NeedsLookup(const PrinterAddress& address);

// `work` with the printer's host name looked up first: a name that does not resolve ("NAME:
// cannot resolve: WHY"), or that leads to another printer of the run (`endpoints`: "NAME is the
// printer OTHER at ADDRESS; ..."), is the printer's failure and nothing is sent to it; otherwise
// the work's link finds the name's addresses in `names`. `writes`: the command changes printers,
// so such a printer is reported unchanged.
PrinterWork WithHostNames(PrinterWork work, RunHostNames& names, RunEndpoints& endpoints,
                          bool writes);

}  // namespace cli
