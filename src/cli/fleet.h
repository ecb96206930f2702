#pragma once

// Runs one command at many printers side by side: a bounded number of worker threads, each
// printer on its own services and its own link, each outcome reported as soon as it is known.

#include <cstddef>
#include <functional>
#include <vector>

#include "cli/outcome.h"
#include "cli/printer_address.h"
#include "cli/printer_services.h"

namespace cli {

// The work at one printer. `index` is the printer's place in the list (for progress).
using PrinterWork = std::function<PrinterOutcome(size_t index, const PrinterAddress& address,
                                                 platform::Services& services)>;
using OutcomeSink = std::function<void(size_t index, const PrinterOutcome& outcome)>;

// Runs `work` at every printer, at most `jobs` at a time (at least one); the outcomes in list
// order. `done` is called from the worker thread that finished the printer. The duration of each
// outcome is measured on that printer's clock.
std::vector<PrinterOutcome> RunFleet(const std::vector<PrinterAddress>& printers, size_t jobs,
                                     const PrinterServicesFactory& make_services,
                                     const PrinterWork& work, const OutcomeSink& done);

// The default number of printers worked on at once.
inline constexpr size_t kDefaultJobs = 32;

}  // namespace cli
