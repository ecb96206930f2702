#pragma once

// CVmsmProDlg: the progress dialog that runs a whole settings transfer between the printer and
// the record of a CCommonVmsm, as a chain of timer events (one stage of blocking exchanges each):
//
//   CVmsmProDlg dlg(CVmsmProDlg::kModeReadAll, &vmsm);
//   if (dlg.DoModal(host) != ui::IDOK) {
//     // dlg.message(): the failure's text, or empty when the user pressed Cancel
//   }
//
// Modes: 1 read all settings into the record, 2 write the record to the printer, 3 send the
// factory default; 0 ends at once with Cancel, and so does a value no mode has. A write follows a
// read on the still open link and relies on the firmware generation that read found. The record
// keeps whatever a failed read had read before the failure; nothing is rolled back after a failed
// write. The user's Cancel takes effect before the next step, or when the wait for a reply ends;
// a write then leaves setting mode.

#include <optional>
#include <string>

#include "jobs/dialogs/job_dialog.h"
#include "platform/system/termination_hold.h"
#include "protocol/common_vmsm.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "settings/transfer_plan.h"
#include "settings/transfer_runner.h"
#include "ui/core/string_table.h"

namespace settings {
// Adds the transfer's English texts (stage names, failure messages) to a program's string table.
void AddTransferStrings(ui::StringTable& table);

class CVmsmProDlg : public jobs::JobDialog {
 public:
  static constexpr TransferMode kModeNone = TransferMode::kNone;
  static constexpr TransferMode kModeReadAll = TransferMode::kReadAll;
  static constexpr TransferMode kModeWriteAll = TransferMode::kWriteAll;
  static constexpr TransferMode kModeFactoryDefault = TransferMode::kFactoryDefault;

  // `vmsm` is not owned and must outlive the run; `plan` and `tmpl` are static data. A template
  // of another size needs the bar (kVmsmProProgressId), the line (kVmsmProTextId) and Cancel.
  CVmsmProDlg(TransferMode mode, protocol::CCommonVmsm* vmsm,
              const TransferPlan& plan = DesktopTransferPlan(),
              const ui::Template& tmpl = VmsmProTemplate());

  // The failure message of the run (empty after success or a user's Cancel).
  const std::string& message() const { return message_; }
  // What the link said about the failed step (its cause and what to do), also the message's
  // second line; empty when there is nothing to add.
  const std::string& failure_line() const { return failure_line_; }
  TransferMode mode() const { return mode_; }
  // Progress position 0..100.
  int position() const { return runner_ ? runner_->position() : 0; }

 protected:
  bool OnInitDialog() override;
  void OnJobFailed(const jobs::JobRunner& runner) override;
  // The user's Cancel: message() stays empty, failure_line() tells what the stop left behind.
  void OnCancel() override;
  void OnDestroy() override;

 private:
  TransferMode mode_;
  protocol::CCommonVmsm* vmsm_;
  const TransferPlan* plan_;
  std::optional<TransferActions> actions_;
  std::optional<jobs::JobRunner> runner_;
  // A write is not cut short by a signal that ends the program: it ends first, and the printer
  // is told to leave setting mode (SIGTERM, or SIGHUP from a closed terminal, waits for it).
  std::optional<platform::TerminationHold> hold_;
  std::string message_;
  std::string failure_line_;
};
}  // namespace settings
