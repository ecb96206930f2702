// The settings transfer dialog against a printer-sim process over loopback TCP, in real time:
// read everything, change it, write it back, and find the new values in the simulator's saved
// state. Also measures how long a read-all and a write-all take against the pauses the protocol
// prescribes.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/system/clock.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "settings/dialogs/vmsm_pro_dlg.h"
#include "settings/vmsm_strings.h"
#include "sim/printer_state.h"
#include "sim/state_file.h"
#include "sim_process.h"
#include "ui/core/loop_host.h"

namespace {

// A clock that keeps the sum of every pause asked of it.
class CountingClock : public platform::Clock {
 public:
  uint32_t TickCount() override { return real_.TickCount(); }
  void Sleep(uint32_t ms) override {
    slept_ms_ += ms;
    real_.Sleep(ms);
  }
  uint64_t SleptMs() const { return slept_ms_; }
  void Reset() { slept_ms_ = 0; }

 private:
  platform::RealClock real_;
  uint64_t slept_ms_ = 0;
};

// Runs dialogs in real time with nobody at the keyboard: the loop only waits for timers.
class RealTimeTestHost : public ui::LoopHost {
 public:
  RealTimeTestHost(platform::Clock& clock, ui::Resources resources)
      : ui::LoopHost(clock, std::move(resources)), clock_(clock) {}

 protected:
  FetchStatus Fetch(uint32_t timeout_ms, ui::Command* /*command*/) override {
    if (timeout_ms == kForever) return FetchStatus::kEnd;
    clock_.Sleep(timeout_ms);
    return FetchStatus::kTimeout;
  }
  void Emit(const ui::Event& /*event*/) override {}

