#pragma once

// How a program opens a host that lives in a module loaded at run time (the window host, whose
// toolkit only a windowed session should map). The module exports one C function,
// kOpenHostSymbol, of type OpenHostFunction. Program and module come from the same build and pass
// these C++ types between them; the module resolves the framework's own functions from the
// program, which exports them.

#include <memory>

#include "platform/system/clock.h"
#include "ui/core/loop_host.h"
#include "ui/core/string_table.h"

namespace ui {

// A host with what it needs around it (a toolkit's application object), for the program's run.
class HostSession {
 public:
  virtual ~HostSession() = default;
  virtual LoopHost& host() = 0;
};

// Raised whenever the types above, LoopHost's or Dialog's layout change incompatibly; a module
// from another build then refuses to open.
inline constexpr int kHostModuleAbi = 1;

inline constexpr char kOpenHostSymbol[] = "pelliset_open_host";

}  // namespace ui

extern "C" {
// Opens the module's host for `program` (its name, as windows title it) on `clock`, taking over
// `*resources`. A session the caller deletes; nullptr when `abi` is not the module's
// kHostModuleAbi. Throws nothing.
using PellisetOpenHostFunction = ui::HostSession* (*)(int abi, const char* program,
                                                      platform::Clock* clock,
                                                      ui::Resources* resources);
}
