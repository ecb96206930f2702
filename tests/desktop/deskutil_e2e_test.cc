// The real deskutil program driven through the automation protocol, with its registry file in a
// fresh folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/comm_setting.h"
#include "fakes/snapshot_reader.h"
#include "integration/program_run.h"
#include "platform/registry/file_registry.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"

namespace {

using fakes::ControlShows;
using platform_test::ReadAll;
using platform_test::TempDir;
using platform_test::WriteFile;

const std::string kDeskutil = std::string(PELLISET_BINARY_DIR) + "/src/desktop/deskutil";

using itest::ShellQuote;
using Outcome = itest::ProgramOutcome;

class DeskutilTest : public ::testing::Test {
 protected:
  // Runs deskutil with `script` on standard input (or `stdin_path` instead), a clean
  // environment with its own configuration folder, and `locale`.
  Outcome Run(const std::string& script, const std::string& args = "",
              const std::string& locale = "C", const std::string& stdin_path = "") {
    return itest::RunProgram(dir, kDeskutil, script, args, locale, stdin_path);
  }
  std::string RegistryPath() const { return dir.File("config") + "/pelliset/registry.reg"; }

  TempDir dir;
};

TEST_F(DeskutilTest, TcpSettingIsStoredOnExitAndRestoredNextRun) {
  const Outcome first =
      Run("wait dialog 102\n"
          "select 1006 \"TCP/IP\"\n"
          "type 1074 \"192.168.7.21\"\n"
          "type 1075 \"9200\"\n"
          "click 1\n");
  ASSERT_EQ(first.status, 0) << first.out << first.err;
  EXPECT_NE(first.out.find(R"({"event":"closed","template":102,"result":1)"), std::string::npos)
      << first.out;

  platform::FileRegistry registry(RegistryPath());
  const std::string key = platform::kPellisetKey;
  EXPECT_EQ(platform::ReadDword(registry, key, desktop::kValuePortType), 3u);
  EXPECT_EQ(platform::ReadString(registry, key, desktop::kValuePort), "NET192.168.7.21");
  EXPECT_EQ(platform::ReadDword(registry, key, desktop::kValueBaudrate), 9200u);
  EXPECT_EQ(platform::ReadDword(registry, key, desktop::kValueDatabit), 8u);
  EXPECT_EQ(platform::ReadDword(registry, key, desktop::kValueParity), 0u);
  EXPECT_EQ(platform::ReadDword(registry, key, desktop::kValueStopbit), 0u);
  EXPECT_EQ(platform::ReadDword(registry, key, desktop::kValueFlowcontrol), 0u);
  const std::string stored = ReadAll(RegistryPath());

  const Outcome second = Run("wait dialog 102\nsnapshot\nclose\n");
  ASSERT_EQ(second.status, 0) << second.out << second.err;
  EXPECT_TRUE(ControlShows(second.out, 1006, R"({"selection":[3]})"));
  EXPECT_TRUE(ControlShows(second.out, 1074, R"({"text":"192.168.7.21","visible":true})"));
  EXPECT_TRUE(ControlShows(second.out, 1075, R"({"text":"9200"})"));
  EXPECT_EQ(ReadAll(RegistryPath()), stored);  // the window close stored nothing
}

// German from the build tree's catalog, whether or not the machine has a German locale.
TEST_F(DeskutilTest, GermanLocaleShowsTheGermanCatalogOfTheBuildTree) {
  const Outcome o = Run("wait dialog 102\nsnapshot\nclose\n", "", "de_CH.UTF-8");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find(R"("caption":"TMQ-D550 Pelliset für PC V1.0.0")"), std::string::npos)
      << o.out;
  EXPECT_TRUE(ControlShows(o.out, 1, R"({"text":"Beenden"})"));

  const Outcome english = Run("wait dialog 102\nsnapshot\nclose\n", "", "nl_NL.UTF-8");
  ASSERT_EQ(english.status, 0);
  EXPECT_TRUE(ControlShows(english.out, 1, R"({"text":"Exit"})"));
  EXPECT_EQ(english.err, "");  // Dutch has no translation, and that is not reported
}

TEST_F(DeskutilTest, OnlyHelpAndVersionAreOptions) {
  const Outcome version = Run("", "--version");
  EXPECT_EQ(version.status, 0);
  // The project version, and the git description when built from a checkout.
  EXPECT_THAT(version.out,
              ::testing::MatchesRegex("deskutil \\(Pelliset\\) 1\\.0\\.0( \\(git [^)]+\\))?\n"));
  const Outcome help = Run("", "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: deskutil", 0), 0u) << help.out;

  const Outcome bad = Run("click 1\n", "--port=COM3");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_NE(bad.err.find("unknown option '--port=COM3'"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("Usage: deskutil"), std::string::npos);
  EXPECT_FALSE(platform::FileRegistry(RegistryPath()).KeyExists(platform::kPellisetKey));
}

TEST_F(DeskutilTest, PacksFromTheCommandLineLieOverTheLanguageInOrder) {
  const std::string snapshot = "wait dialog 102\nsnapshot\nclose\n";
  const std::string service = std::string(PELLISET_SOURCE_DIR) + "/examples/service.pack";
  // The shipped service pack brings the firmware button back; a missing pack costs one line.
  const Outcome with_service = Run(snapshot, "--pack " + ShellQuote(dir.File("missing.pack")) +
                                                 " --pack " + ShellQuote(service));
  ASSERT_EQ(with_service.status, 0) << with_service.err;
  EXPECT_TRUE(ControlShows(with_service.out, 1002, R"({"enabled":true,"visible":true})"));
  EXPECT_EQ(with_service.err, "deskutil: pack '" + dir.File("missing.pack") +
                                  "' cannot be opened: No such file or directory; going on "
                                  "without it\n");

  // Later packs win, text by text and state by state, over the German pack.
  WriteFile(dir.File("a.pack"),
            "pelliset-pack 1\ncaption 102/1 = Ende A\nshow 102/1002\nenable 102/1002\n");
  WriteFile(dir.File("b.pack"), "pelliset-pack 1\ncaption 102/1 = Ende B\ndisable 102/1002\n");
  const Outcome a_b =
      Run(snapshot,
          "--pack " + ShellQuote(dir.File("a.pack")) + " --pack=" + ShellQuote(dir.File("b.pack")),
          "de_DE.UTF-8");
  ASSERT_EQ(a_b.status, 0) << a_b.err;
  EXPECT_TRUE(ControlShows(a_b.out, 1, R"({"text":"Ende B"})"));
  EXPECT_TRUE(ControlShows(a_b.out, 1002, R"({"enabled":false,"visible":true})"));
  EXPECT_NE(a_b.out.find(R"("caption":"TMQ-D550 Pelliset für PC V1.0.0")"), std::string::npos);

  const Outcome b_a = Run(snapshot, "--pack " + ShellQuote(dir.File("b.pack")) + " --pack " +
                                        ShellQuote(dir.File("a.pack")));
  ASSERT_EQ(b_a.status, 0) << b_a.err;
  EXPECT_TRUE(ControlShows(b_a.out, 1, R"({"text":"Ende A"})"));
  EXPECT_TRUE(ControlShows(b_a.out, 1002, R"({"enabled":true,"visible":true})"));
  EXPECT_EQ(b_a.err, "");
}

TEST_F(DeskutilTest, WithoutTerminalOrCommandsItSaysSoAndExits) {
  const Outcome o = Run("", "", "C", "/dev/null");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "");
  EXPECT_NE(o.err.find("deskutil: no user interface to run"), std::string::npos) << o.err;
}

}  // namespace