 private:
  platform::Clock& clock_;
};

ui::Resources TransferResources() {
  ui::StringTable table;
  settings::AddTransferStrings(table);
  return ui::Resources(std::move(table), "Pelliset");
}

std::string FileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The pauses the protocol prescribes, with every reply taken by its first read. Per exchange the
// link waits 10 ms after each write and each read, and the collection patterns of the switch,
// serial, tear-off, sentinel and radio queries add 10 ms after each of their reads.
struct Prescribed {
  uint64_t timer_gaps = 0, advance = 0, fixed = 0, op_pauses = 0, paces = 0;
  uint64_t Total() const { return timer_gaps + advance + fixed + op_pauses + paces; }
  std::string Text() const {
    return "gaps " + std::to_string(timer_gaps) + " + progress " + std::to_string(advance) +
           " + fixed " + std::to_string(fixed) + " + operation pauses " +
           std::to_string(op_pauses) + " + 10 ms paces " + std::to_string(paces) + " = " +
           std::to_string(Total()) + " ms";
  }
};

// Read-all on the newer firmware: events 1000, 101, 9999; the bar reaches 100 with Advance's
// 2 ms steps; 500 ms before the switches; 8 switches, tear-off and 4 serial items at 150 ms,
// 3 sentinels and the radio at 10 ms, 4 Bluetooth items at 100 ms.
Prescribed ReadAllPauses() {
  Prescribed p;
  p.timer_gaps = 3 * 100;
  p.advance = 100 * 2;
  p.fixed = 500;
  p.op_pauses = 8 * 150 + 150 + 4 * 150 + 3 * 10 + 10 + 4 * 100;
  const uint64_t writes = 2 + 8 + 1 + 4 + 3 + 1 + 4;
  const uint64_t link_reads = 2 + 8 + 1 + 4 + 3 + 1 + 4;
  const uint64_t pattern_reads = 8 + 1 + 4 + 3 + 1;
  p.paces = 10 * (writes + link_reads + pattern_reads);
  return p;
}

// Write-all on the newer firmware with Bluetooth: events 2000, 102, 9999 (the 1000 ms closing
// gap passes inside the Bluetooth settling steps); progress 5 + 76 steps of 2 ms, then 19 of the
// 20 settling steps of 200 ms until the bar is full; 8 switch writes with 500 ms between their
// halves, 500 ms after the tear-off, 150 ms before the setting-mode acknowledgement.
Prescribed WriteAllPauses(size_t nonempty_start_sentinels) {
  Prescribed p;
  p.timer_gaps = 2 * 100;
  p.advance = (5 + 76) * 2 + 19 * 200;
  p.fixed = 0;
  p.op_pauses = 8 * 500 + 500 + 150;
  const uint64_t writes = 1 + 8 * 2 + 4 * 2 + 1 + (3 * 3 + nonempty_start_sentinels) + 2 + 1 + 1;
  const uint64_t link_reads = 1;  // the setting-mode acknowledgement
  p.paces = 10 * (writes + link_reads);
  return p;
}

TEST(TransferLoopbackTest, ReadChangeWriteAndTheSimulatorKeepsTheNewValues) {
  const itest::TempStatePath state_file("transfer");
  const std::string& state = state_file.path();
  itest::SimProcess sim({"--port", "0", "--state", state});
  ASSERT_GT(sim.port(), 0) << sim.first_line();

  CountingClock clock;
  platform::RealClock device_clock;  // the devices' waits are real; the counted pauses are not
  platform::PosixDeviceFactory devices(device_clock);
  platform::MemoryRegistry registry;
  platform::NullTrace trace;
  platform::Services services{clock, devices, registry, trace};
  protocol::CCommonUtil util(services);
  util.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp,
                        .port_name = "NET127.0.0.1",
                        .tcp_port = static_cast<uint32_t>(sim.port())});
  protocol::CCommonVmsm vmsm(&util, clock);
  RealTimeTestHost host(clock, TransferResources());

  // Read all.
  clock.Reset();
  auto start = std::chrono::steady_clock::now();
  settings::CVmsmProDlg read(settings::CVmsmProDlg::kModeReadAll, &vmsm);
  ASSERT_EQ(read.DoModal(host), ui::IDOK) << read.message();
  const auto read_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  const uint64_t read_slept = clock.SleptMs();
  EXPECT_EQ(util.identity().firmware_version, 160902u);
  EXPECT_EQ(vmsm.settings().BtName, "TMQ-D550");
  EXPECT_EQ(vmsm.settings().SentinelStart[0], "START1");

  // Change, write all.
  vmsm.settings().Density = 6;
  vmsm.settings().CodePage = 17;
  vmsm.settings().TimeSave = 42;
  vmsm.settings().Baudrate = 19200;
  vmsm.settings().CuttingPosition = 321;
  vmsm.settings().SentinelStart[1] = "%B";
  vmsm.settings().BtName = "Loopback";
  vmsm.settings().BtPin = "2468";
  size_t nonempty_starts = 0;
  for (const std::string& s : vmsm.settings().SentinelStart) nonempty_starts += s.empty() ? 0 : 1;
  clock.Reset();
  start = std::chrono::steady_clock::now();
  settings::CVmsmProDlg write(settings::CVmsmProDlg::kModeWriteAll, &vmsm);
  ASSERT_EQ(write.DoModal(host), ui::IDOK) << write.message();
  const auto write_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
  const uint64_t write_slept = clock.SleptMs();
  util.dev().Close();
  ASSERT_EQ(sim.Stop(), 0);

  sim::PrinterState saved;
  std::string error;
  ASSERT_TRUE(sim::StateFromText(FileText(state), saved, &error)) << error;
  EXPECT_EQ(saved.switches.at(1) & 0x07, 6);
  EXPECT_EQ(saved.switches.at(2), 17 << 3);
  EXPECT_EQ(saved.switches.at(6), 42);
  EXPECT_EQ(saved.serial[0], "19200");
  EXPECT_EQ(saved.tear_off, 321);
  EXPECT_EQ(saved.sentinel_start[1], "%B");
  EXPECT_EQ(saved.bt_name, "Loopback");
  EXPECT_EQ(saved.bt_pin, "2468");
  EXPECT_FALSE(saved.setting_mode);

  const Prescribed read_pauses = ReadAllPauses();
  const Prescribed write_pauses = WriteAllPauses(nonempty_starts);
  std::cout << "read-all:  measured " << read_ms << " ms; pauses asked of the clock " << read_slept
            << " ms; prescribed " << read_pauses.Text() << "\n";
  std::cout << "write-all: measured " << write_ms << " ms; pauses asked of the clock "
            << write_slept << " ms; prescribed " << write_pauses.Text() << "\n";
  ::testing::Test::RecordProperty("read_all_ms", static_cast<int>(read_ms));
  ::testing::Test::RecordProperty("read_all_prescribed_ms", static_cast<int>(read_pauses.Total()));
  ::testing::Test::RecordProperty("write_all_ms", static_cast<int>(write_ms));
  ::testing::Test::RecordProperty("write_all_prescribed_ms",
                                  static_cast<int>(write_pauses.Total()));
  // The pauses are a floor; a loaded machine may add to them but never take away.
  EXPECT_GE(static_cast<uint64_t>(read_ms), read_pauses.Total());
  EXPECT_GE(static_cast<uint64_t>(write_ms), write_pauses.Total());
  EXPECT_LT(static_cast<uint64_t>(read_ms), read_pauses.Total() + 3000);
  EXPECT_LT(static_cast<uint64_t>(write_ms), write_pauses.Total() + 3000);
}

}  // namespace
