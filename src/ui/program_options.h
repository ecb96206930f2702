#pragma once

// The options deskutil and pdautil share: which host shows the dialogs, --help and --version,
// and, for a program that takes them, resource packs (--pack FILE, repeatable).

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ui/host_choice.h"

namespace ui {

struct ProgramCommandLine {
  const char* program;              // the name messages start with
  const char* version;              // printed by --version after "<program> (Pelliset) "
  void (*print_usage)(std::FILE*);  // the program's own usage text
  bool takes_packs = false;         // whether --pack FILE is an option
};

struct ProgramOptions {
  HostPreference preference = HostPreference::kAuto;
  std::vector<std::string> pack_paths;  // in the order given; later packs win
};

// Reads the command line into `options`. Returns the exit status when the program ends here
// (0 after --help or --version; 2, with the reason and the usage on standard error, for anything
// it does not take), nullopt when it goes on.
std::optional<int> ReadProgramOptions(int argc, char** argv, const ProgramCommandLine& line,
                                      ProgramOptions* options);

}  // namespace ui
