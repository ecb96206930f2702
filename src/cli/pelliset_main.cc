// pelliset: the command line for scripts and fleets of printers.

#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "platform/registry/file_registry.h"
#include "platform/system/console.h"
#include "platform/system/fd_output.h"
#include "platform/system/interrupts.h"
#include "platform/system/standard_streams.h"

namespace {

// A terminal that cannot go back to the start of a line (TERM=dumb, an editor's shell) would
// collect every redraw. One that does not tell its size (a serial console) is taken as 80 wide.
size_t ProgressColumns() {
  const char* term = std::getenv("TERM");
  if (platform::ClassifyFd(2) != platform::FdKind::kTerminal ||
      (term != nullptr && std::string_view(term) == "dumb")) {
    return 0;
  }
  platform::TerminalSize size;
  return platform::GetTerminalSize(2, &size) ? static_cast<size_t>(size.width) : 80;
}

}  // namespace

int main(int argc, char** argv) {
  platform::FillClosedStandardStreams();
  // A closed standard output is noticed by the stream, which tells it from other failures.
  platform::IgnoreBrokenPipes();
  std::vector<std::string> args(argv + 1, argv + argc);
  // The dialog programs' registry maps COMn to devices; the command line only reads it.
  platform::FileRegistry registry(platform::FileRegistry::DefaultRegistryPath());
  platform::FdOutputStream out(1);
  cli::CliEnvironment environment{out, std::cerr};
  environment.in = &std::cin;
  environment.progress_columns = ProgressColumns();
  environment.port_registry = &registry;
  environment.watch_interrupts = [] {
    return &platform::WatchInterrupts(
        "\npelliset: stopping after the current steps (printers in setting mode leave it; "
        "firmware under way is sent to its end); Ctrl-C again to end at once, which cuts a "
        "firmware download short and leaves a printer in setting mode\n",
        cli::kExitInterrupted);
  };
  return cli::RunCli(args, environment);
}
