// Every step of the transfer that can fail, failed on the wire one at a time: the run ends with
// Cancel, the step's own message, and nothing after it.

#include <gtest/gtest.h>

#include "transfer_fixture.h"

namespace transfer_test {
namespace {

constexpr int kAny = -1;
// The second line under each step's own message: the cause the link saw.
constexpr char kRefused[] =
    "\n127.0.0.1:9100: connection refused; check the port number (most printers use 9100)";
constexpr char kBrokenWrite[] =
    "\n127.0.0.1:9100: input/output error; check the cable and the printer";
constexpr char kSilence[] =
    "\nno answer from the printer at 127.0.0.1:9100; check that it is switched on and set to "
    "this interface, and that no other program is using it";

struct FailRow {
  const char* step;
  WritePattern write;  // empty head: the link will not open
  const char* message;
};

std::vector<uint8_t> Literal(const WritePattern& p) {
  std::vector<uint8_t> bytes;
  for (int b : p.head) {
    if (b < 0) return {};
    bytes.push_back(static_cast<uint8_t>(b));
  }
  return p.length == 0 ? bytes : std::vector<uint8_t>{};
}

const std::vector<FailRow>& ReadRows() {
  static const std::vector<FailRow> rows = {
      {"open", {}, "Port open error!"},
      {"model", {{0x1D, 0x49, 0x43}}, "Printer model is not matched!"},
      {"version", {{0x1D, 0x49, 0x41}}, "Failed to get printer version!"},
      {"switch 1", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 1}}, "Failed to read SW1 data!"},
      {"switch 2", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 2}}, "Failed to read SW2 data!"},
      {"switch 3", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 3}}, "Failed to read SW3 data!"},
      {"switch 5", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 5}}, "Failed to read SW5 data!"},
      {"switch 6", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 6}}, "Failed to read SW6 data!"},
      {"switch 7", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 7}}, "Failed to read SW7 data!"},
      {"switch 8", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 8}}, "Failed to read SW8 data!"},
      {"switch 116", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 116}}, "Failed to read SW116 data!"},
      {"tear-off",
       {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x21, 0x00}},
       "Failed to get tear off position!"},
      {"serial 1", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x0C, 1}}, "Failed to read IFSW1 data!"},
      {"serial 2", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x0C, 2}}, "Failed to read IFSW2 data!"},
      {"serial 3", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x0C, 3}}, "Failed to read IFSW3 data!"},
      {"serial 4", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x0C, 4}}, "Failed to read IFSW4 data!"},
      {"track 1",
       {{0x08, 0x4D, 0x53, 0x02, 0x00, 0x34, 0x31}},
       "Failed to read track1 sentinal code!"},
      {"track 2",
       {{0x08, 0x4D, 0x53, 0x02, 0x00, 0x34, 0x32}},
       "Failed to read track2 sentinal code!"},
      {"track 3",
       {{0x08, 0x4D, 0x53, 0x02, 0x00, 0x34, 0x33}},
       "Failed to read track3 sentinal code!"},
      {"radio", {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 'P'}}, "Failed to read RF Interface!"},
      {"bt c", {{0x1F, 0x1F, 0x69, 'c'}}, "Failed to read Bluetooth connection mode!"},
      {"bt d", {{0x1F, 0x1F, 0x69, 'd'}}, "Failed to read Bluetooth device name!"},
      {"bt k", {{0x1F, 0x1F, 0x69, 'k'}}, "Failed to read Bluetooth PIN code!"},
      {"bt s", {{0x1F, 0x1F, 0x69, 's'}}, "Failed to read Bluetooth encryption infomation!"},
  };
  return rows;
}

