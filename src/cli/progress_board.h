#pragma once

// Progress on standard error while printers are being worked on: one line, redrawn in place. For
// one printer it shows that printer's bar and stage ("Get status : 42 %"); for several, how many
// have finished, failed and are running. Only on a terminal: a script's log gets no bars.
//
// The board is also the one way the results go out while printers are at work, and everything it
// writes goes out on a thread of its own, in the order written: a reader that stops reading (a
// full pipe to a slow program, a terminal paused with Ctrl-S) holds that thread alone, never the
// printers' work and their time limits.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "session/printer_session.h"

namespace cli {

class ProgressBoard {
 public:
  // `err` is where the line is drawn, kept within `columns` (at most 79); 0 columns makes every
  // call do nothing.
  ProgressBoard(std::ostream& err, size_t columns, size_t printers);
  // Everything written goes out first.
  ~ProgressBoard();
  ProgressBoard(const ProgressBoard&) = delete;
  ProgressBoard& operator=(const ProgressBoard&) = delete;

  void Started(size_t printer);
  // `percent` 0..100 and the stage line of one printer.
  void Update(size_t printer, int percent, const std::string& stage);
  void Finished(size_t printer, bool ok);

  // Writes `text` to `out` with the line taken away first and drawn again after, all under the
  // board's lock, so no redraw from another thread lands inside the text.
  void Write(std::ostream& out, const std::string& text);
  // Returns once everything written so far has gone out (to write past the board after it).
  void Flush();

 private:
  struct Piece {
    std::ostream* to;
    std::string bytes;
  };
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
  // Hands `bytes` to the writer (lock held); written at once where no thread could be had.
  void Emit(std::ostream& to, std::string bytes);
  void WriteOut();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable drained_;
  std::deque<Piece> pending_;
  bool writing_ = false;
  bool closing_ = false;
  std::thread writer_;
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
