#include "ui/host_choice.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/console.h"
#include "platform/diagnostics.h"
#include "ui/automation/automation_host.h"
#ifdef PELLISET_HAVE_QT
#include <QApplication>

#include "ui/qt/qt_host.h"
#endif
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_ncurses.h"

namespace ui {

HostChoice ChooseHost(InputKind stdin_kind, bool stdout_is_terminal, bool display,
                      bool windows_built, HostPreference preference) {
  const bool terminal = stdin_kind == InputKind::kTerminal && stdout_is_terminal;
  switch (preference) {
    case HostPreference::kWindow:
      return display && windows_built ? HostChoice::kWindow : HostChoice::kNoWindow;
    case HostPreference::kTerminal:
      return terminal ? HostChoice::kTerminal : HostChoice::kNone;
    case HostPreference::kAuto:
      break;
  }
  if (stdin_kind == InputKind::kPipeOrFile) return HostChoice::kAutomation;
  if (terminal) return HostChoice::kTerminal;
  // Started from a desktop menu: standard input is no terminal and no command stream (a launcher
  // may hand over a pipe, so only a terminal input keeps the terminal host).
  if (stdin_kind != InputKind::kTerminal && display && windows_built) return HostChoice::kWindow;
  return HostChoice::kNone;
}

bool WindowHostBuilt() {
#ifdef PELLISET_HAVE_QT
  return true;
#else
  return false;
#endif
}

std::string HostChoiceMessage(HostChoice choice, std::string_view program) {
  const std::string p(program);
  switch (choice) {
    case HostChoice::kAutomation:
    case HostChoice::kTerminal:
    case HostChoice::kWindow:
      return {};
    case HostChoice::kNoWindow:
      return WindowHostBuilt()
                 ? p + ": --gui needs a display, and neither WAYLAND_DISPLAY nor DISPLAY is set."
                 : p + ": this build has no window host (it was built without Qt 6); start " + p +
                       " from a terminal instead.";
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

HostChoice CurrentHostChoice(HostPreference preference) {
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
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* x11 = std::getenv("DISPLAY");
  const bool display = (wayland != nullptr && *wayland != '\0') || (x11 != nullptr && *x11 != '\0');
  return ChooseHost(in, platform::ClassifyFd(1) == platform::FdKind::kTerminal, display,
                    WindowHostBuilt(), preference);
}

int RunProgram(std::string_view program, platform::Clock& clock, Resources resources,
               const std::function<int(LoopHost&)>& app, HostPreference preference) {
  const HostChoice choice = CurrentHostChoice(preference);
#ifdef PELLISET_HAVE_QT
  if (choice == HostChoice::kWindow) {
    static std::string name(program);
    static char* argv[] = {name.data(), nullptr};
    static int argc = 1;
    QApplication application(argc, argv);
    QtHost host(clock, std::move(resources));
    // Messages that belong to no dialog go to the log file: nobody reads standard error here.
    const platform::DiagnosticsToFile log(platform::DefaultLogPath());
    return app(host);
  }
#endif
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
