// The settings editor's launch sequence end to end: the real deskutil driven through the
// automation protocol against a printer-sim process on loopback TCP. Each run pays the protocol's
// real pacing (a read-all takes about 4 s), so every case does one launch only.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "integration/program_run.h"
#include "integration/sim_process.h"
#include "platform/registry/file_registry.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"

namespace {

using platform_test::ReadAll;
using platform_test::TempDir;
using platform_test::WriteFile;

const std::string kDeskutil = std::string(PELLISET_BINARY_DIR) + "/src/desktop/deskutil";
constexpr char kSetDone[] = R"(Success to set VMSM configuration! \r\nPlease reset printer power.)";
constexpr char kSaveFailed[] =
    R"(Failed to save VMSM configuration!\r\nPlease check your printer state.)";

// The value of `key` in a printer-sim state file ("" when absent).
std::string StateValue(const std::string& state, const std::string& key) {
  const std::string prefix = key + " = ";
  size_t at = 0;
  while (at < state.size()) {
    const size_t end = state.find('\n', at);
    const std::string line = state.substr(at, end == std::string::npos ? end : end - at);
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return {};
}

class SettingsEditorE2eTest : public ::testing::Test {
 protected:
  // Starts printer-sim on a free port with its state in this test's folder; `state` (if any) is
  // what the printer remembers before the run.
  std::unique_ptr<itest::SimProcess> StartSim(const std::string& state,
                                              std::vector<std::string> faults = {}) {
    if (!state.empty()) WriteFile(StatePath(), state);
    std::vector<std::string> args = {"--port", "0", "--state", StatePath()};
    args.insert(args.end(), faults.begin(), faults.end());
    auto sim = std::make_unique<itest::SimProcess>(args);
    EXPECT_GT(sim->port(), 0) << sim->first_line();
    return sim;
  }

  // The main dialog set to TCP/IP at 127.0.0.1:`port`, then button 1000.
  static std::string Launch(int port) {
    return "wait dialog 102\n"
           "select 1006 3\n"
           "type 1074 \"127.0.0.1\"\n"
           "type 1075 \"" +
           std::to_string(port) +
           "\"\n"
           "click 1000\n";
  }

  // Runs deskutil with `script` on standard input; returns its exit status, output in out_.
  int Run(const std::string& script) {
    const itest::ProgramOutcome o = itest::RunProgram(dir, kDeskutil, script);
    out_ = o.out;
    return o.status;
  }

  std::string StatePath() const { return dir.File("state.txt"); }
  std::optional<uint32_t> Profile(const char* name) {
    platform::FileRegistry registry(dir.File("config") + "/pelliset/registry.reg");
    return platform::ReadDword(registry, platform::kPellisetKey, name);
  }
  bool Printed(const std::string& text) const { return out_.find(text) != std::string::npos; }
  std::string MessageBoxLine(const std::string& text) const {
    return R"({"event":"messagebox","caption":"Pelliset","text":")" + text + "\"";
  }

  TempDir dir;
  std::string out_;
};

TEST_F(SettingsEditorE2eTest, SaveWritesTheChangesAndStoresTheProfile) {
  // Density 4 (100%) and a dynamic sentinel before the run.
  auto sim = StartSim("switch1 = 00001100\nsentinel1_start = OLD1\n");
  const int status = Run(Launch(sim->port()) +
                         "wait dialog 133 20\n"
                         "select 140:1092 0\n"  // 150%: Density 3
                         "select 1022 1\n"
                         "click 141:1000\n"
                         "wait dialog 137\n"
                         "click 1080\n"
                         "type 1072 \"NEW1\"\n"
                         "click 1\n"
                         "wait dialog 133\n"
                         "click 1\n"
                         "wait messagebox 20\n"
                         "answer OK\n"
                         "click 1\n");
  ASSERT_EQ(status, 0) << out_;
  EXPECT_TRUE(Printed(R"({"event":"closed","template":133,"result":1)")) << out_;
  EXPECT_TRUE(Printed(MessageBoxLine(kSetDone))) << out_;
  ASSERT_EQ(sim->Stop(), 0);

  const std::string state = ReadAll(StatePath());
  EXPECT_EQ(StateValue(state, "switch1"), "00001011") << state;
  EXPECT_EQ(StateValue(state, "sentinel1_start"), "NEW1") << state;
  EXPECT_EQ(StateValue(state, "setting_mode"), "0");  // the write left setting mode
  EXPECT_EQ(Profile("Density"), 3u);
  EXPECT_EQ(Profile("Sentinel"), 2u);
}

TEST_F(SettingsEditorE2eTest, DefaultSendsTheFactoryBlockAndStoresThePagesRecord) {
  // What a printer fresh from the factory remembers: printer-sim's state with no file given.
  std::string factory;
  {
    TempDir fresh;
    itest::SimProcess reference({"--port", "0", "--state", fresh.File("state.txt")});
    ASSERT_EQ(reference.Stop(), 0);
    factory = ReadAll(fresh.File("state.txt"));
  }
  ASSERT_NE(StateValue(factory, "switch1"), "");
  ASSERT_NE(StateValue(factory, "switch1"), "00001011");

  auto sim = StartSim("switch1 = 00001011\nsentinel1_start = MINE\nbt_name = Shop-7\n");
  const int status = Run(Launch(sim->port()) +
                         "wait dialog 133 20\n"
                         "click 1000\n"
                         "answer Yes\n"
                         "wait messagebox 20\n"
                         "answer OK\n"
                         "click 1\n");
  ASSERT_EQ(status, 0) << out_;
  EXPECT_TRUE(Printed(MessageBoxLine(kSetDone))) << out_;
  ASSERT_EQ(sim->Stop(), 0);

  const std::string state = ReadAll(StatePath());
  for (const char* key : {"switch1", "switch2", "switch5", "sentinel1_start", "bt_name"}) {
    EXPECT_EQ(StateValue(state, key), StateValue(factory, key)) << key;
  }
  // The profile is the record as the pages left it, not the printer's new factory values.
  EXPECT_EQ(Profile("Density"), 3u);
}

TEST_F(SettingsEditorE2eTest, PrinterSwitchedOffGivesPortOpenErrorAndNoTabDialog) {
  // A port nobody listens on any more: a printer that is off refuses the connection.
  int port = 0;
  {
    itest::SimProcess gone({"--port", "0"});
    port = gone.port();
    ASSERT_GT(port, 0);
  }
  const int status = Run(Launch(port) +
                         "wait messagebox 20\n"
                         "answer OK\n"
                         "click 1\n");
  ASSERT_EQ(status, 0) << out_;
  // The real socket's refusal, told under the message.
  EXPECT_TRUE(Printed(MessageBoxLine("Port open error!\\n127.0.0.1:" + std::to_string(port) +
                                     ": connection refused; check the port number (most "
                                     "printers use 9100)")))
      << out_;
  EXPECT_FALSE(Printed(R"("template":133)")) << out_;
  EXPECT_EQ(Profile("uPortType"), 3u);           // Exit stored the setting...
  EXPECT_FALSE(Profile("Density").has_value());  // ...and nothing of a profile
}

TEST_F(SettingsEditorE2eTest, FailingWriteShowsTheSaveFailureAndKeepsTheProfileUnsaved) {
  // The printer answers the setting-mode command with a broken header: the write fails at once.
  auto sim = StartSim("switch1 = 00001100\n", {"--wrong-header", "--faults-for", "setting-in"});
  const int status = Run(Launch(sim->port()) +
                         "wait dialog 133 20\n"
                         "select 140:1092 0\n"
                         "click 1\n"
                         "wait messagebox 20\n"
                         "answer OK\n"
                         "click 1\n");
  ASSERT_EQ(status, 0) << out_;
  // The broken header is named as an answer not understood.
  EXPECT_TRUE(Printed(MessageBoxLine(std::string(kSaveFailed) +
                                     "\\n127.0.0.1:" + std::to_string(sim->port()) +
                                     ": the answer was cut short or could not be understood; check "
                                     "that this is "
                                     "the printer's port")))
      << out_;
  EXPECT_FALSE(Printed(kSetDone));
  ASSERT_EQ(sim->Stop(), 0);
  EXPECT_EQ(StateValue(ReadAll(StatePath()), "switch1"), "00001100");
  EXPECT_EQ(Profile("uPortType"), 3u);
  for (const char* name : {"Density", "Speed", "Msr", "Sentinel"}) {
    EXPECT_FALSE(Profile(name).has_value()) << name;
  }
}

// The shipped example script, pointed at this test's printer instead of 127.0.0.1:9100.
TEST_F(SettingsEditorE2eTest, ExampleScriptReadsTheSettingsAndWritesNothing) {
  std::string script = ReadAll(std::string(PELLISET_SOURCE_DIR) + "/examples/read-settings.txt");
  const std::string default_port = "type 1075 \"9100\"";
  const size_t at = script.find(default_port);
  ASSERT_NE(at, std::string::npos) << script;
  auto sim = StartSim("switch1 = 00001100\n");
  script.replace(at, default_port.size(), "type 1075 \"" + std::to_string(sim->port()) + "\"");

  ASSERT_EQ(Run(script), 0) << out_;
  EXPECT_TRUE(Printed(R"({"event":"snapshot","template":133)")) << out_;
  EXPECT_TRUE(Printed(R"({"event":"closed","template":133,"result":2)")) << out_;
  EXPECT_FALSE(Printed(R"("event":"messagebox")")) << out_;
  ASSERT_EQ(sim->Stop(), 0);
  EXPECT_EQ(StateValue(ReadAll(StatePath()), "switch1"), "00001100");
  EXPECT_FALSE(Profile("Density").has_value());
}

}  // namespace
