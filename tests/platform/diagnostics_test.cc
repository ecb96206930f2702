// Messages that belong to no dialog: standard error normally, a log file while a full-screen host
// owns the terminal.

#include "platform/system/diagnostics.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>

#include "platform/temp_dir.h"

namespace {

TEST(Diagnostics, GoToTheLogFileOnlyWhileOneIsSet) {
  platform_test::TempDir dir;
  const std::string log = dir.File("state/pelliset/pelliset.log");  // folders made on demand

  ::testing::internal::CaptureStderr();
  platform::Diagnose("before");
  {
    const platform::DiagnosticsToFile to_file(log);
    platform::Diagnose("one");
    platform::Diagnose("two");
  }
  platform::Diagnose("after");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "before\nafter\n");
  EXPECT_EQ(platform_test::ReadAll(log), "one\ntwo\n");

  // A log that cannot be written (its folder is a file; a FIFO, never waited on) loses nothing:
  // the message waits.
  const std::string fifo = dir.File("fifo.log");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& unwritable : {log + "/x.log", fifo}) {
    ::testing::internal::CaptureStderr();
    {
      const platform::DiagnosticsToFile to_file(unwritable);
      platform::Diagnose("kept");
      EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
      ::testing::internal::CaptureStderr();
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "kept\n") << unwritable;
  }
}

TEST(Diagnostics, LogPathFollowsXdgStateHome) {
  std::map<std::string, std::string> env = {{"HOME", "/home/ana"}};
  auto getenv = [&](const char* name) -> const char* {
    auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  EXPECT_EQ(platform::DefaultLogPath(getenv), "/home/ana/.local/state/pelliset/pelliset.log");
  env["XDG_STATE_HOME"] = "relative/state";  // ignored: it would depend on the current folder
  EXPECT_EQ(platform::DefaultLogPath(getenv), "/home/ana/.local/state/pelliset/pelliset.log");
  env["XDG_STATE_HOME"] = "/var/tmp/state";
  EXPECT_EQ(platform::DefaultLogPath(getenv), "/var/tmp/state/pelliset/pelliset.log");
}

}  // namespace
