// printer-sim serving several printers at once (--count), reached over loopback TCP.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
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

TEST(PrinterSimFleetTest, TwoThousandPrintersAnswerAtOnceAndStopSavingEveryState) {
  constexpr int kCount = 2000;
  // printer-sim holds a port and a client for each printer, this test a connection to each.
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
  ::getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < 2 * kCount + 100) {
    GTEST_SKIP() << "the open-files limit " << limit.rlim_cur << " is too low for " << kCount
                 << " printers";
  }
  const platform_test::TempDir temp;
  const std::string states = temp.File("states");
  // Below the ephemeral ports, where no outgoing connection holds one of the 2,000.
  std::ifstream ephemeral("/proc/sys/net/ipv4/ip_local_port_range");
  int ephemeral_low = 32768;
  ephemeral >> ephemeral_low;
  std::unique_ptr<SimProcess> sim;
  std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 10 && !sim && ephemeral_low > 1024 + kCount; ++attempt) {
    const int from = std::uniform_int_distribution<int>(1024, ephemeral_low - kCount)(random);
    sim = std::make_unique<SimProcess>(std::vector<std::string>{
        "--count", std::to_string(kCount), "--port", std::to_string(from), "--state-dir", states});
    if (sim->port() != from) sim.reset();
  }
  ASSERT_TRUE(sim) << "no fleet of " << kCount << " started on a free port range";
  const int first = sim->port();
  for (int i = 1; i < kCount; ++i) {  // read on, so its output never fills the pipe
    ASSERT_EQ(sim->ReadLine(10000),
              "printer-sim listening on 127.0.0.1:" + std::to_string(first + i));
  }

  // Every printer asked for its model at the same time; each answers on its own.
  const std::string ask_model("\x1D\x49\x43", 3);
  const std::string model("_TMQ-D550\0", 10);
  std::vector<platform::UniqueFd> clients;
  std::vector<std::string> replies(kCount);
  std::vector<pollfd> waiting;
  for (int i = 0; i < kCount; ++i) {
    clients.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = Loopback(first + i);
    ASSERT_EQ(
        ::connect(clients[i].get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0)
        << "port " << first + i;
    ASSERT_EQ(::send(clients[i].get(), ask_model.data(), ask_model.size(), MSG_NOSIGNAL), 3);
    waiting.push_back({clients[i].get(), POLLIN, 0});
  }
  int answered = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (answered < kCount && std::chrono::steady_clock::now() < deadline) {
    if (::poll(waiting.data(), waiting.size(), 100) <= 0) continue;
    for (int i = 0; i < kCount; ++i) {
      if (waiting[i].fd < 0 || !(waiting[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[64];
      const ssize_t n = ::recv(waiting[i].fd, buffer, sizeof buffer, 0);
      if (n > 0) replies[i].append(buffer, static_cast<size_t>(n));
      if (n <= 0 || replies[i].size() >= model.size()) {
        waiting[i].fd = -1;
        ++answered;
      }
    }
  }
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(replies[i], model) << "port " << first + i;
  clients.clear();

  // Stopped, it writes the state of each printer (SimProcess gives it 10 s).
  EXPECT_EQ(sim->Stop(), 0);
  int saved = 0;
  for (const auto& entry : std::filesystem::directory_iterator(states)) {
    saved += entry.path().extension() == ".state";
  }
  EXPECT_EQ(saved, kCount);
}

}  // namespace
