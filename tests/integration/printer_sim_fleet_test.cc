// printer-sim serving several printers at once (--count), reached over loopback TCP.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/unique_fd.h"
#include "platform/temp_dir.h"
#include "sim_process.h"

namespace {

using itest::Loopback;
using itest::SimProcess;
using itest::StartFleet;
using platform_test::ReadAll;

const std::string kWriteSwitch1(
    "\x1D\x28\x45\x0B\x00\x03\x01"
    "10122222",
    15);
const std::string kReadSwitch1("\x1D\x28\x45\x02\x00\x04\x01", 7);
const std::string kSwitch1Changed("7!10101100\0", 11);
const std::string kSwitch1Default("7!00001100\0", 11);

// A raw TCP connection to one printer.
class Connection {
 public:
  explicit Connection(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const sockaddr_in address = Loopback(port);
    connected_ =
        ::connect(fd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }

  // Sends `command` and collects up to `expected` reply bytes (waits at most 3 s).
  std::string Exchange(const std::string& command, size_t expected) {
    if (!connected_ || ::send(fd_.get(), command.data(), command.size(), MSG_NOSIGNAL) !=
                           static_cast<ssize_t>(command.size())) {
      return "(not sent)";
    }
    std::string reply;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (reply.size() < expected && std::chrono::steady_clock::now() < deadline) {
      pollfd entry{fd_.get(), POLLIN, 0};
      if (::poll(&entry, 1, 100) <= 0) continue;
      char buffer[64];
      const ssize_t n = ::recv(fd_.get(), buffer, sizeof buffer, 0);
      if (n <= 0) break;
      reply.append(buffer, static_cast<size_t>(n));
    }
    return reply;
  }

 private:
  platform::UniqueFd fd_;
  bool connected_ = false;
};

std::string StateFile(const std::string& dir, int port) {
  return dir + "/printer-" + std::to_string(port) + ".state";
}

TEST(PrinterSimFleetTest, PrintersKeepSettingsOfTheirOwnAcrossARestart) {
  const platform_test::TempDir temp;
  const std::string states = temp.File("states");  // printer-sim makes the folder
  int first = 0;
  {
    const auto sim = StartFleet(3, {"--state-dir", states});
    ASSERT_TRUE(sim) << "no fleet of 3 started on a free port range";
    first = sim->port();
    EXPECT_EQ(sim->ReadLine(3000),
              "printer-sim listening on 127.0.0.1:" + std::to_string(first + 1));
    EXPECT_EQ(sim->ReadLine(3000),
              "printer-sim listening on 127.0.0.1:" + std::to_string(first + 2));

    Connection middle(first + 1);
    // The write has no reply; the read after it shows the printer took it.
    EXPECT_EQ(middle.Exchange(kWriteSwitch1, 0), "");
    EXPECT_EQ(middle.Exchange(kReadSwitch1, 11), kSwitch1Changed);
    // The middle printer still has its client, and the others answer all the same.
    EXPECT_EQ(Connection(first).Exchange(kReadSwitch1, 11), kSwitch1Default);
    EXPECT_EQ(Connection(first + 2).Exchange(kReadSwitch1, 11), kSwitch1Default);
    EXPECT_EQ(sim->Stop(), 0);
  }
  const std::string changed = ReadAll(StateFile(states, first + 1));
  EXPECT_NE(changed.find("switch1 = 10101100\n"), std::string::npos) << changed;
  for (const int port : {first, first + 2}) {
    const std::string untouched = ReadAll(StateFile(states, port));
    EXPECT_NE(untouched.find("switch1 = 00001100\n"), std::string::npos) << port << untouched;
  }

  SimProcess again({"--count", "3", "--port", std::to_string(first), "--state-dir", states});
  ASSERT_EQ(again.port(), first) << again.first_line();
  EXPECT_EQ(Connection(first + 1).Exchange(kReadSwitch1, 11), kSwitch1Changed);
  EXPECT_EQ(Connection(first + 2).Exchange(kReadSwitch1, 11), kSwitch1Default);
  EXPECT_EQ(again.Stop(), 0);
}

TEST(PrinterSimFleetTest, RefusesCountWithoutAPortOrWithOneStateFile) {
  {
    SimProcess sim({"--count", "3"});
    EXPECT_EQ(sim.first_line(),
              "printer-sim: --count needs the first port given with --port N (not 0)");
    EXPECT_EQ(sim.Wait(), 2);
  }
  {
    const itest::TempStatePath state("fleet-state");
    SimProcess sim({"--count", "3", "--port", "9100", "--state", state.path()});
    EXPECT_EQ(sim.first_line(),
              "printer-sim: --state is for a single printer; give a fleet --state-dir DIR");
    EXPECT_EQ(sim.Wait(), 2);
  }
}

}  // namespace
