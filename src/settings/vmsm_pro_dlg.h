#pragma once

// CVmsmProDlg: the progress dialog that runs a whole settings transfer between the printer and
// the record of a CCommonVmsm, as a chain of timer events (one stage of blocking exchanges each):
//
//   CVmsmProDlg dlg(CVmsmProDlg::kModeReadAll, &vmsm);
//   if (dlg.DoModal(host) != ui::IDOK) {
//     // dlg.message(): the failure's text, or empty when the user pressed Cancel
//   }
//
// Modes: 1 read all settings into the record, 2 write the record to the printer, 3 (and any other
// non-zero value) send the factory default; 0 ends at once with Cancel. A write follows a read
// on the still open link and relies on the firmware generation that read found. The record keeps
// whatever a failed read had read before the failure; nothing is rolled back after a failed
// write. The user's Cancel takes effect between two stages.

#include <cstdint>
#include <string>

#include "protocol/common_vmsm.h"
#include "settings/transfer_plan.h"
#include "settings/vmsm_pro_template.h"
#include "ui/core/dialog.h"

class CVmsmProDlg : public ui::Dialog {
 public:
  static constexpr int kModeNone = 0;
  static constexpr int kModeReadAll = 1;
  static constexpr int kModeWriteAll = 2;
  static constexpr int kModeFactoryDefault = 3;

  // `vmsm` is not owned and must outlive the run; `plan` and `tmpl` are static data. A template
  // of another size needs the bar (kVmsmProProgressId), the line (kVmsmProTextId) and Cancel.
  CVmsmProDlg(int mode, CCommonVmsm* vmsm, const TransferPlan& plan = DesktopTransferPlan(),
              const ui::Template& tmpl = VmsmProTemplate());

  // The failure message of the run (empty after success or a user's Cancel).
  const std::string& message() const { return message_; }
  // What the link said about the failed step (its cause and what to do), also the message's
  // second line; empty when there is nothing to add.
  const std::string& failure_line() const { return failure_line_; }
  int mode() const { return mode_; }
  // Progress position 0..100.
  int position() const { return position_; }

  // Progress: `n` steps of one each while below 100, the line and bar following, with a pause
  // of 2 ms (AdvanceSlow: `ms`) per step taken.
  void Advance(uint32_t n);
  void AdvanceSlow(uint32_t n, uint32_t ms);
  // Ends the run with Cancel and the text of string `string_id` as its message.
  void Fail(int string_id);
  // The same with a fixed text.
  void FailWith(std::string text);

 protected:
  bool OnInitDialog() override;
  void OnTimer(int id) override;
  bool StopsBetweenSteps() const override { return true; }

 private:
  void RunEvent(const TransferEvent& event);
  // False when the step failed (the run has then ended).
  bool RunStep(const TransferStep& step);
  bool Applies(StepCondition condition) const;
  // The result code of a printer operation (0 success).
  uint32_t Perform(const TransferStep& step);
  void Closing();
  void ShowPosition(const std::string& line);
  // A plan's fixed text, else the string table's entry `id`.
  std::string Text(std::string_view fixed, int id) const;

  int mode_;
  CCommonVmsm* vmsm_;
  const TransferPlan* plan_;
  std::string message_;
  std::string failure_line_;
  int position_ = 0;
  std::string stage_name_;
};
