#pragma once

// The command line of pelliset, parsed: the command, its arguments and the options that apply to
// all commands. Parsing only; nothing is checked against files or printers here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cli {

struct CliOptions {
  // "identify", "settings get", "settings set", "settings default", "logo list", "logo add",
  // "logo print", "logo delete", "logo delete-all", "firmware", "discover"; empty with
  // help/version.
  std::string command;
  std::vector<std::string> arguments;      // what follows the command words
  std::vector<std::string> printers;       // --printer, in order
  std::vector<std::string> printer_files;  // --printers
  std::optional<size_t> jobs;              // -j; nullopt: every printer at once
  std::optional<uint64_t> timeout_ms;      // --timeout, each printer's time limit
  bool json = false;
  bool summary = false;  // --summary: a last JSON line with the counts
  bool quiet = false;
  bool yes = false;
  bool dry_run = false;
  bool full = false;  // settings set: read and write every setting
  bool help = false;
  bool version = false;
  std::string format = "ini";      // settings get
  std::string output_dir;          // settings get
  std::vector<std::string> keys;   // logo add --key, in order
  std::optional<int> brightness;   // logo add
  bool replace = false;            // logo add: a key code held is replaced
  bool missing_ok = false;         // logo delete: a key code not held is no failure
  std::vector<std::string> scans;  // discover --scan
  std::optional<uint16_t> scan_port;
  std::optional<uint32_t> scan_timeout_ms;
};

// False with `error` for an unknown option, a missing or bad value, or an unknown command.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error);

// The usage text of --help.
std::string UsageText();

}  // namespace cli
