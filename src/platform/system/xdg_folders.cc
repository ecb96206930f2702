#include "platform/system/xdg_folders.h"

#include <pwd.h>
#include <unistd.h>

namespace platform {

std::string XdgFolder(const GetEnv& getenv, const char* variable, const char* below_home) {
  const char* xdg = getenv(variable);
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/pelliset";
  std::string home;
  const char* env_home = getenv("HOME");
  if (env_home != nullptr && env_home[0] != '\0') {
    home = env_home;
  } else if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    home = pw->pw_dir;
  }
  return home + "/" + below_home + "/pelliset";
}

}  // namespace platform
