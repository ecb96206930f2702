#include "cli/fleet.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <string>
#include <system_error>
#include <thread>

namespace cli {

std::vector<PrinterOutcome> RunFleet(const std::vector<PrinterAddress>& printers, size_t jobs,
                                     const PrinterServicesFactory& make_services,
                                     const PrinterWork& work, const OutcomeSink& done) {
  std::vector<PrinterOutcome> outcomes(printers.size());
  std::atomic<size_t> next{0};
  auto worker = [&]() {
    for (size_t i = next++; i < printers.size(); i = next++) {
      std::unique_ptr<PrinterServices> services = make_services(printers[i]);
      platform::Clock& clock = services->services().clock;
      const uint32_t start = clock.TickCount();
      PrinterOutcome outcome;
      try {
        outcome = work(i, printers[i], services->services());
      } catch (const std::exception& e) {
        // One printer's trouble (memory, most likely) must not end the others' work midway.
        outcome = PrinterOutcome{};
        outcome.message = std::string("internal error: ") + e.what();
      }
      outcome.duration_ms = clock.TickCount() - start;
      if (done) done(i, outcome);
      outcomes[i] = std::move(outcome);
    }
  };
  const size_t threads = std::clamp<size_t>(jobs, 1, std::max<size_t>(printers.size(), 1));
  if (threads == 1) {
    worker();
    return outcomes;
  }
  std::vector<std::jthread> pool;
  pool.reserve(threads);
  try {
    for (size_t t = 0; t < threads; ++t) pool.emplace_back(worker);
  } catch (const std::system_error&) {
    // The system gave fewer threads than asked: the ones started share the printers out.
    if (pool.empty()) worker();
  }
  pool.clear();  // joins
  return outcomes;
}

}  // namespace cli