const std::vector<FailRow>& WriteRows() {
  static const std::vector<FailRow> rows = {
      {"open", {}, "Port open error!"},
      {"init", {{0x1D, 0x28, 0x45, 0x03, 0x00, 0x01, 'I', 'N'}}, "Failed to set initial command!"},
      {"switch 1", {{1}, 9}, "Failed to read MSW1 data!"},
      {"switch 2", {{2}, 9}, "Failed to read MSW2 data!"},
      {"switch 3", {{3}, 9}, "Failed to read MSW3 data!"},
      {"switch 5", {{5}, 9}, "Failed to read MSW5 data!"},
      {"switch 6", {{6}, 9}, "Failed to read MSW6 data!"},
      {"switch 7", {{7}, 9}, "Failed to read MSW7 data!"},
      {"switch 8", {{8}, 9}, "Failed to read MSW8 data!"},
      {"switch 116", {{116}, 9}, "Failed to read MSW116 data!"},
      {"serial 1", {{0x1D, 0x28, 0x45, kAny, 0x00, 0x0B, 1}}, "Failed to read IFSW1 data!"},
      {"serial 2", {{0x1D, 0x28, 0x45, kAny, 0x00, 0x0B, 2}}, "Failed to read IFSW2 data!"},
      {"serial 3", {{0x1D, 0x28, 0x45, kAny, 0x00, 0x0B, 3}}, "Failed to read IFSW3 data!"},
      {"serial 4", {{0x1D, 0x28, 0x45, kAny, 0x00, 0x0B, 4}}, "Failed to read IFSW4 data!"},
      {"tear-off",
       {{0x1D, 0x28, 0x45, 0x04, 0x00, 0x20, 0x00}},
       "Failed to get tear off position!"},
      {"track 1",
       {{0x08, 0x4D, 0x53, kAny, 0x00, 0x32, 0x31}},
       "Failed to set sentinal character of track1!"},
      {"track 2",
       {{0x08, 0x4D, 0x53, kAny, 0x00, 0x32, 0x32}},
       "Failed to set sentinal character of track2!"},
      {"track 3",
       {{0x08, 0x4D, 0x53, kAny, 0x00, 0x32, 0x33}},
       "Failed to set sentinal character of track3!"},
      {"radio", {{'P'}, 9}, "Failed to set RF Interface!"},
      {"end",
       {{0x1D, 0x28, 0x45, 0x04, 0x00, 0x02, 'O', 'U', 'T'}},
       "Failed to write setting end command!"},
      {"bluetooth", {{0x1F, 0x1F, 0x70}}, "Failed to set Bluetooth infomation!"},
  };
  return rows;
}

class TransferFailureTest : public TransferFixture {
 protected:
  // Arms the row's fault on a closed link (the open fault) or on the next matching write.
  void Arm(const FailRow& row) {
    fault_ = WireFault{};
    if (row.write.head.empty()) {
      util_.dev().Close();
      factory_.line().open_fails = true;
    } else {
      fault_.fail_write = row.write;
    }
  }
  void Disarm() {
    factory_.line().open_fails = false;
    fault_.fail_write.reset();
  }
  void ExpectStoppedAt(const FailRow& row, const std::vector<int>& events) {
    EXPECT_EQ(last_->message(),
              std::string(row.message) + (row.write.head.empty() ? kRefused : kBrokenWrite));
    EXPECT_EQ(last_->Events(), events);
    EXPECT_EQ(fault_.fired, row.write.head.empty() ? 0 : 1);
    EXPECT_EQ(host_.TimerCount(), 0u);
  }
};

TEST_F(TransferFailureTest, EveryReadStepMapsToItsOwnMessageAndStopsTheRun) {
  const auto& rows = ReadRows();
  for (size_t k = 0; k < rows.size(); ++k) {
    const FailRow& row = rows[k];
    SCOPED_TRACE(row.step);
    util_.dev().Close();
    factory_.line().sent.clear();
    Arm(row);
    EXPECT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDCANCEL);
    Disarm();
    ExpectStoppedAt(row, k < 3 ? std::vector<int>{1000} : std::vector<int>{1000, 101});
    // The next step was never sent.
    if (k + 1 < rows.size()) {
      EXPECT_EQ(Occurrences(Sent(), Literal(rows[k + 1].write)), 0);
    }
  }
}

