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

  std::ostringstream none;
  cli::ProgressBoard without_terminal(none, 0, 3);
  without_terminal.Started(0);
  without_terminal.Finished(0, true);
  EXPECT_EQ(none.str(), "");
}

}  // namespace
