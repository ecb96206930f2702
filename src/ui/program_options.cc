#include "ui/program_options.h"

#include <string_view>

#include "platform/system/command_line.h"
#include "platform/system/standard_streams.h"

namespace ui {

std::optional<int> ReadProgramOptions(int argc, char** argv, const ProgramCommandLine& line,
                                      ProgramOptions* options) {
  std::vector<platform::OptionRule> rules = {
      {"--gui", "", false},
      {"--terminal", "", false},
      {"--help", "", false},
      {"--version", "", false},
  };
  if (line.takes_packs) rules.push_back({"--pack", "", true});
  std::vector<platform::CommandLineItem> items;
  std::string error;
  auto refuse = [&](const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", line.program, reason.c_str());
    line.print_usage(stderr);
    return 2;
  };
  if (!platform::SplitCommandLine(platform::ArgumentsOf(argc, argv), rules, &items, &error)) {
    return refuse(error);
  }
  for (const platform::CommandLineItem& item : items) {
    const std::string_view option = item.option;
    if (item.is_operand()) return refuse("unexpected argument '" + item.value + "'");
    if (option == "--gui") options->preference = HostPreference::kWindow;
    if (option == "--terminal") options->preference = HostPreference::kTerminal;
    if (option == "--pack") options->pack_paths.push_back(item.value);
    if (option == "--help") {
      line.print_usage(stdout);
      return platform::FlushStandardOutput(line.program) ? 0 : 2;
    }
    if (option == "--version") {
      std::printf("%s (Pelliset) %s\n", line.program, line.version);
      return platform::FlushStandardOutput(line.program) ? 0 : 2;
    }
  }
  return std::nullopt;
}

}  // namespace ui
