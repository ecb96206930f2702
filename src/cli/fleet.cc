#include "cli/fleet.h"

#include <algorithm>
#include <atomic>
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
      PrinterOutcome outcome = work(i, printers[i], services->services());
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
  std::vector<std::thread> pool;
  pool.reserve(threads);
  for (size_t t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (std::thread& thread : pool) thread.join();
  return outcomes;
}

}  // namespace cli
