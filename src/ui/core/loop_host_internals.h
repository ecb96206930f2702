#pragma once

// What the loop engine's two halves share: its frames and its wait, and the rules both apply to
// message boxes and pages. Included by loop_host.cc and loop_host_commands.cc only.

#include <string>
#include <vector>

#include "ui/core/loop_host.h"

namespace ui {

struct LoopHost::Frame {
  enum class Kind { kDialog, kMessageBox, kFileDialog };
  Kind kind = Kind::kDialog;
  Dialog* dialog = nullptr;
  unsigned flags = 0;
  FileOpenRequest request;
  bool done = false;
  int result = 0;
  std::vector<std::string> paths;
  int end_closes = 0;
};

struct LoopHost::Wait {
  bool messagebox = false;
  bool or_messagebox = false;
  int template_id = 0;
  uint64_t deadline_ms = 0;
  std::string source;
};

namespace loop_rules {

inline int AnswerId(const std::string& name) {
  if (name == "OK") return IDOK;
  if (name == "Cancel") return IDCANCEL;
  if (name == "Yes") return IDYES;
  return IDNO;
}

// Whether a message box with these flags has a button that gives `answer`.
inline bool Offers(unsigned flags, int answer) {
  for (const auto& name : MessageBoxButtons(flags)) {
    if (AnswerId(name) == answer) return true;
  }
  return false;
}

// The top-level dialog a page belongs to (itself for a top-level dialog).
inline const Dialog& TopLevel(const Dialog& dialog) {
  const Dialog* d = &dialog;
  while (d->Parent() != nullptr) d = d->Parent();
  return *d;
}

}  // namespace loop_rules
}  // namespace ui
