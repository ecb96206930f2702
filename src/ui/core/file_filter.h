#pragma once

// The file-open dialog's filters in the framework's form, for every host's file dialog.

#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct FileFilter {
  std::string description;            // "Image Files(*.bmp)"
  std::vector<std::string> patterns;  // "*.bmp"
};

// The framework's filter form "Desc|*.a;*.b|Desc2|*.c||"; an empty or broken filter gives one
// "All Files" entry matching everything.
std::vector<FileFilter> ParseFileFilter(std::string_view filter);
// Wildcard match ('*' any run, '?' one character), ignoring ASCII case as the platform the
// filters were written for does.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace ui
