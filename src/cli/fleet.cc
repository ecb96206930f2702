#include "cli/fleet.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "platform/system/fiber_loop.h"

namespace cli {
namespace {

// One printer's stop: the run's interrupt, or its own time limit on its own clock. Remembers which
// of them the work saw, so that its outcome can say why it ended.
class PrinterStop : public platform::StopSignal {
 public:
  enum class Reason { kNone, kInterrupted, kTimedOut };

  PrinterStop(platform::Clock& clock, const FleetOptions& options)
      : clock_(clock), options_(options), start_(clock.TickCount()) {}

  bool StopRequested() override {
    asked_ = true;
    if (options_.interrupted != nullptr && options_.interrupted->load()) {
      reason_ = Reason::kInterrupted;
    } else if (options_.timeout_ms > 0 && clock_.TickCount() - start_ >= options_.timeout_ms) {
      reason_ = Reason::kTimedOut;
    }
    return reason_ != Reason::kNone;
  }
  Reason reason() const { return reason_; }
  // Whether the work checked for a stop at all: work that never does (a firmware download, sent
  // to its end) cannot have been ended by one.
  bool asked() const { return asked_; }
  uint32_t start() const { return start_; }

 private:
  platform::Clock& clock_;
  const FleetOptions& options_;
  uint32_t start_;
  Reason reason_ = Reason::kNone;
  bool asked_ = false;
};

// "2.5" for 2500 ms: the limit as the user wrote it.
std::string LimitText(uint64_t ms) {
  std::string text = std::to_string(ms / 1000);
  if (ms % 1000 != 0) {
    std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text;
}

// What the work said after a stop, after the reason; a note that starts a line of its own (what
// the work adds under a failure) continues the reason's line.
std::string WithNote(std::string head, std::string_view note) {
  while (!note.empty() && note.front() == '\n') note.remove_prefix(1);
  return note.empty() ? head : head + "; " + std::string(note);
}

PrinterOutcome RunOne(size_t index, const PrinterAddress& address, const FleetOptions& options,
                      const PrinterServicesFactory& make_services, const PrinterWork& work) {
  PrinterOutcome outcome;
  if (options.interrupted != nullptr && options.interrupted->load()) {
    outcome.halt = Halt::kNotRun;
    if (options.writes) outcome.changed = false;  // never contacted
    outcome.message = "not run: interrupted before this printer was started";
    return outcome;
  }
  std::unique_ptr<PrinterServices> services = make_services(address);
  platform::Clock& clock = services->services().clock;
  PrinterStop stop(clock, options);
  clock.SetStopSignal(&stop);
  try {
    outcome = work(index, address, services->services());
  } catch (const std::exception& e) {
    // One printer's trouble (memory, most likely) must not end the others' work midway.
    outcome = PrinterOutcome{};
    outcome.message = std::string("internal error: ") + e.what();
  }
  clock.SetStopSignal(nullptr);
  outcome.duration_ms = clock.TickCount() - stop.start();
  if (outcome.ok || !stop.asked()) return outcome;
  // A stop that came while a step waited for the printer is seen only now: that step failed
  // without asking, and the failure is the stop's.
  stop.StopRequested();
  // The work has closed its link by now; only the words are left to say.
  if (stop.reason() == PrinterStop::Reason::kInterrupted) {
    outcome.halt = Halt::kInterrupted;
    outcome.message = WithNote("interrupted", outcome.message);
  } else if (stop.reason() == PrinterStop::Reason::kTimedOut) {
    outcome.message = WithNote("no result within " + LimitText(options.timeout_ms) +
                                   " s (--timeout); stopped and the link closed",
                               outcome.message);
  }
  return outcome;
}

}  // namespace

size_t FleetLoops(size_t jobs, size_t cpus) {
  return std::clamp<size_t>(cpus, 1, std::clamp<size_t>(jobs, 1, kMaxLoops));
}

std::vector<PrinterOutcome> RunFleet(const std::vector<PrinterAddress>& printers,
                                     const FleetOptions& options,
                                     const PrinterServicesFactory& make_services,
                                     const PrinterWork& work, const OutcomeSink& done) {
  std::vector<PrinterOutcome> outcomes(printers.size());
  std::atomic<size_t> next{0};
  auto worker = [&]() {
    for (size_t i = next++; i < printers.size(); i = next++) {
      PrinterOutcome outcome = RunOne(i, printers[i], options, make_services, work);
      if (done) done(i, outcome);
      outcomes[i] = std::move(outcome);
    }
  };
  // The printers wait far more than they work, so they run as tasks of fiber loops, one loop per
  // CPU: a pause or a wait for a reply hands the loop's thread to the next printer, and thousands
  // of printers cost the system a wake-up per moment something is due, not one per printer.
  const size_t wanted = std::clamp<size_t>(options.jobs, 1, std::max<size_t>(printers.size(), 1));
  const size_t loops = FleetLoops(wanted, std::thread::hardware_concurrency());
  std::vector<std::unique_ptr<platform::FiberLoop>> fiber_loops;
  for (size_t i = 0; i < loops; ++i) {
    fiber_loops.push_back(std::make_unique<platform::FiberLoop>(options.stack_bytes));
  }
  size_t started = 0;
  std::string error;
  for (; started < wanted; ++started) {
    if (!fiber_loops[started % loops]->Spawn(worker, &error)) break;
  }
  if (started == 0) {
    worker();  // no stack to be had at all: the printers one after the other on this thread
  } else {
    if (started < wanted && options.notice) {
      options.notice("the system gave room for " + std::to_string(started) +
                     " printers at once of the " + std::to_string(wanted) + " asked for (" + error +
                     "); the printers are worked " + std::to_string(started) + " at a time");
    }
    std::vector<std::jthread> threads;
    std::vector<platform::FiberLoop*> on_this_thread = {fiber_loops[0].get()};
    for (size_t i = 1; i < loops && i < started; ++i) {
      platform::FiberLoop& loop = *fiber_loops[i];
      try {
        threads.emplace_back([&loop] { loop.Run(); });
      } catch (const std::system_error&) {
        on_this_thread.push_back(&loop);  // no thread for it: it runs here after the first
      }
    }
    for (platform::FiberLoop* loop : on_this_thread) loop->Run();
    threads.clear();  // joins
  }
  return outcomes;
}

}  // namespace cli
