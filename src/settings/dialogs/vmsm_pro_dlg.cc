#include "settings/dialogs/vmsm_pro_dlg.h"

#include <utility>

#include "settings/dialogs/vmsm_pro_template.h"
#include "settings/vmsm_strings.h"

namespace settings {
void AddTransferStrings(ui::StringTable& table) {
  for (const TransferString& s : TransferStrings()) table.Set(s.id, std::string(s.text));
}

CVmsmProDlg::CVmsmProDlg(TransferMode mode, protocol::CCommonVmsm* vmsm, const TransferPlan& plan,
                         const ui::Template& tmpl)
    : JobDialog(tmpl, kVmsmProProgressId, kVmsmProTextId), mode_(mode), vmsm_(vmsm), plan_(&plan) {}

bool CVmsmProDlg::OnInitDialog() {
  // The window title is the template's caption, "Virtual Memory Switch Manager" in English.
  message_.clear();
  failure_line_.clear();
  runner_.reset();
  GetProgress(kVmsmProProgressId).SetRange(0, jobs::JobRunner::kFullPosition);
  GetProgress(kVmsmProProgressId).SetPos(0);
  const int first = FirstTransferEvent(mode_);
  const jobs::JobEvent* first_event = plan_->Find(first);
  if (first_event == nullptr) {
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
    message_ = text(first_event->steps.empty() ? std::string_view() : first_event->steps[0].message,
                    transfer_ids::kPortOpenError);
    EndDialog(ui::IDCANCEL);
    return true;
  }
  if (mode_ != TransferMode::kReadAll) hold_.emplace();
  actions_.emplace(*vmsm_);
  runner_.emplace(vmsm_->util(), *plan_, *actions_, static_cast<jobs::JobProgress&>(*this), clock(),
                  text, first);
  StartJob(*runner_);
  return true;
}

void CVmsmProDlg::OnCancel() {
  JobDialog::OnCancel();
  failure_line_ = StopNote();
}

void CVmsmProDlg::OnDestroy() {
  JobDialog::OnDestroy();
  hold_.reset();  // a signal held back meanwhile ends the program now
}

void CVmsmProDlg::OnJobFailed(const jobs::JobRunner& runner) {
  failure_line_ = runner.failure_line();
  message_ = runner.message();
}
}  // namespace settings
