// The handheld program's transfer plan: its own texts and its closing line, run by the same
// progress dialog against the virtual printer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/dialogs/vmsm_pro_dlg.h"
#include "settings/transfer_plan.h"
#include "transfer_fixture.h"

namespace transfer_test {
namespace {

class HandheldTransferTest : public TransferFixture {
 protected:
  int RunHandheld(settings::TransferMode mode) {
    last_ = std::make_unique<ProbeDlg>(mode, &vmsm_, settings::HandheldTransferPlan());
    return Run(*last_);
  }
};

TEST_F(HandheldTransferTest, RunsShowTheHandheldLinesAndTheReadAsksForTheOpenCheck) {
  printer_.config().open_check_value = 0x50;
  ASSERT_EQ(RunHandheld(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
  EXPECT_EQ(last_->seen.at(0).text, "Get status : 15 %");
  EXPECT_EQ(util_.identity().open_check_value, 0x50);
  vmsm_.settings().BtSkip = 1;
  ASSERT_EQ(RunHandheld(settings::CVmsmProDlg::kModeWriteAll), ui::IDOK) << last_->message();
  EXPECT_EQ(last_->seen.at(0).text, "Set status : 5 %");
  EXPECT_EQ(last_->seen.back().text, "Completed..: 100 %");
}

TEST_F(HandheldTransferTest, EachFailureShowsItsOwnText) {
  struct Case {
    settings::TransferMode mode;
    WritePattern fail;
    const char* message;
  };
  const std::vector<Case> cases = {
      {settings::CVmsmProDlg::kModeReadAll, {{0x1B, 0x4D, 0x49}}, "Failed to get MSR Mode..!!"},
      {settings::CVmsmProDlg::kModeReadAll,
       {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 0x51}},
       "Failed to read SW51 data!"},
      {settings::CVmsmProDlg::kModeReadAll,
       {{0x1D, 0x28, 0x45, 0x02, 0x00, 0x04, 0x50}},
       "Failed to read Bluetooth connection mode!!"},
      {settings::CVmsmProDlg::kModeWriteAll, {{0x51, '2', '2'}}, "Failed to set SW51 data!!!"},
      {settings::CVmsmProDlg::kModeWriteAll,
       {{0x1D, 0x28, 0x45, 0x03, 0x00, 0x0B, 0x04}},
       "Failed to set IFSW1 data!!!"},
      {settings::CVmsmProDlg::kModeFactoryDefault,
       {{0x1D, 0x28, 0x45, 0x03, 0x00, 0x01}},
       "Failed to set factory default..!!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    util_.dev().Close();
    if (c.mode != settings::CVmsmProDlg::kModeReadAll) {
      ASSERT_EQ(RunHandheld(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
    }
    fault_.fail_write = c.fail;
    EXPECT_EQ(RunHandheld(c.mode), ui::IDCANCEL);
    EXPECT_EQ(last_->message(), std::string(c.message) +
                                    "\n127.0.0.1:9100: input/output error; check the cable and "
                                    "the printer");
    EXPECT_FALSE(fault_.fail_write.has_value());  // the failure came from the armed write
  }
}

// The handheld's write is one stage of blocking exchanges, and a silent printer's identification
// waits seconds: Cancel takes effect inside both, and a write stopped in setting mode leaves it.
TEST_F(HandheldTransferTest, CancelDuringAWaitStopsTheStageAndTheWriteLeavesSettingMode) {
  ASSERT_EQ(RunHandheld(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
  factory_.line().sent.clear();
  const std::string name_before = printer_.state().bt_name;
  vmsm_.settings().BtName = "Never sent";
  host_.cancel_at_ms = clock_.NowMs() + 1500;
  EXPECT_EQ(RunHandheld(settings::CVmsmProDlg::kModeWriteAll), ui::IDCANCEL);
  EXPECT_EQ(last_->message(), "");
  EXPECT_EQ(last_->failure_line(),
            "the printer was told to leave setting mode; some settings may be written, others not");
  EXPECT_LT(clock_.NowMs(), host_.cancel_at_ms + 500);
  EXPECT_EQ(Occurrences(Sent(), {0x1D, 0x28, 0x45, 0x04, 0x00, 0x02, 'O', 'U', 'T'}), 1);
  EXPECT_EQ(printer_.state().bt_name, name_before);

  util_.dev().Close();
  printer_.faults().silent = true;
  host_.cancel_at_ms = clock_.NowMs() + 1000;
  EXPECT_EQ(RunHandheld(settings::CVmsmProDlg::kModeReadAll), ui::IDCANCEL);
  EXPECT_EQ(last_->message(), "");
  EXPECT_LT(clock_.NowMs(), host_.cancel_at_ms + 500);
}

// The handheld writes its Bluetooth items inside setting mode; one refused there (a line end in
// the name would shift the command's fields) fails the write, and the printer is not left in it.
TEST_F(HandheldTransferTest, AValueRefusedInSettingModeFailsTheWriteAndLeavesIt) {
  ASSERT_EQ(RunHandheld(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
  factory_.line().sent.clear();
  vmsm_.settings().BtSkip = 0;
  vmsm_.settings().BtName = "Front\rdesk";
  EXPECT_EQ(RunHandheld(settings::CVmsmProDlg::kModeWriteAll), ui::IDCANCEL);
  EXPECT_EQ(last_->message(), "Failed to set Bluetooth info!!!");
  EXPECT_EQ(Occurrences(Sent(), {0x1D, 0x28, 0x45, 0x04, 0x00, 0x02, 'O', 'U', 'T'}), 1);
  EXPECT_FALSE(printer_.state().setting_mode);
}

}  // namespace
}  // namespace transfer_test
