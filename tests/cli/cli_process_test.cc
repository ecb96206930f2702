// The pelliset program against printer-sim processes over loopback TCP, and what every program's
// command line and standard streams promise a script.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>

#include "integration/sim_process.h"
#include "platform/pty.h"
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

// Runs `command` (a shell command line, `$B` the build folder) in `dir`, standard input from
// `input`; its own redirections win over the capture.
ProgramRun Shell(const platform_test::TempDir& dir, const std::string& command,
                 const std::string& input = "") {
  std::ofstream(dir.File("in"), std::ios::binary) << input;
  const std::string line = "B=" + std::string(PELLISET_BINARY_DIR) + "; (" + command + ") <" +
                           dir.File("in") + " >" + dir.File("out") + " 2>" + dir.File("err");
  const int raw = std::system(line.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, FileBytes(dir.File("out")),
          FileBytes(dir.File("err"))};
}

// Runs `program` with `args` and `input` on standard input, its standard output a pipe whose
// reader has gone already.
ProgramRun IntoClosedPipe(const platform_test::TempDir& dir, const std::string& program,
                          const std::vector<std::string>& args, const std::string& input = "") {
  std::ofstream(dir.File("in"), std::ios::binary) << input;
  int fds[2];
  if (::pipe(fds) != 0) return {};
  ::close(fds[0]);
  std::vector<std::string> argv_text = {program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string err_path = dir.File("err");
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, STDERR_FILENO);
    ::dup2(::open(dir.File("in").c_str(), O_RDONLY), STDIN_FILENO);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", FileBytes(err_path)};
}

TEST(CliProcess, StandardOutputCarriesOnlyTheDataAndItsFailuresHaveTheirOwnStatus) {
  platform_test::TempDir dir;
  itest::SimProcess sim({"--port", "0"});
  ASSERT_GT(sim.port(), 0) << sim.first_line();
  const std::string printer = "tcp://127.0.0.1:" + std::to_string(sim.port());
  // A port nothing listens on: the one just used by a printer-sim that has stopped.
  std::string refused;
  {
    itest::SimProcess gone({"--port", "0"});
    ASSERT_GT(gone.port(), 0);
    refused = "tcp://127.0.0.1:" + std::to_string(gone.port());
  }

  // A failed read leaves the backup empty and says why on standard error.
  ProgramRun run = Pelliset(dir, "-q -p " + refused + " settings get");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("PRINTER "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(refused + " failed"), std::string::npos) << run.err;

  // A reader that went away: status 3, not a word.
  run = IntoClosedPipe(dir, kPelliset, {"-q", "-p", printer, "settings", "get"});
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "");
  // A dialog program says its events were lost (it was ended by SIGPIPE, status 141, silently).
  run = IntoClosedPipe(dir, std::string(PELLISET_BINARY_DIR) + "/src/desktop/deskutil", {},
                       "snapshot\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "deskutil: the events could not be written to standard output: Broken pipe\n");
  // Any other failure is named.
  run = Shell(dir, "$B/src/cli/pelliset --help >/dev/full");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "pelliset: the output could not be written: No space left on device\n");
  // The other programs' help as well (their own statuses for an output failure).
  run = Shell(dir,
              "$B/tools/bmp2nv --help >/dev/full; echo $? >&2; "
              "$B/src/handheld/pdautil --version >/dev/full");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "bmp2nv: the output could not be written: No space left on device\n1\n"
            "pdautil: the output could not be written: No space left on device\n");
  // Started without standard output: nothing the program opens takes its number (the printer's
  // socket would have been sent the backup), and the lost output fails the run.
  run = Shell(dir, "$B/src/cli/pelliset -q -p " + printer + " logo list >&-");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "pelliset: the output could not be written: Bad file descriptor\n");
  run = Shell(dir, "$B/src/desktop/deskutil >&-", "snapshot\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "deskutil: the events could not be written to standard output: Bad file descriptor\n");
}

// While the input is still being read no printer has been contacted: Ctrl-C ends the run at once
// rather than after the script feeding it has finished.
TEST(CliProcess, CtrlCWhileTheInputIsReadEndsTheRunAtOnce) {
  platform_test::TempDir dir;
  const auto start = std::chrono::steady_clock::now();
  const ProgramRun run = Shell(dir, "cd " + dir.path() +
                                        " && mkfifo feed && { (exec 3>feed; exec sleep 6) & "
                                        "timeout --preserve-status -s INT 0.5 $B/src/cli/pelliset "
                                        "--printers - identify <feed; echo status $?; }");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_EQ(run.out, "status 130\n") << run.err;
}

