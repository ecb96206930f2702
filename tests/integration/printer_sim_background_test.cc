// printer-sim --background: the command returns only once the printer listens and prints the
// process id that serves it; a port that is taken ends the command with the reason, and nothing
// is left on disk.

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <string>

#include "platform/temp_dir.h"
#include "program_run.h"
#include "sim_process.h"

namespace {

using itest::ShellQuote;
using platform_test::ReadAll;
using platform_test::TempDir;

// A socket that holds a loopback port, as another program would.
struct TakenPort {
  TakenPort() : fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address = itest::Loopback(0);
    socklen_t size = sizeof address;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::listen(fd.get(), 1) == 0 &&
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &size) == 0) {
      port = ntohs(address.sin_port);
    }
  }
  platform::UniqueFd fd;
  int port = 0;
};

itest::ProgramOutcome RunSim(const TempDir& dir, const std::string& args) {
  return itest::RunProgram(dir, itest::kSimPath, "", "--background " + args);
}

TEST(PrinterSimBackground, TakenPortEndsTheCommandWithTheReasonAndLeavesNothing) {
  const TakenPort taken;
  ASSERT_NE(taken.port, 0);
  const std::string port = std::to_string(taken.port);
  TempDir dir;
  platform_test::WriteFile(dir.File("firmware.bin"), "earlier capture");
  struct Case {
    const char* name;
    std::string args;
  };
  const Case cases[] = {
      {"one printer", "--port " + port + " --nv-dir " + ShellQuote(dir.File("nv")) + " --log " +
                          ShellQuote(dir.File("traffic.log")) + " --firmware " +
                          ShellQuote(dir.File("firmware.bin"))},
      {"a fleet", "--count 2 --port " + port + " --nv-dir " + ShellQuote(dir.File("nv")) +
                      " --state-dir " + ShellQuote(dir.File("states"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const itest::ProgramOutcome o = RunSim(dir, c.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "printer-sim: cannot bind 127.0.0.1:" + port + ": Address already in use\n");
    EXPECT_NE(::access(dir.File("nv").c_str(), F_OK), 0) << "an --nv-dir folder was left behind";
    EXPECT_NE(::access(dir.File("states").c_str(), F_OK), 0);
    EXPECT_NE(::access(dir.File("traffic.log").c_str(), F_OK), 0);
    EXPECT_EQ(ReadAll(dir.File("firmware.bin")), "earlier capture");
  }
  // Standard output is let go in the background, so a traffic log there would be lost.
  const itest::ProgramOutcome o = RunSim(dir, "--port 0 --log -");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err,
            "printer-sim: --log - writes to standard output, which --background lets go; give "
            "--log FILE\n");
}

TEST(PrinterSimBackground, PrintsTheIdOfTheProcessThatListensAndStopsByIt) {
  // The detached printer is reparented to this test, which can then wait for it.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  TempDir dir;
  const itest::ProgramOutcome o =
      RunSim(dir, "--port 0 --state " + ShellQuote(dir.File("printer.state")));
  ASSERT_EQ(o.status, 0) << o.err;
  ASSERT_FALSE(o.out.empty());
  EXPECT_EQ(o.out.find_first_not_of("0123456789"), o.out.size() - 1) << o.out;
  const pid_t pid = std::stoi(o.out);
  const std::string prefix = "printer-sim listening on 127.0.0.1:";
  ASSERT_EQ(o.err.rfind(prefix, 0), 0u) << o.err;
  const int port = std::stoi(o.err.substr(prefix.size()));
  EXPECT_NE(o.err.find("in the background as process " + o.out.substr(0, o.out.size() - 1) +
                       "; stop it with: kill " + o.out),
            std::string::npos)
      << o.err;
  EXPECT_EQ(::getsid(pid), pid) << "the printer should have a session of its own";

  // It answers at once: reading memory switch 1 of a fresh printer.
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = itest::Loopback(port);
  ASSERT_EQ(::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const std::string read_switch1("\x1D\x28\x45\x02\x00\x04\x01", 7);
  ASSERT_EQ(::send(fd.get(), read_switch1.data(), read_switch1.size(), MSG_NOSIGNAL), 7);
  std::string reply;
  for (int i = 0; i < 30 && reply.size() < 11; ++i) {
    pollfd entry{fd.get(), POLLIN, 0};
    if (::poll(&entry, 1, 100) <= 0) continue;
    char buffer[32];
    const ssize_t n = ::recv(fd.get(), buffer, sizeof buffer, 0);
    if (n <= 0) break;
    reply.append(buffer, static_cast<size_t>(n));
  }
  EXPECT_EQ(reply, std::string("7!00001100\0", 11));
  fd.Reset();

  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(::access(dir.File("printer.state").c_str(), F_OK), 0) << "the state was not saved";
}

}  // namespace
