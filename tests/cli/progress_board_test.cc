// The progress line on standard error: drawn over itself, so it must never wrap.

#include "cli/progress_board.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>

namespace {

TEST(ProgressBoard, StaysWithinTheTerminalAndIsNotDrawnWithoutOne) {
  std::ostringstream narrow;
  cli::ProgressBoard on_30_columns(narrow, 30, 3);
  on_30_columns.Started(0);
  on_30_columns.Flush();
  // 29 columns: the last one would move the cursor to the next line on some terminals.
  EXPECT_EQ(narrow.str(), "\r[....................] 0/3 pr");

  std::ostringstream wide;
  cli::ProgressBoard on_200_columns(wide, 200, 3);
  on_200_columns.Started(0);
  on_200_columns.Flush();
  EXPECT_EQ(wide.str(), "\r[....................] 0/3 printers done, 1 running");

  // One printer shows its stage: a file's name, made safe for the screen and cut between
  // characters (29 columns leave room for the first byte of the 'ä' only).
  std::ostringstream one;
  cli::ProgressBoard one_printer(one, 40, 1);
  one_printer.Update(0, 50, "a\x1b]2;x\x07.bmp");
  one_printer.Flush();
  EXPECT_EQ(one.str(), "\r[##########..........] a?]2;x?.bmp");
  std::ostringstream cut;
  cli::ProgressBoard cut_printer(cut, 30, 1);
  cut_printer.Update(0, 0, "12345\xC3\xA4");
  cut_printer.Flush();
  EXPECT_EQ(cut.str(), "\r[....................] 12345");

  std::ostringstream none;
  cli::ProgressBoard without_terminal(none, 0, 3);
  without_terminal.Started(0);
  without_terminal.Finished(0, true);
  without_terminal.Flush();
  EXPECT_EQ(none.str(), "");
}

// A reader that stops reading (a full pipe) holds only the board's own writer: a result handed to
// it returns at once, and goes out, in order, once the reader reads again.
TEST(ProgressBoard, AReaderThatStopsReadingHoldsNoPrinter) {
  struct HeldBuffer : std::stringbuf {
    std::mutex mutex;
    std::condition_variable released;
    bool held = true;
    int sync() override {  // a reader away for two seconds
      std::unique_lock lock(mutex);
      released.wait_for(lock, std::chrono::seconds(2), [this] { return !held; });
      return 0;
    }
  } buffer;
  std::ostream out(&buffer);
  std::ostringstream err;
  cli::ProgressBoard board(err, 0, 2);
  const auto start = std::chrono::steady_clock::now();
  board.Write(out, "first\n");
  board.Write(out, "second\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  {
    std::lock_guard lock(buffer.mutex);
    buffer.held = false;
  }
  buffer.released.notify_all();
  board.Flush();
  EXPECT_EQ(buffer.str(), "first\nsecond\n");
}

}  // namespace
