// The pelliset program against printer-sim processes over loopback TCP.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "integration/sim_process.h"
#include "platform/temp_dir.h"

namespace {

const std::string kPelliset = std::string(PELLISET_BINARY_DIR) + "/src/cli/pelliset";

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs pelliset with `args` (already quoted for the shell) in `dir`.
ProgramRun Pelliset(const platform_test::TempDir& dir, const std::string& args) {
  const std::string command =
      kPelliset + " " + args + " >" + dir.File("out") + " 2>" + dir.File("err") + " </dev/null";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, FileBytes(dir.File("out")),
          FileBytes(dir.File("err"))};
}

TEST(CliProcess, FirmwareReachesThePrinterUnchanged) {
  platform_test::TempDir dir;
  // Every byte value, two whole pieces and a part.
  std::string bytes;
  for (int i = 0; i < 9000; ++i) bytes += static_cast<char>((i * 37 + i / 256) & 0xFF);
  std::ofstream(dir.File("update.fls"), std::ios::binary) << bytes;
  itest::SimProcess sim({"--port", "0", "--firmware", dir.File("capture")});
  ASSERT_GT(sim.port(), 0) << sim.first_line();

  const ProgramRun run = Pelliset(dir, "-p tcp://127.0.0.1:" + std::to_string(sim.port()) +
                                           " firmware " + dir.File("update.fls") + " --yes --json");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const nlohmann::json line = nlohmann::json::parse(run.out);
  EXPECT_EQ(line["sent"], 9000);
  EXPECT_EQ(line["changed"], true);
  // The printer may still be taking the last piece when the program has ended.
  std::string received;
  for (int i = 0; i < 500 && received.size() < bytes.size(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    received = FileBytes(dir.File("capture"));
  }
  EXPECT_TRUE(received == bytes) << "received " << received.size() << " of " << bytes.size();
}

TEST(CliProcess, AFleetFromAPrintersFileIsIdentifiedAndBackedUp) {
  platform_test::TempDir dir;
  const auto sim = itest::StartFleet(3, {});
  ASSERT_TRUE(sim != nullptr);
  std::ofstream list(dir.File("printers"));
  list << "# the shop's printers\n";
  for (int i = 0; i < 3; ++i) list << "tcp://127.0.0.1:" << sim->port() + i << "\n";
  list.close();

  ProgramRun run = Pelliset(dir, "--printers " + dir.File("printers") + " --json identify");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::istringstream lines(run.out);
  int count = 0;
  for (std::string text; std::getline(lines, text); ++count) {
    const nlohmann::json line = nlohmann::json::parse(text);
    EXPECT_EQ(line["model"], "TMQ-D550") << text;
    EXPECT_EQ(line["maker"], "KORVANE") << text;
  }
  EXPECT_EQ(count, 3);

  run = Pelliset(
      dir, "--printers " + dir.File("printers") + " settings get --output " + dir.File("backup"));
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string first =
      FileBytes(dir.File("backup/tcp___127.0.0.1_" + std::to_string(sim->port()) + ".ini"));
  EXPECT_NE(first.find("\nprint.density = 100%\n"), std::string::npos) << first;
}

}  // namespace
