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
#include <optional>
#include <string>

#include "protocol/common_vmsm.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "settings/transfer_plan.h"
#include "settings/transfer_runner.h"
#include "ui/core/dialog.h"
#include "ui/core/string_table.h"

// Adds the transfer's English texts (stage names, failure messages) to a program's string table.
void AddTransferStrings(ui::StringTable& table);

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
  int position() const { return runner_ ? runner_->position() : 0; }

 protected:
  bool OnInitDialog() override;
  void OnTimer(int id) override;
  bool StopsBetweenSteps() const override { return true; }

 private:
  // The bar and the line under it follow the runner.
  class Progress : public TransferProgress {
   public:
    explicit Progress(CVmsmProDlg& dlg) : dlg_(dlg) {}
    void Show(int position, const std::string& line) override;

   private:
    CVmsmProDlg& dlg_;
  };

  // Ends the run with Cancel and `text` as its message.
  void FailWith(std::string text);

  int mode_;
  CCommonVmsm* vmsm_;
  const TransferPlan* plan_;
  Progress progress_{*this};
  std::optional<TransferRunner> runner_;
  std::string message_;
  std::string failure_line_;
};
