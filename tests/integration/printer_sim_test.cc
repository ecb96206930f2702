// printer-sim as a separate process, reached over real loopback TCP with the real platform
// backends.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/devices/posix_device_factory.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"
#include "platform/system/unique_fd.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"
#include "sim_process.h"

namespace {

using itest::kSimPath;
using itest::RealServices;
using itest::SimProcess;

void ConnectTo(protocol::CCommonUtil& util, int port) {
  util.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp,
                        .port_name = "NET127.0.0.1",
                        .tcp_port = static_cast<uint32_t>(port)});
  ASSERT_TRUE(util.OpenLink());
}

// Sends `command` and collects `expected` reply bytes (up to 3 s).
std::vector<uint8_t> Exchange(devlink::CDev& dev, const std::vector<uint8_t>& command,
                              size_t expected) {
  EXPECT_EQ(dev.Write(command.data(), static_cast<uint32_t>(command.size())),
            static_cast<int>(command.size()));
  std::vector<uint8_t> reply;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  uint8_t buffer[100];
  while (reply.size() < expected && std::chrono::steady_clock::now() < deadline) {
    const int n = dev.Read(buffer, sizeof buffer, 1000);
    if (n < 0) break;
    reply.insert(reply.end(), buffer, buffer + n);
  }
  return reply;
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(PrinterSimProcessTest, IdentifiesOverLoopbackTcp) {
  SimProcess sim({"--port", "0", "--msr", "80", "--generation", "old"});
  ASSERT_GT(sim.port(), 0) << sim.first_line();
  RealServices real;
  protocol::CCommonUtil util(real.services);
  ConnectTo(util, sim.port());
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  EXPECT_EQ(util.identity().model_code, 2u);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk);
  EXPECT_EQ(util.identity().firmware_version, 101001u);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kMaker), protocol::kResultOk);
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kOpenCheck), protocol::kResultOk);
  EXPECT_EQ(util.identity().open_check_value, 80);
  util.dev().Close();
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(PrinterSimProcessTest, KeepsServingAfterAClientLeaves) {
  SimProcess sim({"--port", "0"});
  ASSERT_GT(sim.port(), 0) << sim.first_line();
  RealServices real;
  for (int connection = 0; connection < 2; ++connection) {
    protocol::CCommonUtil util(real.services);
    ConnectTo(util, sim.port());
    EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk)
        << connection;
    EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion), protocol::kResultOk)
        << connection;
    EXPECT_EQ(util.identity().firmware_version, 160902u);
    util.dev().Close();
  }
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(PrinterSimProcessTest, StateFileCarriesAChangeAcrossARestart) {
  const itest::TempStatePath state_file("state");
  const std::string& state = state_file.path();
  const std::vector<uint8_t> read_switch1 = {0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 0x01};
  RealServices real;
  {
    SimProcess sim({"--port", "0", "--state", state});
    ASSERT_GT(sim.port(), 0) << sim.first_line();
    protocol::CCommonUtil util(real.services);
    ConnectTo(util, sim.port());
    const std::vector<uint8_t> write_switch1 = {0x1D, 0x28, 0x45, 0x0B, 0x00, 0x03, 0x01, '1',
                                                '0',  '1',  '2',  '2',  '2',  '2',  '2'};
    EXPECT_EQ(util.dev().Write(write_switch1.data(), write_switch1.size()), 15);
    // The write has no reply; the read after it shows the printer took it.
    const auto reply = Exchange(util.dev(), read_switch1, 11);
    EXPECT_EQ(std::string(reply.begin(), reply.end()), std::string("7!10101100\0", 11));
    util.dev().Close();
    EXPECT_EQ(sim.Stop(SIGHUP), 0);  // its terminal closed
  }
  EXPECT_NE(FileText(state).find("switch1 = 10101100"), std::string::npos) << FileText(state);
  {
    SimProcess sim({"--port", "0", "--state", state});
    ASSERT_GT(sim.port(), 0) << sim.first_line();
    protocol::CCommonUtil util(real.services);
    ConnectTo(util, sim.port());
    const auto reply = Exchange(util.dev(), read_switch1, 11);
    EXPECT_EQ(std::string(reply.begin(), reply.end()), std::string("7!10101100\0", 11));
    util.dev().Close();
  }
}

TEST(PrinterSimProcessTest, DamagedStateFileStopsTheStartAndIsKept) {
  const itest::TempStatePath state_file("damaged");
  const std::string& state = state_file.path();
  const std::string damaged = "switch1 = 0000\n";
  std::ofstream(state) << damaged;
  SimProcess sim({"--port", "0", "--state", state});
  EXPECT_EQ(sim.port(), 0);
  EXPECT_NE(sim.first_line().find("damaged state file"), std::string::npos) << sim.first_line();
  EXPECT_EQ(sim.Wait(), 2);
  EXPECT_EQ(FileText(state), damaged);
}

TEST(PrinterSimProcessTest, DroppedConnectionFailsFastAndTheNextOneIsServed) {
  // The printer hangs up after 6 bytes: the model query and the maker query.
  SimProcess sim({"--port", "0", "--drop-after", "6"});
  ASSERT_GT(sim.port(), 0) << sim.first_line();
  RealServices real;
  protocol::CCommonUtil util(real.services);
  ConnectTo(util, sim.port());
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kMaker), protocol::kResultNoReply);
  EXPECT_FALSE(util.dev().is_open());
  // A closed peer is seen at once, not after twelve receive time-outs.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ConnectTo(util, sim.port());
  EXPECT_EQ(util.GetPrinterInfo(protocol::CCommonUtil::kModel), protocol::kResultOk);
  util.dev().Close();
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(PrinterSimProcessTest, HelpAndBadOptions) {
  {
    SimProcess sim({"--help"});
    EXPECT_EQ(sim.first_line().rfind("Usage: printer-sim", 0), 0u) << sim.first_line();
    EXPECT_EQ(sim.Wait(), 0);
  }
  {
    SimProcess sim({"--split", "zero"});
    EXPECT_NE(sim.first_line().find("--split"), std::string::npos) << sim.first_line();
    EXPECT_EQ(sim.Wait(), 2);
  }
}

}  // namespace
