#pragma once

// The commands that work at printers. Each Prepare function checks the command's own arguments
// and files before any printer is contacted (a refusal there sends nothing anywhere) and returns
// the work to run at every printer.

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/file_input.h"
#include "cli/fleet.h"
#include "cli/progress_board.h"

namespace cli {

// Everything a command's work needs besides the printer: the options and where progress goes.
struct CommandSetup {
  const CliOptions& options;
  ProgressBoard* board = nullptr;  // may be null
  size_t printer_count = 0;
  StandardInput* standard_input = nullptr;  // for a settings file named "-"; may be null
};

std::optional<PrinterWork> PrepareIdentify(const CommandSetup& setup, std::string* error);
std::optional<PrinterWork> PrepareSettingsGet(const CommandSetup& setup, std::string* error);
std::optional<PrinterWork> PrepareSettingsSet(const CommandSetup& setup, std::string* error);
std::optional<PrinterWork> PrepareSettingsDefault(const CommandSetup& setup, std::string* error);
std::optional<PrinterWork> PrepareLogo(const CommandSetup& setup, std::string* error);
std::optional<PrinterWork> PrepareFirmware(const CommandSetup& setup, std::string* error);

}  // namespace cli
