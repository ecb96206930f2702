// The standard-stream helpers the hosts use from the platform: the terminal's size and writing
// whole sequences.

#include "platform/system/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/system/unique_fd.h"

namespace {

TEST(Console, TerminalSizeOfAPseudoTerminalAndOfAPipe) {
  platform::UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(master.valid());
  ASSERT_EQ(grantpt(master.get()), 0);
  ASSERT_EQ(unlockpt(master.get()), 0);
  platform::UniqueFd slave(open(ptsname(master.get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(slave.valid());

  struct Case {
    unsigned short rows, cols;
    bool known;
  };
  // A terminal that reports no size (0 x 0) counts as unknown, not as a zero-sized screen.
  for (const Case c : {Case{45, 130, true}, Case{24, 80, true}, Case{0, 0, false}}) {
    winsize ws{};
    ws.ws_row = c.rows;
    ws.ws_col = c.cols;
    ASSERT_EQ(ioctl(master.get(), TIOCSWINSZ, &ws), 0);
    platform::TerminalSize size{-1, -1};
    EXPECT_EQ(platform::GetTerminalSize(slave.get(), &size), c.known) << c.rows << "x" << c.cols;
    if (c.known) {
      EXPECT_EQ(size.height, c.rows);
      EXPECT_EQ(size.width, c.cols);
    }
  }

  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  platform::UniqueFd read_end(fds[0]), write_end(fds[1]);
  platform::TerminalSize size;
  EXPECT_FALSE(platform::GetTerminalSize(read_end.get(), &size));
}

TEST(Console, WriteAllWritesEveryByteOrFails) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  platform::UniqueFd read_end(fds[0]), write_end(fds[1]);
  const std::string data = std::string("\x1b[?1000h\x1b[?1006h") + std::string(3000, 'x');
  ASSERT_TRUE(platform::WriteAll(write_end.get(), data));
  write_end.Reset();
  std::string got;
  char buf[512];
  for (long n; (n = platform::ReadSome(read_end.get(), buf, sizeof buf)) > 0;) got.append(buf, n);
  EXPECT_EQ(got, data);
  EXPECT_FALSE(platform::WriteAll(-1, "x"));
}

}  // namespace
