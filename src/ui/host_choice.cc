#include "ui/host_choice.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/system/console.h"
#include "platform/system/diagnostics.h"
#include "platform/system/loadable_module.h"
#include "platform/system/standard_streams.h"
#include "ui/automation/automation_host.h"
#include "ui/core/host_module.h"
#include "ui/terminal/terminal_host.h"
#include "ui/terminal/terminal_ncurses.h"

namespace ui {
namespace {

constexpr char kWindowHostFile[] = "pelliset-qt-host.so";
// The installed module folder seen from the installed program's folder.
#ifdef PELLISET_MODULE_FROM_BIN
constexpr const char* kModulesFromProgram = PELLISET_MODULE_FROM_BIN;
#else
constexpr const char* kModulesFromProgram = "../lib/pelliset";
#endif

bool HasDisplay() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* x11 = std::getenv("DISPLAY");
  return (wayland != nullptr && *wayland != '\0') || (x11 != nullptr && *x11 != '\0');
}

bool WindowHostInstalled() {
  std::error_code ec;
  return std::filesystem::exists(WindowHostModulePath(), ec);
}

// The module and the session it opened; the session goes first.
struct WindowHost {
  std::optional<platform::LoadableModule> module;
  std::unique_ptr<HostSession> session;
};

// Loads the window host module and opens its host; on failure `problem` says why.
WindowHost OpenWindowHost(std::string_view program, platform::Clock& clock, Resources& resources,
                          std::string* problem) {
  WindowHost window;
  const std::string path = WindowHostModulePath();
  window.module = platform::LoadableModule::Open(path, problem);
  if (!window.module) return window;
  void* symbol = window.module->Symbol(kOpenHostSymbol, problem);
  if (symbol == nullptr) return window;
  const auto open_host = reinterpret_cast<PellisetOpenHostFunction>(symbol);
  const std::string name(program);
  window.session.reset(open_host(kHostModuleAbi, name.c_str(), &clock, &resources));
  if (!window.session) *problem = path + " is from another build of Pelliset than " + name;
  return window;
}

}  // namespace

HostChoice ChooseHost(InputKind stdin_kind, bool stdout_is_terminal, bool display,
                      bool windows_installed, HostPreference preference) {
  const bool terminal = stdin_kind == InputKind::kTerminal && stdout_is_terminal;
  switch (preference) {
    case HostPreference::kWindow:
      return display && windows_installed ? HostChoice::kWindow : HostChoice::kNoWindow;
    case HostPreference::kTerminal:
      return terminal ? HostChoice::kTerminal : HostChoice::kNoTerminal;
    case HostPreference::kAuto:
      break;
  }
  if (stdin_kind == InputKind::kPipeOrFile) return HostChoice::kAutomation;
  if (terminal) return HostChoice::kTerminal;
  if (stdin_kind == InputKind::kTerminal) return HostChoice::kNoTerminal;
  // Started from a desktop menu: standard input is no terminal and no command stream (a launcher
  // may hand over a pipe, so only a terminal input keeps the terminal host).
  if (display) {
    return windows_installed ? HostChoice::kWindow : HostChoice::kNoWindow;
  }
  return HostChoice::kNone;
}

std::string WindowHostModulePath() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return kWindowHostFile;
  const std::filesystem::path beside = exe.parent_path() / kWindowHostFile;
  if (std::filesystem::exists(beside, ec)) return beside.string();
  return (exe.parent_path() / kModulesFromProgram / kWindowHostFile).lexically_normal().string();
}

std::string HostChoiceMessage(HostChoice choice, std::string_view program,
                              std::string_view window_problem) {
  const std::string p(program);
  switch (choice) {
    case HostChoice::kAutomation:
    case HostChoice::kTerminal:
    case HostChoice::kWindow:
      return {};
    case HostChoice::kNoWindow:
      if (window_problem.empty()) {
        return p + ": --gui needs a display, and neither WAYLAND_DISPLAY nor DISPLAY is set.";
      }
#ifdef PELLISET_HAVE_QT
      return p + ": cannot open windows: " + std::string(window_problem) +
             ". Install the package pelliset-qt for windows, or start " + p + " from a terminal.";
#else
      return p + ": cannot open windows: this build has no window host (it was built without " +
             "Qt 6). Start " + p + " from a terminal.";
#endif
    case HostChoice::kNoTerminal:
      return p + ": the dialogs are drawn in the terminal only when standard input and standard " +
             "output are both a terminal; do not redirect them. A script of commands is read " +
             "from standard input without --terminal (for example: " + p + " < script.txt).";
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
  const bool display = HasDisplay();
  // Only a display makes the module's presence matter; without one no file is looked at.
  return ChooseHost(in, platform::ClassifyFd(1) == platform::FdKind::kTerminal, display,
                    display && WindowHostInstalled(), preference);
}

int RunProgram(std::string_view program, platform::Clock& clock, Resources resources,
               const std::function<int(LoopHost&)>& app, HostPreference preference) {
  platform::SetDiagnosticsProgram(std::string(program));
  const HostChoice choice = CurrentHostChoice(preference);
  // Windows wanted with a display: load the module now (and only now), or say why it cannot be.
  if (choice == HostChoice::kWindow || (choice == HostChoice::kNoWindow && HasDisplay())) {
    std::string problem;
    WindowHost window = OpenWindowHost(program, clock, resources, &problem);
    if (!window.session) {
      std::fprintf(stderr, "%s\n",
                   HostChoiceMessage(HostChoice::kNoWindow, program, problem).c_str());
      return 2;
    }
    // Messages that belong to no dialog go to the log file: nobody reads standard error here.
    const platform::DiagnosticsToFile log(platform::DefaultLogPath());
    return app(window.session->host());
  }
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
  // A reader of the events that went away is reported as lost events, not a silent end.
  platform::IgnoreBrokenPipes();
  FdLineSource input(0);
  AutomationHost host(clock, input, std::cout, std::move(resources));
  const int result = app(host);
  host.FinishScript();
  return host.ExitCode(result);
}

}  // namespace ui
