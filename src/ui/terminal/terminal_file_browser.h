#pragma once

// The terminal host's file-open dialog: a small browser over one folder at a time (folders
// first, then the files that match the chosen filter), a path line the user can type into, and
// marks for choosing several files when the request allows it. Keys come from the host; the
// renderer draws it from the accessors.
//
// Keys: Up/Down/PgUp/PgDn/Home/End move in the list; Enter opens a folder or chooses the file
// (or the marked files); Space marks a file (multiple only); Backspace in the list goes to the
// parent folder; typing goes to the path line, where Enter opens a typed folder or chooses a
// typed file; Tab moves between list and path line; Ctrl-F switches the file type; Esc cancels.

#include <string>
#include <string_view>
#include <vector>

#include "ui/core/file_filter.h"
#include "ui/core/host.h"
#include "ui/terminal/terminal_keys.h"

namespace ui {

class FileBrowser {
 public:
  struct Entry {
    std::string name;
    bool is_dir = false;
  };
  enum class Outcome { kNone, kChosen, kCancelled };

  // Starts in `start_dir` (the current folder when empty or unreadable).
  FileBrowser(const FileOpenRequest& request, std::string start_dir);

  Outcome HandleKey(const KeyEvent& key);
  // A click on a row: moves there; a click on the row already current opens or chooses it.
  Outcome ClickRow(int row);
  // A click on the path line focuses it.
  void FocusPath() { path_focused_ = true; }

  const std::string& Dir() const { return dir_; }
  const std::vector<Entry>& Entries() const { return entries_; }
  int Cursor() const { return cursor_; }
  bool IsMarked(int row) const;
  // Files marked so far, in this folder and others.
  int MarkedCount() const { return static_cast<int>(marked_.size()); }
  const std::string& PathText() const { return path_; }
  int PathCursor() const { return path_cursor_; }
  bool PathFocused() const { return path_focused_; }
  bool Multiple() const { return request_.multiple; }
  // The request's title; empty: the host's usual "Open".
  const std::string& Title() const { return request_.title; }
  const FileFilter& Filter() const { return filters_[filter_]; }
  const std::string& Message() const { return message_; }
  const std::vector<std::string>& Chosen() const { return chosen_; }
  // Rows the renderer shows at once (for paging and scrolling).
  void SetPageRows(int rows) { page_rows_ = rows < 1 ? 1 : rows; }
  int Scroll() const { return scroll_; }

  // Re-reads the folder (the renderer's "refresh").
  void Refresh();

 private:
  bool Navigate(const std::string& dir);
  Outcome Activate(int row);
  Outcome SubmitPath();
  void Move(int delta);
  std::string FullPath(const std::string& name) const;

  FileOpenRequest request_;
  std::vector<FileFilter> filters_;
  size_t filter_ = 0;
  std::string dir_;
  std::vector<Entry> entries_;
  int cursor_ = 0;
  int scroll_ = 0;
  int page_rows_ = 10;
  std::vector<std::string> marked_;  // full paths, in the order marked
  std::string path_;
  int path_cursor_ = 0;
  bool path_focused_ = false;
  std::string message_;
  std::vector<std::string> chosen_;
};

}  // namespace ui
