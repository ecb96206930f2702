// Button 1002 end to end: deskutil with the service pack sends a firmware file to a printer-sim
// process that captures every byte it receives.

#include <gtest/gtest.h>

#include <string>

#include "integration/program_run.h"
#include "integration/sim_process.h"
#include "platform/temp_dir.h"

namespace {

TEST(FirmwareLaunchE2eTest, TheServicePackShowsTheButtonAndTheFileArrivesUnchanged) {
  platform_test::TempDir dir;
  std::string firmware;
  for (int i = 0; i < 9000; ++i) firmware.push_back(static_cast<char>(i * 7 % 251));
  platform_test::WriteFile(dir.File("printer.fls"), firmware);
  itest::SimProcess sim({"--port", "0", "--firmware", dir.File("captured.bin")});
  ASSERT_GT(sim.port(), 0) << sim.first_line();

  const std::string deskutil = std::string(PELLISET_BINARY_DIR) + "/src/desktop/deskutil";
  const std::string pack = std::string(PELLISET_SOURCE_DIR) + "/examples/service.pack";
  const itest::ProgramOutcome o = itest::RunProgram(
      dir, deskutil,
      "wait dialog 102\nselect 1006 3\ntype 1074 \"127.0.0.1\"\ntype 1075 \"" +
          std::to_string(sim.port()) + "\"\nclick 1002\nwait dialog 131\nclick 1026\nfiles \"" +
          dir.File("printer.fls") + "\"\nwait messagebox 20\nanswer OK\nclick 1\n" +
          "wait dialog 102\nclick 1\n",
      "--pack " + itest::ShellQuote(pack));
  ASSERT_EQ(o.status, 0) << o.out << o.err;
  EXPECT_NE(o.out.find(R"("text":"Success to download firmware!")"), std::string::npos) << o.out;
  ASSERT_EQ(sim.Stop(), 0);
  EXPECT_EQ(platform_test::ReadAll(dir.File("captured.bin")), firmware);
}

}  // namespace
