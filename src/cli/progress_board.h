#pragma once

// Progress on standard error while printers are being worked on: one line, redrawn in place. For
// one printer it shows that printer's bar and stage ("Get status : 42 %"); for several, how many
// have finished, failed and are running. Only on a terminal: a script's log gets no bars.

#include <chrono>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "session/printer_session.h"

namespace cli {

class ProgressBoard {
 public:
  // `err` is where the line is drawn, kept within `columns` (at most 79); 0 columns makes every
  // call do nothing.
  ProgressBoard(std::ostream& err, size_t columns, size_t printers);

  void Started(size_t printer);
  // `percent` 0..100 and the stage line of one printer.
  void Update(size_t printer, int percent, const std::string& stage);
  void Finished(size_t printer, bool ok);

  // Writes `text` to `out` with the line taken away first and drawn again after, all under the
  // board's lock, so no redraw from another thread lands inside the text.
  void Write(std::ostream& out, const std::string& text);

 private:
  struct Row {
    int percent = 0;
    std::string stage;
    bool running = false;
    bool done = false;
  };
  std::string Line() const;
  // Draws when enough time has passed since the last draw (or `force`). Lock held.
  void DrawLocked(bool force);
  void ClearLocked();

  std::mutex mutex_;
  std::ostream& err_;
  bool enabled_;
  size_t max_width_;
  std::vector<Row> rows_;
  size_t running_ = 0;
  size_t finished_ = 0;
  size_t failed_ = 0;
  size_t drawn_width_ = 0;
  std::chrono::steady_clock::time_point last_draw_{};
};

// What one printer's session reports, shown on its row of `board` (nothing when it is null).
session::ProgressSink BoardRow(ProgressBoard* board, size_t printer);

}  // namespace cli
