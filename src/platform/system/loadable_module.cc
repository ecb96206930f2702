#include "platform/system/loadable_module.h"

#include <dlfcn.h>

namespace platform {

std::optional<LoadableModule> LoadableModule::Open(const std::string& path, std::string* error) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    *error = reason != nullptr ? reason : path + ": cannot be loaded";
    return std::nullopt;
  }
  return LoadableModule(handle);
}

void LoadableModule::Closer::operator()(void* handle) const { ::dlclose(handle); }

void* LoadableModule::Symbol(const char* name, std::string* error) const {
  ::dlerror();  // a symbol may be null itself: only dlerror tells a missing one
  void* address = ::dlsym(handle_.get(), name);
  if (const char* reason = ::dlerror(); reason != nullptr) {
    *error = reason;
    return nullptr;
  }
  return address;
}

}  // namespace platform
