#pragma once

// The lines that report a command's outcome at each printer: a table for people, or one JSON
// object a line for scripts, and the summary after them. JSON lines are written as each printer
// finishes; table lines in the order the printers were given, each as soon as the printers
// before it have finished. Lines are written whole, from any thread.

#include <cstddef>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/outcome.h"
#include "cli/progress_board.h"

namespace cli {

// "ok", "failed", "interrupted" or "not run".
const char* ResultWord(const PrinterOutcome& outcome);

// {"address":..., "result":"ok"|"failed"|"interrupted"|"not run", "changed":true|false|null,
// "message":...,
//  "duration":seconds, ...the outcome's own fields}
std::string JsonLine(const std::string& address, const PrinterOutcome& outcome);

// "ADDRESS  ok      changed    1.25 s  message", the address padded to `address_width`; the
// details follow, indented, one a line.
std::string TableLines(const std::string& address, const PrinterOutcome& outcome,
                       size_t address_width);
std::string TableHeader(size_t address_width);

// The counts of a run and its slowest printers. `addresses` and `outcomes` in list order.
struct RunSummary {
  size_t printers = 0, ok = 0, changed = 0, would_change = 0, unchanged = 0, failed = 0,
         interrupted = 0, not_run = 0;
  struct Slow {
    std::string address;
    uint64_t duration_ms = 0;
  };
  std::vector<Slow> slowest;  // the slowest printers that ran, slowest first
};
inline constexpr size_t kSlowestShown = 3;
RunSummary Summarize(const std::vector<std::string>& addresses,
                     const std::vector<PrinterOutcome>& outcomes);
// "9 ok (3 changed, 6 unchanged), 1 failed; slowest: tcp://127.0.0.1:9100 13.2 s, ..."; the
// changed counts only where a command changes something ("3 would change" in a dry run), the
// interrupted and not run only when there are some.
std::string SummaryLine(const RunSummary& summary);
// {"summary": {"printers":..., "ok":..., "changed":..., "would_change":..., "unchanged":...,
//  "failed":...,
//  "interrupted":..., "not_run":..., "slowest": [{"address":..., "seconds":...}...]}}
std::string SummaryJson(const RunSummary& summary);

class Reporter {
 public:
  // `board` (may be null) is cleared from the terminal before each line and drawn again after.
  // `printers` is the length of the list (table lines wait for the ones before them).
  Reporter(std::ostream& out, bool json, size_t address_width, ProgressBoard* board,
           size_t printers);

  // The header of the table (nothing for JSON lines).
  void Begin();
  // The outcome of the printer at `index` in the list.
  void Report(size_t index, const std::string& address, const PrinterOutcome& outcome);

 private:
  std::mutex mutex_;
  std::ostream& out_;
  bool json_;
  size_t address_width_;
  ProgressBoard* board_;
  // Table lines of printers that finished before one ahead of them in the list.
  std::vector<std::optional<std::string>> waiting_;
  size_t next_ = 0;  // the first printer whose line is not written yet
};

}  // namespace cli
