// A fleet run: table lines in list order and the summary after them, the per-printer time limit,
// an interrupt that leaves no printer in setting mode, and fewer printers at once where the
// system allows fewer.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/fleet_limits.h"
#include "cli_rig.h"
#include "platform/temp_dir.h"

namespace {

using clitest::CliRig;

constexpr uint8_t kPrintSwitch = 1;
constexpr uint8_t kDensity100 = 0b00001100;
constexpr uint8_t kDensity150 = 0b00000011;

std::string Address(int i) { return "tcp://127.0.0." + std::to_string(i) + ":9100"; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CliFleet, TableFollowsTheListAndTheSummaryCountsEveryPrinter) {
  CliRig rig;
  // --full: the whole record read and written, a long job for the delay to add up over.
  std::vector<std::string> args = {"settings", "set", "--full", "print.density=150%"};
  for (int i = 1; i <= 4; ++i) args.insert(args.end(), {"-p", Address(i)});
  for (int i : {1, 4}) rig.Printer(Address(i)).model.state().switches[kPrintSwitch] = kDensity100;
  rig.Printer(Address(1)).model.faults().extra_delay_ms = 300;  // the slowest by far
  rig.Printer(Address(2)).model.state().switches[kPrintSwitch] = kDensity150;
  rig.Printer(Address(3)).model.faults().silent = true;
  // The first printer starts late, so it finishes last: its line must still come first.
  rig.before_start = [](const std::string& address) {
    if (address == Address(1)) std::this_thread::sleep_for(std::chrono::milliseconds(300));
  };
  args.push_back("--dry-run");
  EXPECT_EQ(rig.Run(args), 1);
  EXPECT_EQ(rig.err().rfind("pelliset: 3 ok (2 would change, 1 unchanged), 1 failed", 0), 0u)
      << rig.err();
  args.pop_back();

  EXPECT_EQ(rig.Run(args), 1);
  const std::vector<std::string> lines = Lines(rig.out());
  // The header, 4 printers, the change under each of the two that changed.
  ASSERT_EQ(lines.size(), 7u) << rig.out();
  EXPECT_EQ(lines[1].rfind(Address(1) + " ok", 0), 0u) << rig.out();
  EXPECT_EQ(lines[2], "    print.density: 100% -> 150%") << rig.out();
  EXPECT_EQ(lines[3].rfind(Address(2) + " ok", 0), 0u) << rig.out();
  EXPECT_EQ(lines[4].rfind(Address(3) + " failed", 0), 0u) << rig.out();
  EXPECT_EQ(lines[5].rfind(Address(4) + " ok", 0), 0u) << rig.out();
  EXPECT_EQ(
      rig.err().rfind(
          "pelliset: 3 ok (2 changed, 1 unchanged), 1 failed; slowest: " + Address(1) + " ", 0),
      0u)
      << rig.err();

  args.insert(args.end(), {"--json", "--summary"});
  EXPECT_EQ(rig.Run(args), 1);
  const std::vector<std::string> json = Lines(rig.out());
  ASSERT_EQ(json.size(), 5u) << rig.out();
  const nlohmann::json summary = nlohmann::json::parse(json.back())["summary"];
  EXPECT_EQ(summary["printers"], 4);
  EXPECT_EQ(summary["ok"], 3);
  EXPECT_EQ(summary["changed"], 0);  // the second run finds every reachable printer at 150%
  EXPECT_EQ(summary["would_change"], 0);
  EXPECT_EQ(summary["unchanged"], 3);
  EXPECT_EQ(summary["failed"], 1);
  EXPECT_EQ(summary["not_run"], 0);
  ASSERT_EQ(summary["slowest"].size(), 3u);
  EXPECT_EQ(summary["slowest"][0]["address"], Address(1));
  EXPECT_GT(summary["slowest"][0]["seconds"], summary["slowest"][1]["seconds"]);
  EXPECT_EQ(rig.Run({"--summary", "-p", Address(4), "identify"}), 2);
}

TEST(CliFleet, APrinterPastItsTimeLimitFailsAndLeavesSettingModeWhileTheOthersFinish) {
  CliRig rig;
  fakes::SimServices& slow = rig.Printer(Address(1));
  slow.model.faults().extra_delay_ms = 600;
  rig.Printer(Address(2));
  EXPECT_EQ(rig.Run({"--json", "--timeout", "17.5", "-p", Address(1), "-p", Address(2), "settings",
                     "set", "--full", "print.density=150%"}),
            1);
  const std::vector<std::string> lines = Lines(rig.out());
  ASSERT_EQ(lines.size(), 2u) << rig.out();
  for (const std::string& text : lines) {
    const nlohmann::json line = nlohmann::json::parse(text);
    SCOPED_TRACE(text);
    if (line["address"] == Address(2)) {
      EXPECT_EQ(line["result"], "ok");
      continue;
    }
    EXPECT_EQ(line["result"], "failed");
    const std::string message = line["message"];
    EXPECT_EQ(message.rfind("no result within 17.5 s (--timeout)", 0), 0u);
    // Stopped between steps: past the limit by one step at most, never by the rest of the work.
    EXPECT_GE(line["duration"], 17.5);
    EXPECT_LT(line["duration"], 17.5 + 3.0);
  }
  EXPECT_FALSE(slow.model.state().setting_mode);
  EXPECT_EQ(slow.devices.line().open_transports, 0);
}

// Ctrl-C while the first printer is in setting mode; one printer at a time, so two wait.
TEST(CliFleet, AnInterruptLeavesSettingModeAndRunsNoMorePrinters) {
  CliRig rig;
  fakes::SimServices& first = rig.Printer(Address(1));
  first.model.state().switches[kPrintSwitch] = kDensity100;
  struct Watch : platform::IdleHook {
    fakes::SimServices* printer;
    std::atomic<bool>* interrupted;
    void OnIdle() override {
      if (printer->model.state().setting_mode) interrupted->store(true);
    }
  } watch;
  watch.printer = &first;
  watch.interrupted = &rig.interrupted;
  first.clock.SetIdleHook(&watch);
  rig.Printer(Address(2));
  rig.Printer(Address(3));
  EXPECT_EQ(rig.Run({"-j", "1", "-p", Address(1), "-p", Address(2), "-p", Address(3), "settings",
                     "set", "print.density=150%"}),
            130);
  first.clock.SetIdleHook(nullptr);

  EXPECT_FALSE(first.model.state().setting_mode);
  EXPECT_EQ(first.model.state().switches[kPrintSwitch], kDensity100) << "nothing was written";
  EXPECT_TRUE(rig.Received(Address(2)).empty());
  EXPECT_TRUE(rig.Received(Address(3)).empty());
  const std::vector<std::string> lines = Lines(rig.out());
  ASSERT_EQ(lines.size(), 6u) << rig.out();
  EXPECT_EQ(lines[1].rfind(Address(1) + " interrupted", 0), 0u) << rig.out();
  EXPECT_NE(lines[1].find("told to leave setting mode"), std::string::npos) << rig.out();
  EXPECT_EQ(lines[2], "    was to change:");
  EXPECT_EQ(lines[3], "    print.density: 100% -> 150%");
  EXPECT_EQ(lines[4].rfind(Address(2) + " not run", 0), 0u) << rig.out();
  EXPECT_EQ(lines[4].substr(0, 37), Address(2) + " not run      no ") << rig.out();
  EXPECT_EQ(lines[5].rfind(Address(3) + " not run", 0), 0u) << rig.out();
  EXPECT_EQ(
      rig.err().rfind(
          "pelliset: 0 ok, 0 failed, 1 interrupted, 2 not run; slowest: " + Address(1) + " ", 0),
      0u)
      << rig.err();
}

// Ctrl-C after setting mode was left, while the Bluetooth name goes out: what was written stays.
TEST(CliFleet, AnInterruptAfterSettingModeWasLeftSaysWhatWasKept) {
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(Address(1));
  struct Watch : platform::IdleHook {
    fakes::SimServices* printer;
    std::atomic<bool>* interrupted;
    bool entered = false;
    void OnIdle() override {
      if (printer->model.state().setting_mode) entered = true;
      if (entered && !printer->model.state().setting_mode) interrupted->store(true);
    }
  } watch;
  watch.printer = &printer;
  watch.interrupted = &rig.interrupted;
  printer.clock.SetIdleHook(&watch);
  EXPECT_EQ(rig.Run({"--json", "-p", Address(1), "settings", "set", "power.off_minutes=30",
                     "bluetooth.name=Till 9"}),
            130);
  printer.clock.SetIdleHook(nullptr);
  const nlohmann::json line = nlohmann::json::parse(Lines(rig.out()).at(0));
  EXPECT_EQ(line["result"], "interrupted") << line;
  EXPECT_NE(line["message"].get<std::string>().find("keeping what was written in it"),
            std::string::npos)
      << line;
}

// Ctrl-C at the printer's first wait.
struct PressCtrlC : platform::IdleHook {
  explicit PressCtrlC(std::atomic<bool>* flag) : interrupted(flag) {}
  void OnIdle() override { interrupted->store(true); }
  std::atomic<bool>* interrupted;
};

// Ctrl-C while a silent printer is waited for: the wait fails, and the failure is the interrupt's.
TEST(CliFleet, AnInterruptDuringAReplyWaitIsReportedAsTheInterrupt) {
  CliRig rig;
  fakes::SimServices& silent = rig.Printer(Address(1));
  silent.model.faults().silent = true;
  PressCtrlC press{&rig.interrupted};
  silent.clock.SetIdleHook(&press);
  EXPECT_EQ(rig.Run({"--json", "-p", Address(1), "identify"}), 130);
  silent.clock.SetIdleHook(nullptr);
  const nlohmann::json line = nlohmann::json::parse(Lines(rig.out()).at(0));
  EXPECT_EQ(line["result"], "interrupted") << line;
  // The wait was cut short: no word of a printer that did not answer.
  EXPECT_EQ(line["message"], "interrupted") << line;
  EXPECT_LT(line["duration"], 1.0) << "the wait ended at the interrupt, not after its 6 s";
}

// A firmware download is sent to its end whatever Ctrl-C says, so a failure of its own is
// reported as the failure it is, not as the interrupt's.
TEST(CliFleet, AFirmwareSendThatFailsAfterAnInterruptIsAFailure) {
  platform_test::TempDir dir;
  const std::string file = dir.File("update.fls");
  std::string content;  // what the virtual printer takes in, 99,999 bytes: "GS I Z", ignored
  for (int i = 0; i < 33333; ++i) content += "\x1dIZ";
  std::ofstream(file, std::ios::binary) << content;
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(Address(1));
  printer.model.faults().drop_after_bytes = 20000;
  PressCtrlC press{&rig.interrupted};
  printer.clock.SetIdleHook(&press);
  EXPECT_EQ(rig.Run({"--json", "-p", Address(1), "firmware", file, "--yes"}), 1);
  printer.clock.SetIdleHook(nullptr);
  const nlohmann::json line = nlohmann::json::parse(Lines(rig.out()).at(0));
  EXPECT_EQ(line["result"], "failed") << line;
  EXPECT_EQ(line["message"].get<std::string>().rfind("Error : Send Failed!", 0), 0u) << line;
}

// A printer that closes the connection inside the first piece still lets the last one through:
// the download must not be reported done.
TEST(CliFleet, AFirmwareSendIntoAClosedConnectionIsAFailure) {
  platform_test::TempDir dir;
  const std::string file = dir.File("update.fls");
  std::string content;  // 4,098 bytes: one piece and two bytes more
  for (int i = 0; i < 1366; ++i) content += "\x1dIZ";
  std::ofstream(file, std::ios::binary) << content;
  CliRig rig;
  rig.Printer(Address(1)).model.faults().drop_after_bytes = 1000;
  EXPECT_EQ(rig.Run({"--json", "-p", Address(1), "firmware", file, "--yes"}), 1);
  const nlohmann::json line = nlohmann::json::parse(Lines(rig.out()).at(0));
  EXPECT_EQ(line["result"], "failed") << line;
  EXPECT_EQ(line["message"].get<std::string>().rfind("Error : Send Failed!", 0), 0u) << line;
}

TEST(FleetLimits, FewerAtOnceWithANoticeWhereTheSystemAllowsFewer) {
  const uint64_t gib = uint64_t{1} << 30;
  struct Case {
    const char* name;
    size_t printers;
    size_t host_names;
    std::optional<size_t> jobs;
    cli::SystemLimits limits;
    size_t expected_jobs;
    std::string notice;
  };
  const Case cases[] = {
      {"every printer at once",
       10000,
       0,
       std::nullopt,
       {65536, 65536, 5, 50000, 16 * gib},
       10000,
       ""},
      {"-j chooses fewer", 10000, 10000, 100, {1024, 1024, 5, 50000, 16 * gib}, 100, ""},
      {"open files: a file a printer, two a loop (eight CPUs)",
       10000,
       0,
       std::nullopt,
       {1024, 16384, 4, 50000, 16 * gib, 8},
       972,
       "working 972 printers at a time, not 10000: that many need about 10052 open files and the "
       "system allows this program 1024; raise it with `ulimit -n 10052`, or choose fewer with -j"},
      {"open files: names to look up take more",
       10000,
       10,
       std::nullopt,
       {1024, 4096, 4, 50000, 16 * gib},
       956,
       "working 956 printers at a time, not 10000: that many need about 10068 open files and the "
       "system allows this program 1024; raise it with `ulimit -n 10068` (above the hard limit "
       "of 4096, which an administrator sets), or choose fewer with -j"},
      {"memory maps, less what the loops may map besides",
       5000,
       0,
       std::nullopt,
       {65536, 65536, 4, 3000, 16 * gib},
       2936,
       "working 2936 printers at a time, not 5000: that many need a stack each and the system's "
       "memory maps allow 3000 more (vm.max_map_count), or choose fewer with -j"},
      {"memory",
       5000,
       0,
       std::nullopt,
       {65536, 65536, 4, 50000, gib / 2},
       2048,
       "working 2048 printers at a time, not 5000: that many need about 1250 MiB of memory and "
       "512 MiB are available, or choose fewer with -j"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const cli::Concurrency chosen =
        cli::ChooseConcurrency(c.printers, c.host_names, c.jobs, c.limits);
    EXPECT_EQ(chosen.jobs, c.expected_jobs);
    EXPECT_EQ(chosen.notice, c.notice);
  }
}

}  // namespace