TEST_F(TransferFailureTest, EveryWriteStepMapsToItsOwnMessageAndStopsTheRun) {
  const auto& rows = WriteRows();
  for (const FailRow& row : rows) {
    SCOPED_TRACE(row.step);
    util_.dev().Close();
    ReadAll();
    Arm(row);
    EXPECT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDCANCEL);
    Disarm();
    ExpectStoppedAt(row,
                    row.write.head.empty() ? std::vector<int>{2000} : std::vector<int>{2000, 102});
    // Nothing is rolled back and nothing more is tried: the end of setting mode only goes out
    // when every earlier step succeeded.
    const bool reached_end = std::string(row.step) == "bluetooth";
    EXPECT_EQ(Occurrences(Sent(), {0x1D, 0x28, 0x45, 0x04, 0x00, 0x02, 'O', 'U', 'T'}),
              reached_end ? 1 : 0);
  }
}

TEST_F(TransferFailureTest, FactoryDefaultFailuresHaveTheirMessages) {
  const FailRow rows[] = {
      {"open", {}, "Port open error!"},
      {"block",
       {{0x1D, 0x28, 0x45, 0x03, 0x00, 0x01, 'I', 'N'}, 250},
       "Failed to set factory default!"},
  };
  for (const FailRow& row : rows) {
    SCOPED_TRACE(row.step);
    util_.dev().Close();
    Arm(row);
    EXPECT_EQ(Run(settings::CVmsmProDlg::kModeFactoryDefault), ui::IDCANCEL);
    Disarm();
    ExpectStoppedAt(row, {3000});
  }
}

TEST_F(TransferFailureTest, UnansweredFactoryDefaultFailsWithItsMessage) {
  printer_.faults().silent_for = {sim::Command::kSettingIn};
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeFactoryDefault), ui::IDCANCEL);
  EXPECT_EQ(last_->message(), std::string("Failed to set factory default!") + kSilence);
}

TEST_F(TransferFailureTest, AFailedReadKeepsWhatWasReadBeforeIt) {
  sim::PrinterState& s = printer_.state();
  s.switches[1] = 0b00000111;  // Density 7
  s.switches[7] = 0b00010000;  // Msr 0
  s.serial = {"4800", "1", "2", "7"};
  s.bt_name = "Printer";
  vmsm_.settings().BtName = "Before";
  vmsm_.settings().Baudrate = 19200;
  fault_.fail_write = WritePattern{{0x1D, 0x28, 0x45, 0x02, 0x00, 0x0C, 2}};
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDCANCEL);
  EXPECT_EQ(last_->message(), std::string("Failed to read IFSW2 data!") + kBrokenWrite);
  // Read before the failure: switches and the first serial item.
  EXPECT_EQ(vmsm_.settings().Density, 7u);
  EXPECT_EQ(vmsm_.settings().Msr, 0u);
  EXPECT_EQ(vmsm_.settings().Baudrate, 4800u);
  // Not reached: left as they were.
  EXPECT_EQ(vmsm_.settings().Parity, 0u);
  EXPECT_EQ(vmsm_.settings().Databit, 8u);
  EXPECT_EQ(vmsm_.settings().BtName, "Before");
  // The failing operation closed the link; the caller finds it closed.
  EXPECT_FALSE(util_.dev().is_open());
}

TEST_F(TransferFailureTest, OlderFirmwareNeverReachesTheTearOffStep) {
  UseOlderFirmware();
  fault_.fail_write = WritePattern{{0x1D, 0x28, 0x45, 0x02, 0x00, 0x21, 0x00}};
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
  fault_.fail_write = WritePattern{{0x1D, 0x28, 0x45, 0x04, 0x00, 0x20, 0x00}};
  factory_.line().sent.clear();
  EXPECT_EQ(Run(settings::CVmsmProDlg::kModeWriteAll), ui::IDOK) << last_->message();
  EXPECT_EQ(fault_.fired, 0);
}

}  // namespace
}  // namespace transfer_test
