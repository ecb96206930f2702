// The automation command parser, a line at a time as the hosts read a script: every line is a
// command, nothing (blank or comment) or an error, never two of these.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "ui/core/command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "command";
  std::string_view rest = fuzz::AsText(data, size);
  while (true) {
    const size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    const ui::ParseResult result = ui::ParseCommand(line);
    FUZZ_CHECK(kTarget, !(result.command && !result.error.empty()));
    if (result.command) {
      const ui::Command& command = *result.command;
      if (command.kind == ui::CommandKind::kWaitDialog ||
          command.kind == ui::CommandKind::kWaitMessageBox) {
        FUZZ_CHECK(kTarget, command.seconds >= 0 && command.seconds <= ui::kMaxWaitSeconds);
      }
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return 0;
}
