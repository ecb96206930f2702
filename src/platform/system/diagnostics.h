#pragma once

// Messages for the person running a program that belong to no dialog: a damaged registry file
// kept aside, a dialog asking for a control it does not have. They go to standard error, except
// while a full-screen host owns the terminal, where they would tear the screen: then they are
// appended to a log file instead.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/system/xdg_folders.h"

namespace platform {

// One message, without its line end.
void Diagnose(std::string_view text);
// The program the messages come from, put before each one ("deskutil: ..."); none until set.
void SetDiagnosticsProgram(std::string name);

// While this lives, messages go to the file at `path` (appended; its folder is created when
// needed). A message that cannot be written there is never written over the screen: it is kept
// (up to kMaxHeldDiagnostics) and goes where messages went before, once this is destroyed.
inline constexpr size_t kMaxHeldDiagnostics = 100;
class DiagnosticsToFile {
 public:
  explicit DiagnosticsToFile(std::string path);
  ~DiagnosticsToFile();
  DiagnosticsToFile(const DiagnosticsToFile&) = delete;
  DiagnosticsToFile& operator=(const DiagnosticsToFile&) = delete;

 private:
  std::string previous_;
};

// $XDG_STATE_HOME/pelliset/pelliset.log, or ~/.local/state/pelliset/pelliset.log.
std::string DefaultLogPath();
std::string DefaultLogPath(const GetEnv& getenv);

}  // namespace platform