TEST(CliProcess, EveryProgramReadsOptionsTheSameWay) {
  platform_test::TempDir dir;
  itest::SimProcess sim({"--port=0", "--generation=old"});
  ASSERT_GT(sim.port(), 0) << sim.first_line();
  const std::string printer = "tcp://127.0.0.1:" + std::to_string(sim.port());
  const std::string pelliset = "$B/src/cli/pelliset -q ";

  // printer-sim took --port=0 and --generation=old; pelliset its printers file from standard
  // input.
  ProgramRun run = Shell(dir, pelliset + "--printers - --jobs=2 identify --json", printer + "\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"generation\":\"older\""), std::string::npos) << run.out;
  // A settings file from standard input, the printer after '='.
  run = Shell(dir, pelliset + "--printer=" + printer + " settings set --dry-run -",
              "print.density = 120%\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("    print.density: 100% -> 120%\n"), std::string::npos) << run.out;
  // Standard input is read once.
  run = Shell(dir, pelliset + "--printers - settings set -", printer + "\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "pelliset: standard input (\"-\") can be read only once\n");
  // After --, "--dry-run" is the settings file's name.
  run = Shell(dir, pelliset + "-p " + printer + " settings set -- --dry-run");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "pelliset: --dry-run: no such file\n");

  // bmp2nv: values after '=' or a blank, an input named like an option after --.
  std::filesystem::copy_file(std::string(PELLISET_SOURCE_DIR) + "/examples/logo.bmp",
                             dir.File("-logo.bmp"));
  run = Shell(dir, "cd " + dir.File("") +
                       " && $B/tools/bmp2nv --key=AB --brightness 0 -o nv.bin -- -logo.bmp");
  EXPECT_EQ(run.status, 0) << run.err;
  // GS ( L with the key code after the function bytes: 1D 28 4C pL pH 30 43 30 'A' 'B'.
  EXPECT_EQ(FileBytes(dir.File("nv.bin")).substr(5, 5), "0C0AB");
  // Binary output is refused on a terminal, as a usage error.
  platform_test::Pty terminal;
  ASSERT_TRUE(terminal.ok());
  run = Shell(dir, "$B/tools/bmp2nv " + dir.File("-logo.bmp") + " >" + terminal.slave_path());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("will not write binary data to a terminal"), std::string::npos) << run.err;
  // An empty output name is no standard output.
  run = Shell(dir, "$B/tools/bmp2nv -o '' " + dir.File("-logo.bmp") + " >" + dir.File("out"));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("--output needs a file name"), std::string::npos) << run.err;

  // The dialog programs: -- ends their options too, and a value option says what it lacks.
  for (const char* program : {"src/desktop/deskutil", "src/handheld/pdautil"}) {
    SCOPED_TRACE(program);
    run = Shell(dir, std::string("$B/") + program + " -- --version");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unexpected argument '--version'"), std::string::npos) << run.err;
    run = Shell(dir, std::string("$B/") + program + " --gui=yes");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("option '--gui' takes no value"), std::string::npos) << run.err;
  }
  run = Shell(dir, "$B/src/desktop/deskutil --terminal --pack");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("deskutil: option '--pack' needs a value"), std::string::npos) << run.err;
  run = Shell(dir, "$B/tools/printer-sim --port=0 extra");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "printer-sim: unexpected argument 'extra' (see --help)\n");
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

  // A backup kept elsewhere behind a link is written there, the link kept.
  const std::string first_name =
      dir.File("backup/tcp___127.0.0.1_" + std::to_string(sim->port()) + ".ini");
  ASSERT_EQ(::mkdir(dir.File("backup").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("../elsewhere.ini", first_name.c_str()), 0);
  run = Pelliset(
      dir, "--printers " + dir.File("printers") + " settings get --output " + dir.File("backup"));
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string first = FileBytes(dir.File("elsewhere.ini"));
  EXPECT_NE(first.find("\nprint.density = 100%\n"), std::string::npos) << first;
  struct stat link {};
  ASSERT_EQ(::lstat(first_name.c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
}

// The program through the system's name for this machine, and over IPv6 loopback.
TEST(CliProcess, ReachesPrintersByHostNameAndOverIpv6) {
  platform_test::TempDir dir;
  itest::SimProcess v4({"--port", "0"});
  ASSERT_GT(v4.port(), 0) << v4.first_line();
  ProgramRun run = Pelliset(dir, "-p tcp://localhost:" + std::to_string(v4.port()) + " identify");
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("TMQ-D550"), std::string::npos) << run.out;

  itest::SimProcess v6({"--bind", "::1", "--port", "0"});
  if (v6.port() <= 0) GTEST_SKIP() << "no IPv6 loopback: " << v6.first_line();
  EXPECT_EQ(v6.first_line(), "printer-sim listening on [::1]:" + std::to_string(v6.port()));
  const std::string printer = "tcp://[::1]:" + std::to_string(v6.port());
  run = Pelliset(dir, "--json -p " + printer + " identify");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out)["maker"], "KORVANE") << run.out;
}

}  // namespace
