#include "ui/host_choice.h"

#include <cstdio>
#include <iostream>

#include "platform/console.h"
#include "platform/diagnostics.h"
#include "ui/automation/automation_host.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_ncurses.h"

namespace ui {

HostChoice ChooseHost(InputKind stdin_kind, bool stdout_is_terminal) {
  if (stdin_kind == InputKind::kPipeOrFile) return HostChoice::kAutomation;
  if (stdin_kind == InputKind::kTerminal && stdout_is_terminal) return HostChoice::kTerminal;
  return HostChoice::kNone;
}

std::string HostChoiceMessage(HostChoice choice, std::string_view program) {
  const std::string p(program);
  switch (choice) {
    case HostChoice::kAutomation:
    case HostChoice::kTerminal:
      return {};
    case HostChoice::kNone:
      return p +
             ": no user interface to run: standard input is neither a terminal nor a pipe or "
             "file of commands. Start " +
             p +
             " from a terminal, or give it commands on "
             "standard input (for example: " +
             p + " < script.txt).";
  }
  return {};
}

HostChoice CurrentHostChoice() {
  InputKind in = InputKind::kOther;
  switch (platform::ClassifyFd(0)) {
    case platform::FdKind::kTerminal:
      in = InputKind::kTerminal;
      break;
    case platform::FdKind::kPipe:
    case platform::FdKind::kRegularFile:
      in = InputKind::kPipeOrFile;
      break;
    default:
      break;
  }
  return ChooseHost(in, platform::ClassifyFd(1) == platform::FdKind::kTerminal);
}

int RunProgram(std::string_view program, platform::Clock& clock, Resources resources,
               const std::function<int(LoopHost&)>& app) {
  const HostChoice choice = CurrentHostChoice();
  if (choice == HostChoice::kTerminal) {
    std::string error;
    auto screen = NcursesScreen::Open(clock, &error);
    if (!screen) {
      std::fprintf(stderr,
                   "%s: cannot use this terminal: %s. Set TERM to the terminal's type, or give "
                   "%s commands on standard input (for example: %s < script.txt).\n",
                   std::string(program).c_str(), error.c_str(), std::string(program).c_str(),
                   std::string(program).c_str());
      return 2;
    }
    TerminalHost host(clock, *screen, std::move(resources));
    // Messages written now would tear the screen: they go to the log file until it is given back.
    const platform::DiagnosticsToFile log(platform::DefaultLogPath());
    const int result = app(host);
    screen.reset();  // the terminal is the user's again before anything else is written
    return result;
  }
  if (choice != HostChoice::kAutomation) {
    std::fprintf(stderr, "%s\n", HostChoiceMessage(choice, program).c_str());
    return 2;
  }
  FdLineSource input(0);
  AutomationHost host(clock, input, std::cout, std::move(resources));
  const int result = app(host);
  host.FinishScript();
  return host.ExitCode(result);
}

}  // namespace ui
