// The progress line on standard error: drawn over itself, so it must never wrap.

#include "cli/progress_board.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(ProgressBoard, StaysWithinTheTerminalAndIsNotDrawnWithoutOne) {
  std::ostringstream narrow;
  cli::ProgressBoard on_30_columns(narrow, 30, 3);
  on_30_columns.Started(0);
  // 29 columns: the last one would move the cursor to the next line on some terminals.
  EXPECT_EQ(narrow.str(), "\r[....................] 0/3 pr");

  std::ostringstream wide;
  cli::ProgressBoard on_200_columns(wide, 200, 3);
  on_200_columns.Started(0);
  EXPECT_EQ(wide.str(), "\r[....................] 0/3 printers done, 1 running");

  // One printer shows its stage: a file's name, made safe for the screen and cut between
  // characters (29 columns leave room for the first byte of the 'ä' only).
  std::ostringstream one;
  cli::ProgressBoard one_printer(one, 40, 1);
  one_printer.Update(0, 50, "a\x1b]2;x\x07.bmp");
  EXPECT_EQ(one.str(), "\r[##########..........] a?]2;x?.bmp");
  std::ostringstream cut;
  cli::ProgressBoard cut_printer(cut, 30, 1);
  cut_printer.Update(0, 0, "12345\xC3\xA4");
  EXPECT_EQ(cut.str(), "\r[....................] 12345");

  std::ostringstream none;
  cli::ProgressBoard without_terminal(none, 0, 3);
  without_terminal.Started(0);
  without_terminal.Finished(0, true);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
