#pragma once

// Runs one command at many printers side by side: each printer being worked on is a task of a
// fiber loop (one loop thread per CPU) with its own stack, services and link, each outcome
// reported as soon as it is known. A per-printer time limit and an interrupt end a printer's work
// between two of its steps.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/outcome.h"
#include "cli/printer_address.h"
#include "cli/printer_services.h"

namespace cli {

// The work at one printer. `index` is the printer's place in the list (for progress).
using PrinterWork = std::function<PrinterOutcome(size_t index, const PrinterAddress& address,
                                                 platform::Services& services)>;
using OutcomeSink = std::function<void(size_t index, const PrinterOutcome& outcome)>;

// The stack of each printer's task. The deepest work at a printer (a settings transfer, an NV
// download with its conversion) uses under 64 KiB; the sanitizers' instrumented frames need
// several times that.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr size_t kPrinterStackBytes = 4 << 20;
#else
inline constexpr size_t kPrinterStackBytes = 256 << 10;
#endif

struct FleetOptions {
  // Printers worked on at once (at least one).
  size_t jobs = 1;
  // Each printer's time limit, counted on its clock from its start; 0: none.
  uint64_t timeout_ms = 0;
  // Set (from a signal handler or another thread) to stop: printers under way stop after their
  // current step, printers not started are not run. May be null.
  const std::atomic<bool>* interrupted = nullptr;
  size_t stack_bytes = kPrinterStackBytes;
  // Whether the command may change a printer: a printer not run is then reported unchanged
  // (changed false); for a command that only reads it has no changed, as the others' lines.
  bool writes = true;
  // Told when the system gave fewer stacks than `jobs`: the printers then share the ones it
  // gave, none is left unrun.
  std::function<void(const std::string& text)> notice;
};

// Runs `work` at every printer, at most `options.jobs` at a time; the outcomes in list order.
// `done` is called from the loop thread that finished the printer. The duration of each outcome is
// measured on that printer's clock. A printer stopped by its time limit has failed with "no
// result within S s"; one stopped by an interrupt is Halt::kInterrupted, one never started
// Halt::kNotRun. Work that ended ok before it saw the stop stays ok.
std::vector<PrinterOutcome> RunFleet(const std::vector<PrinterAddress>& printers,
                                     const FleetOptions& options,
                                     const PrinterServicesFactory& make_services,
                                     const PrinterWork& work, const OutcomeSink& done);

// The most printers worked on at once that -j accepts.
inline constexpr size_t kMaxJobs = 100000;

// The most fiber loops a fleet runs on, however many CPUs there are.
inline constexpr size_t kMaxLoops = 64;

// The fiber loops `jobs` printers at once run on: one for each of the `cpus`, kMaxLoops at most.
size_t FleetLoops(size_t jobs, size_t cpus);

}  // namespace cli
