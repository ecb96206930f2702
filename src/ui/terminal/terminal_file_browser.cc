#include "ui/terminal/terminal_file_browser.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/system/ascii_case.h"
#include "ui/core/utf8.h"

namespace ui {
namespace fs = std::filesystem;

namespace {

// More entries than this in one folder are not listed (the list says so); a browser must stay
// responsive in a folder of millions of files.
constexpr size_t kMaxEntries = 20000;

}  // namespace

FileBrowser::FileBrowser(const FileOpenRequest& request, std::string start_dir)
    : request_(request), filters_(ParseFileFilter(request.filter)) {
  std::error_code ec;
  if (start_dir.empty() || !Navigate(start_dir)) {
    const fs::path cwd = fs::current_path(ec);
    if (ec || !Navigate(cwd.string())) Navigate("/");
  }
}

std::string FileBrowser::FullPath(const std::string& name) const {
  return (fs::path(dir_) / name).lexically_normal().string();
}

bool FileBrowser::Navigate(const std::string& dir) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(dir), ec);
  if (ec) return false;
  p = p.lexically_normal();
  if (p.has_filename() == false && p != p.root_path()) p = p.parent_path();
  if (!fs::is_directory(p, ec)) return false;
  fs::directory_iterator it(p, fs::directory_options::skip_permission_denied, ec);
  if (ec) {
    message_ = "Cannot open folder " + p.string() + ": " + ec.message();
    return false;
  }
  std::vector<Entry> dirs;
  std::vector<Entry> files;
  bool truncated = false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    if (dirs.size() + files.size() >= kMaxEntries) {
      truncated = true;
      break;
    }
    const std::string name = it->path().filename().string();
    std::error_code sec;
    if (it->is_directory(sec)) {
      dirs.push_back({name, true});
    } else {
      for (const auto& pattern : filters_[filter_].patterns) {
        if (MatchesPattern(name, pattern)) {
          files.push_back({name, false});
          break;
        }
      }
    }
  }
  auto by_name = [](const Entry& a, const Entry& b) {
    return platform::AsciiLessNoCase(a.name, b.name);
  };
  std::sort(dirs.begin(), dirs.end(), by_name);
  std::sort(files.begin(), files.end(), by_name);
  std::string s = p.string();
  if (s.size() > 1 && s.back() == '/') s.pop_back();
  const bool changed = s != dir_;
  dir_ = s;
  entries_.clear();
  if (p != p.root_path()) entries_.push_back({"..", true});
  entries_.insert(entries_.end(), dirs.begin(), dirs.end());
  entries_.insert(entries_.end(), files.begin(), files.end());
  if (changed) {
    cursor_ = 0;
    scroll_ = 0;
  }
  cursor_ = std::clamp(cursor_, 0, std::max(0, static_cast<int>(entries_.size()) - 1));
  message_ = truncated ? "Only the first " + std::to_string(kMaxEntries) + " entries are listed."
                       : std::string();
  return true;
}

void FileBrowser::Refresh() { Navigate(dir_); }

bool FileBrowser::IsMarked(int row) const {
  if (row < 0 || row >= static_cast<int>(entries_.size()) || entries_[row].is_dir) return false;
  return std::find(marked_.begin(), marked_.end(), FullPath(entries_[row].name)) != marked_.end();
}

void FileBrowser::Move(int delta) {
  const int count = static_cast<int>(entries_.size());
  if (count == 0) return;
  cursor_ = std::clamp(cursor_ + delta, 0, count - 1);
  if (cursor_ < scroll_) scroll_ = cursor_;
  if (cursor_ >= scroll_ + page_rows_) scroll_ = cursor_ - page_rows_ + 1;
}

FileBrowser::Outcome FileBrowser::Activate(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return Outcome::kNone;
  const Entry e = entries_[row];
  if (e.is_dir) {
    const std::string from = fs::path(dir_).filename().string();
    if (!Navigate(FullPath(e.name))) return Outcome::kNone;
    if (e.name == "..") {  // land on the folder we came from
      for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].is_dir && entries_[i].name == from) Move(static_cast<int>(i) - cursor_);
      }
    }
    return Outcome::kNone;
  }
  if (request_.multiple && !marked_.empty()) {
    chosen_ = marked_;
  } else {
    chosen_ = {FullPath(e.name)};
  }
  return Outcome::kChosen;
}

