#pragma once

// The hosts' own texts (the terminal's key line, help, menu, hints and file browser; the file
// dialog's title and the message box buttons in both hosts) under the keys a translation names them
// by ("host keyline/help" in a catalog or pack). Resources::Host looks them up; a program without a
// translation shows the English here.

#include <span>
#include <string_view>

namespace ui {

struct HostTextEntry {
  std::string_view key;
  std::string_view english;
};

// Every host text, in the order the template lists them.
std::span<const HostTextEntry> HostTexts();

}  // namespace ui
