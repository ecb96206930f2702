#pragma once

#include <functional>
#include <string>

namespace platform {

using GetEnv = std::function<const char*(const char*)>;

// The program's folder under an XDG base directory: $`variable`/pelliset when that is an absolute
// path, else $HOME/`below_home`/pelliset (the password database's home when HOME is unset).
// Relative values are ignored: they would depend on the current folder.
std::string XdgFolder(const GetEnv& getenv, const char* variable, const char* below_home);

}  // namespace platform
