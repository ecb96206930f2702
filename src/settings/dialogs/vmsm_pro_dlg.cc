#include "settings/dialogs/vmsm_pro_dlg.h"

#include <utility>

#include "settings/dialogs/vmsm_pro_template.h"
#include "settings/vmsm_strings.h"

void AddTransferStrings(ui::StringTable& table) {
  for (const TransferString& s : TransferStrings()) table.Set(s.id, std::string(s.text));
}

CVmsmProDlg::CVmsmProDlg(int mode, CCommonVmsm* vmsm, const TransferPlan& plan,
                         const ui::Template& tmpl)
    : ui::Dialog(tmpl), mode_(mode), vmsm_(vmsm), plan_(&plan) {}

bool CVmsmProDlg::OnInitDialog() {
  // The window title is the template's caption, "Virtual Memory Switch Manager" in English.
  message_.clear();
  failure_line_.clear();
  runner_.reset();
  GetProgress(kVmsmProProgressId).SetRange(0, TransferRunner::kFullPosition);
  GetProgress(kVmsmProProgressId).SetPos(0);
  if (mode_ == kModeNone) {
    EndDialog(ui::IDCANCEL);
    return true;
  }
  // Stage names and messages in the program's language.
  auto text = [this](std::string_view fixed, int id) {
    return fixed.empty() ? LoadString(id) : std::string(fixed);
  };
  if (vmsm_ == nullptr || vmsm_->util() == nullptr) {
    // Nothing to talk to the printer with: the same as a port that will not open, told in the
    // words of the plan's first step (every plan opens the link first).
    const TransferEvent* first = plan_->Find(TransferRunner::FirstEvent(mode_));
    const std::string_view fixed =
        first != nullptr && !first->steps.empty() ? first->steps[0].message : std::string_view();
    FailWith(text(fixed, transfer_ids::kPortOpenError));
    return true;
  }
  runner_.emplace(*vmsm_, *plan_, progress_, clock(), text);
  SetTimer(TransferRunner::FirstEvent(mode_), TransferRunner::kFirstStageDelayMs);
  return true;
}

void CVmsmProDlg::OnTimer(int id) {
  // Window timers repeat; each stage runs once.
  KillTimer(id);
  if (HasEnded() || !runner_) return;
  if (id == kEventClose) {
    runner_->Closing();
    EndDialog(ui::IDOK);
    return;
  }
  const TransferEvent* event = plan_->Find(id);
  if (event == nullptr) return;
  // The write arms its closing stage before the Bluetooth items and their settling time; the
  // loop still lets a Cancel pressed meanwhile beat that overdue stage.
  const bool ok =
      runner_->RunEvent(*event, [this](int next, uint32_t delay_ms) { SetTimer(next, delay_ms); });
  if (!ok) {
    failure_line_ = runner_->failure_line();
    FailWith(runner_->message());
  }
}

void CVmsmProDlg::Progress::Show(int position, const std::string& line) {
  dlg_.GetProgress(kVmsmProProgressId).SetPos(position);
  dlg_.SetDlgItemText(kVmsmProTextId, line);
  dlg_.UpdateWindow();
}

void CVmsmProDlg::FailWith(std::string text) {
  message_ = std::move(text);
  // A stage may have armed the next one before it failed (the closing stage of a write); the
  // timers of an ended dialog never fire.
  EndDialog(ui::IDCANCEL);
}
