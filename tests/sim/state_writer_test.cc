// The state writer: a state queued twice before it was written is written once, as last queued;
// a failed write is reported and named by Drain until a later write of it succeeds.

#include "sim/state_writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(StateWriter, WritesTheLastQueuedStateAndNamesTheFailures) {
  std::mutex mutex;
  std::mutex hold;  // held by the test: the writer waits in its first write
  std::map<std::string, std::vector<std::string>> written;
  std::vector<std::string> reports;
  bool broken = true;
  std::atomic<bool> in_first_write = false;
  hold.lock();
  sim::StateWriter writer(
      [&](const std::string& path, const std::string& text, std::string* error) {
        if (path == "x") in_first_write = true;
        const std::lock_guard wait(hold);
        const std::lock_guard lock(mutex);
        if (path == "b" && broken) {
          *error = "cannot write b";
          return false;
        }
        written[path].push_back(text);
        return true;
      },
      [&](const std::string& message) {
        const std::lock_guard lock(mutex);
        reports.push_back(message);
      });
  writer.Queue("x", "taken at once");  // the writer waits in this write while the rest queue
  while (!in_first_write) std::this_thread::yield();
  writer.Queue("a", "first");
  writer.Queue("b", "one");
  writer.Queue("a", "second");
  hold.unlock();
  EXPECT_EQ(writer.Drain(), std::vector<std::string>{"b"});
  {
    const std::lock_guard lock(mutex);
    EXPECT_EQ(written["a"], std::vector<std::string>{"second"});
    EXPECT_EQ(reports, std::vector<std::string>{"cannot write b"});
    broken = false;
  }
  writer.Queue("b", "two");
  EXPECT_TRUE(writer.Drain().empty());
  const std::lock_guard lock(mutex);
  EXPECT_EQ(written["b"], std::vector<std::string>{"two"});
}

}  // namespace
