#pragma once

// A shared module loaded while the program runs (dlopen), so that what it needs (the window
// host's toolkit) is mapped only by the processes that use it.

#include <memory>
#include <optional>
#include <string>

namespace platform {

class LoadableModule {
 public:
  // Loads the module at `path` with every symbol resolved now, so a module that does not fit the
  // program fails here with the loader's reason rather than later in a call. Empty, with
  // `error` saying why (the loader's own words, naming the file), when it cannot be loaded.
  // Once loaded, the module stays mapped until the process ends, even after this object goes: a
  // toolkit leaves handlers behind that run at exit.
  static std::optional<LoadableModule> Open(const std::string& path, std::string* error);

  // The address of the module's symbol `name`; nullptr, with `error` saying why, when it has none.
  void* Symbol(const char* name, std::string* error) const;

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  explicit LoadableModule(void* handle) : handle_(handle) {}
  std::unique_ptr<void, Closer> handle_;
};

}  // namespace platform
