#pragma once

// The lines that report a command's outcome at each printer: a table for people, or one JSON
// object a line for scripts. Lines are written as each printer finishes, whole, from any thread.

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>

#include "cli/outcome.h"
#include "cli/progress_board.h"

namespace cli {

// {"address":..., "result":"ok"|"failed", "changed":true|false|null, "message":...,
//  "duration":seconds, ...the outcome's own fields}
std::string JsonLine(const std::string& address, const PrinterOutcome& outcome);

// "ADDRESS  ok      changed    1.25 s  message", the address padded to `address_width`; the
// details follow, indented, one a line.
std::string TableLines(const std::string& address, const PrinterOutcome& outcome,
                       size_t address_width);
std::string TableHeader(size_t address_width);

class Reporter {
 public:
  // `board` (may be null) is cleared from the terminal before each line and drawn again after.
  Reporter(std::ostream& out, bool json, size_t address_width, ProgressBoard* board);

  // The header of the table (nothing for JSON lines).
  void Begin();
  void Report(const std::string& address, const PrinterOutcome& outcome);

 private:
  std::mutex mutex_;
  std::ostream& out_;
  bool json_;
  size_t address_width_;
  ProgressBoard* board_;
};

}  // namespace cli
