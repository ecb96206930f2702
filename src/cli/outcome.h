#pragma once

// What one command did at one printer, for the table line or the JSON line that reports it.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// Why a printer's work ended before its end other than by failing; a halted printer is not ok.
enum class Halt {
  kNone,
  kInterrupted,  // stopped by Ctrl-C or SIGTERM between two steps
  kNotRun,       // never contacted: the run was interrupted first
};

struct PrinterOutcome {
  bool ok = false;
  Halt halt = Halt::kNone;
  // Whether the printer's stored state changed; unset for commands that only read.
  std::optional<bool> changed;
  // A dry run that found differences: nothing changed, but a real run would change the printer.
  bool would_change = false;
  // One summary ("unchanged", "3 settings written") or the failure: the message the dialogs show,
  // a second line with what the link reported.
  std::string message;
  // Lines for a person under the table line (the differences of a set, the key codes held).
  std::vector<std::string> details;
  // Fields the JSON line carries besides the common ones (settings, changes, key codes...).
  nlohmann::ordered_json data = nlohmann::ordered_json::object();
  // What a single printer's command prints instead of the table (a settings file); empty: the
  // table line.
  std::string body;
  uint64_t duration_ms = 0;
};

}  // namespace cli
