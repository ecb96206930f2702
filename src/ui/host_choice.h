#pragma once

// Which host runs a program, by what its standard streams are.

#include <functional>
#include <string>
#include <string_view>

#include "platform/system/clock.h"
#include "ui/core/loop_host.h"
#include "ui/core/string_table.h"

namespace ui {

enum class InputKind { kTerminal, kPipeOrFile, kOther };  // kOther: /dev/null, socket, closed

enum class HostChoice {
  kAutomation,  // standard input is a pipe or a regular file
  kTerminal,    // standard input and output are terminals: the full-screen terminal host
  kWindow,      // a display, and standard input neither a terminal nor commands: windows
  kNone,        // nothing to talk to (e.g. started from a launcher with input on /dev/null)
  kNoTerminal,  // the terminal asked for (--terminal) or meant (input is a terminal), but standard
                // input and output are not both terminals (`deskutil > file`)
  kNoWindow,    // windows asked for (--gui) or wanted (a display, no terminal, no commands), but
                // there is no display or the window host is not installed
};

// What the user asked for on the command line: --gui, --terminal, or neither.
enum class HostPreference { kAuto, kWindow, kTerminal };

// `display`: $WAYLAND_DISPLAY or $DISPLAY is set; `windows_installed`: the window host module
// is there to load.
HostChoice ChooseHost(InputKind stdin_kind, bool stdout_is_terminal, bool display = false,
                      bool windows_installed = false,
                      HostPreference preference = HostPreference::kAuto);

// The window host is a module (pelliset-qt-host.so), loaded only when windows open, so that a
// terminal or automation session maps no toolkit library. It is looked for beside the program
// (where the build tree puts it), then in the installed module folder seen from the program's
// folder (../lib/pelliset). The path of the first that exists, else of the installed one.
std::string WindowHostModulePath();

// The choice for this process's standard streams and environment (what RunProgram runs).
HostChoice CurrentHostChoice(HostPreference preference = HostPreference::kAuto);

// The line for standard error when the choice cannot run (empty for the hosts that run). For
// kNoWindow, `window_problem` is why the window host could not be loaded (the loader's reason,
// naming the file), or empty when there is no display.
std::string HostChoiceMessage(HostChoice choice, std::string_view program,
                              std::string_view window_problem = {});

// A program's main in one call: picks the host from standard input and output (the terminal
// host when both are a terminal, the window host when started from a desktop or with --gui,
// after loading its module, else the automation host) and runs `app` (which runs the main dialog
// and returns the program's status) there with `resources` installed; `app` may install a
// language pack with LoopHost::SetResources before its first dialog. Returns the process exit
// status: 2 when no host can run (after the reason on standard error, the window host's module
// included); app's own status under the terminal and window hosts; under the automation host its
// ExitCode of app's status (non-zero also when a script command failed).
int RunProgram(std::string_view program, platform::Clock& clock, Resources resources,
               const std::function<int(LoopHost&)>& app,
               HostPreference preference = HostPreference::kAuto);

}  // namespace ui