FileBrowser::Outcome FileBrowser::SubmitPath() {
  if (path_.empty()) {
    path_focused_ = false;
    return Outcome::kNone;
  }
  std::string typed = path_;
  if (typed[0] == '~') {
    if (const char* home = std::getenv("HOME")) typed = std::string(home) + typed.substr(1);
  }
  const fs::path p = fs::path(typed).is_absolute() ? fs::path(typed) : fs::path(dir_) / typed;
  std::error_code ec;
  if (fs::is_directory(p, ec)) {
    if (Navigate(p.string())) {
      path_.clear();
      path_cursor_ = 0;
      path_focused_ = false;
    }
    return Outcome::kNone;
  }
  if (fs::is_regular_file(p, ec)) {
    chosen_ = {p.lexically_normal().string()};
    return Outcome::kChosen;
  }
  message_ = (fs::exists(p, ec) ? "Not a file: " : "No such file or folder: ") +
             p.lexically_normal().string();
  return Outcome::kNone;
}

FileBrowser::Outcome FileBrowser::ClickRow(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return Outcome::kNone;
  path_focused_ = false;
  if (row == cursor_) return Activate(row);
  Move(row - cursor_);
  return Outcome::kNone;
}

FileBrowser::Outcome FileBrowser::HandleKey(const KeyEvent& key) {
  message_.clear();
  if (key.key == Key::kEsc) return Outcome::kCancelled;
  if (key.key == Key::kTab || key.key == Key::kBackTab) {
    path_focused_ = !path_focused_;
    return Outcome::kNone;
  }
  if (key.key == Key::kChar && key.ctrl && key.text == "f") {
    filter_ = (filter_ + 1) % filters_.size();
    Refresh();
    return Outcome::kNone;
  }
  const bool typing = key.key == Key::kChar && !key.ctrl && !key.alt;
  // A typed space on the list marks a file; a pasted one is part of a path.
  if (typing && !(key.text == " " && !key.pasted && !path_focused_ && request_.multiple)) {
    path_focused_ = true;
  }
  if (path_focused_) {
    auto chars = Utf8Characters(path_);
    const int count = static_cast<int>(chars.size());
    path_cursor_ = std::clamp(path_cursor_, 0, count);
    switch (key.key) {
      case Key::kChar:
        if (typing && path_.size() < 4096) {
          chars.insert(chars.begin() + path_cursor_, key.text);
          ++path_cursor_;
          path_ = JoinCharacters(chars);
        }
        return Outcome::kNone;
      case Key::kBackspace:
        if (path_cursor_ > 0) {
          chars.erase(chars.begin() + --path_cursor_);
          path_ = JoinCharacters(chars);
        }
        return Outcome::kNone;
      case Key::kDelete:
        if (path_cursor_ < count) {
          chars.erase(chars.begin() + path_cursor_);
          path_ = JoinCharacters(chars);
        }
        return Outcome::kNone;
      case Key::kLeft:
        path_cursor_ = std::max(0, path_cursor_ - 1);
        return Outcome::kNone;
      case Key::kRight:
        path_cursor_ = std::min(count, path_cursor_ + 1);
        return Outcome::kNone;
      case Key::kHome:
        path_cursor_ = 0;
        return Outcome::kNone;
      case Key::kEnd:
        path_cursor_ = count;
        return Outcome::kNone;
      case Key::kEnter:
        return SubmitPath();
      case Key::kUp:
      case Key::kDown:
        path_focused_ = false;
        break;  // fall through to the list
      default:
        return Outcome::kNone;
    }
  }
  switch (key.key) {
    case Key::kUp:
      Move(-1);
      break;
    case Key::kDown:
      Move(1);
      break;
    case Key::kPageUp:
      Move(-page_rows_);
      break;
    case Key::kPageDown:
      Move(page_rows_);
      break;
    case Key::kHome:
      Move(-cursor_);
      break;
    case Key::kEnd:
      Move(static_cast<int>(entries_.size()));
      break;
    case Key::kBackspace:
      if (!entries_.empty() && entries_[0].name == "..") return Activate(0);
      break;
    case Key::kEnter:
      return Activate(cursor_);
    case Key::kChar:
      if (key.text == " " && request_.multiple && cursor_ < static_cast<int>(entries_.size()) &&
          !entries_[cursor_].is_dir) {
        const std::string full = FullPath(entries_[cursor_].name);
        const auto it = std::find(marked_.begin(), marked_.end(), full);
        if (it == marked_.end()) {
          marked_.push_back(full);
        } else {
          marked_.erase(it);
        }
        Move(1);
      }
      break;
    default:
      break;
  }
  return Outcome::kNone;
}

}  // namespace ui
