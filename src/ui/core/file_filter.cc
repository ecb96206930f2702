#include "ui/core/file_filter.h"

#include "platform/system/ascii_case.h"

namespace ui {
namespace {

std::vector<std::string> Split(std::string_view s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(sep, start);
    out.emplace_back(s.substr(start, at == std::string_view::npos ? s.npos : at - start));
    if (at == std::string_view::npos) break;
    start = at + 1;
  }
  return out;
}

}  // namespace

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
  std::vector<FileFilter> out;
  const auto parts = Split(filter, '|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() && parts[i + 1].empty()) break;  // the closing "||"
    FileFilter f;
    f.description = parts[i];
    for (auto& p : Split(parts[i + 1], ';')) {
      const auto b = p.find_first_not_of(' ');
      if (b == std::string::npos) continue;
      f.patterns.push_back(p.substr(b, p.find_last_not_of(' ') - b + 1));
    }
    if (!f.patterns.empty()) out.push_back(std::move(f));
  }
  if (out.empty()) out.push_back({"All Files (*.*)", {"*"}});
  return out;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // Iterative wildcard match with one back-tracking point: linear enough for file names.
  if (pattern == "*.*" || pattern == "*") return true;
  size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || platform::AsciiLower(pattern[p]) == platform::AsciiLower(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace ui
