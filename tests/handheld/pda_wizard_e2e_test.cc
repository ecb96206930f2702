// pdautil end to end: the real program driven through the automation protocol against a
// printer-sim process on loopback TCP, through the main dialog into the settings wizard and back.
// The run pays the protocol's real pacing (a read-all and a write-all), so there is one run.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "integration/program_run.h"
#include "integration/sim_process.h"
#include "platform/registry/file_registry.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"

namespace {

using platform_test::ReadAll;
using platform_test::TempDir;
using platform_test::WriteFile;

const std::string kPdautil = std::string(PELLISET_BINARY_DIR) + "/src/handheld/pdautil";

// The value of `key` in a printer-sim state file ("" when absent).
std::string StateValue(const std::string& state, const std::string& key) {
  const std::string prefix = "\n" + key + " = ";
  const size_t at = ("\n" + state).find(prefix);
  if (at == std::string::npos) return {};
  const size_t start = at + prefix.size() - 1;
  return state.substr(start, state.find('\n', start) - start);
}

TEST(PdaWizardE2eTest, NextThroughTheStepsSavesToThePrinterAndTheHandheldRegistry) {
  TempDir dir;
  const std::string state_path = dir.File("state.txt");
  WriteFile(state_path, "switch1 = 00001100\n");  // density 100%
  itest::SimProcess sim({"--port", "0", "--state", state_path});
  ASSERT_GT(sim.port(), 0) << sim.first_line();

  const std::string port = std::to_string(sim.port());
  const itest::ProgramOutcome o = itest::RunProgram(dir, kPdautil,
                                                    "wait dialog 102\n"
                                                    "click 1068\n"
                                                    "type 1070 \"127.0.0.1\"\n"
                                                    "type 1032 \"" +
                                                        port +
                                                        "\"\n"
                                                        "click 1001\n"
                                                        "wait dialog 136 30\n"
                                                        "select 1023 0\n"  // 150%
                                                        "click 1\n"
                                                        "wait dialog 137\n"
                                                        "click 1\n"
                                                        "wait dialog 144\n"
                                                        "click 1\n"
                                                        "wait dialog 138\n"
                                                        "click 1\n"
                                                        "wait dialog 139\n"
                                                        "click 1\n"
                                                        "wait messagebox 30\n"
                                                        "answer OK\n"
                                                        "click 1\n",
                                                    "", "de_DE.UTF-8");
  ASSERT_EQ(o.status, 0) << o.out << o.err;
  // pdautil has no translations: a German user still reads English.
  EXPECT_NE(o.out.find(R"({"event":"dialog","template":102,"caption":"TMQ-D550 Pelliset")"),
            std::string::npos)
      << o.out;
  EXPECT_NE(
      o.out.find(R"({"event":"messagebox","caption":"Pelliset","text":"Success to Set VMSM!")"),
      std::string::npos)
      << o.out;
  ASSERT_EQ(sim.Stop(), 0);

  const std::string state = ReadAll(state_path);
  EXPECT_EQ(StateValue(state, "switch1"), "00001011") << state;
  EXPECT_EQ(StateValue(state, "setting_mode"), "0") << state;

  // The setting and the profile went to pdautil's own file; deskutil's was never written.
  platform::FileRegistry handheld(dir.File("config") + "/pelliset/handheld.reg");
  const std::string key = platform::kPellisetKey;
  EXPECT_EQ(platform::ReadDword(handheld, key, "uPortType"), 2u);
  EXPECT_EQ(platform::ReadString(handheld, key, "uPort"), "NET127.0.0.1");
  EXPECT_EQ(platform::ReadDword(handheld, key, "uBaudrate"), static_cast<uint32_t>(sim.port()));
  EXPECT_EQ(platform::ReadDword(handheld, key, "Density"), 3u);
  EXPECT_TRUE(ReadAll(dir.File("config") + "/pelliset/registry.reg").empty());
}

}  // namespace
