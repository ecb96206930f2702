#include "handheld/settings_wizard.h"

#include <optional>
#include <string_view>

#include "handheld/wizard_steps.h"
#include "handheld/wizard_templates.h"
#include "platform/registry/registry.h"
#include "settings/dialogs/vmsm_pro_dlg.h"
#include "settings/transfer_plan.h"

namespace pda {
namespace {

constexpr std::string_view kReadFailedCaption = "VMSM Manager Utility";
constexpr std::string_view kSaved = "Success to Set VMSM!";
constexpr std::string_view kSavedCaption = "Pelliset";
constexpr std::string_view kSaveFailed =
    "Failed to save Virtual memory switch!!\r\nPlease Check your printer state";
constexpr std::string_view kSaveFailedCaption = "Total Manager Utility";

// Walks the steps from the first: Next goes on, Prev back, Default on the first step and Save on
// the last end the walk. The record follows every step that is left other than by Cancel. The
// transfer mode to write with, or nullopt when the user cancelled.
std::optional<settings::TransferMode> WalkSteps(protocol::PrinterSettings& record,
                                                const wizard::PrinterFacts& facts, ui::Host& host) {
  // Nothing of the printer's Bluetooth setup is touched unless the user ticks the box on the
  // last step; from then on the record carries the box's state with the edits across Prev and
  // Next, so what the step shows is what Save writes.
  record.BtSkip = 1;
  int index = 0;
  while (true) {
    const std::unique_ptr<wizard::WizardStep> step = wizard::MakeStep(index, record, facts);
    const int how = step->DoModal(host);
    if (how != wizard::kLeftNext && how != wizard::kLeftPrev && how != wizard::kLeftDefault) {
      return std::nullopt;
    }
    record = step->values();
    if (how == wizard::kLeftDefault) return settings::CVmsmProDlg::kModeFactoryDefault;
    if (how == wizard::kLeftPrev) {
      if (index > 0) --index;
      continue;
    }
    if (index + 1 == wizard::kStepCount) return settings::CVmsmProDlg::kModeWriteAll;
    ++index;
  }
}

}  // namespace

void RunSettingsWizard(protocol::CCommonVmsm& vmsm, ui::Host& host, platform::Registry& registry) {
  protocol::CCommonUtil& util = *vmsm.util();
  // Fields a printer does not report keep what was last saved.
  vmsm.LoadProfile(registry, platform::kPellisetKey);

  {
    settings::CVmsmProDlg read(settings::CVmsmProDlg::kModeReadAll, &vmsm,
                               settings::HandheldTransferPlan(), wizard::ProgressTemplate());
    if (read.DoModal(host) != ui::IDOK) {
      util.CloseLink();
      // An empty message is the user's own Cancel: nothing to tell.
      if (!read.message().empty()) host.MessageBox(read.message(), kReadFailedCaption, ui::MB_OK);
      return;
    }
  }

  const wizard::PrinterFacts facts{util.identity().firmware_version,
                                   util.identity().open_check_value.value_or(0)};
  const std::optional<settings::TransferMode> mode = WalkSteps(vmsm.settings(), facts, host);
  if (!mode) {
    util.CloseLink();
    return;
  }

  settings::CVmsmProDlg write(*mode, &vmsm, settings::HandheldTransferPlan(),
                              wizard::ProgressTemplate());
  if (write.DoModal(host) != ui::IDOK) {
    util.CloseLink();
    const std::string why = write.failure_line().empty() ? "" : "\n" + write.failure_line();
    host.MessageBox(std::string(kSaveFailed) + why, kSaveFailedCaption, ui::MB_OK);
    return;
  }
  // Only a record the printer accepted becomes the stored profile.
  const bool stored = vmsm.SaveProfile(registry, platform::kPellisetKey);
  util.CloseLink();
  host.MessageBox(kSaved, kSavedCaption, ui::MB_OK);
  // The printer has its settings; the profile that remembers them on this machine does not.
  if (!stored) {
    host.MessageBox("Settings could not be saved: " + registry.LastError(), kSavedCaption,
                    ui::MB_OK);
  }
}
}  // namespace pda
