#include "desktop/msr_advance_dlg.h"

#include "desktop/vmsm_tab_strings.h"
#include "desktop/vmsm_templates.h"

namespace desktop {
namespace {

settings::SentinelWords Words(const ui::Dialog& dlg) {
  return {.invalid_value = dlg.LoadString(vmsm_tab::kStrInvalidValue) + "\r\n",
          .invalid_hex = dlg.LoadString(vmsm_tab::kStrInvalidHexFormat),
          .bad_length = dlg.LoadString(vmsm_tab::kStrSentinelLength),
          .bad_byte = dlg.LoadString(vmsm_tab::kStrSentinelByte),
          .ascii = dlg.LoadString(vmsm_tab::kStrSentinelAscii),
          .hex = dlg.LoadString(vmsm_tab::kStrSentinelHex),
          .caption = dlg.LoadString(vmsm_tab::kStrVmsmManager)};
}

constexpr settings::SentinelForm kForm = {
    .code_edits = {vmsm_ctl::kTrack1Start, vmsm_ctl::kTrack2Start, vmsm_ctl::kTrack3Start,
                   vmsm_ctl::kTrack1End, vmsm_ctl::kTrack2End, vmsm_ctl::kTrack3End},
    .first_mode = vmsm_ctl::kModeNone,
    .hex_check = vmsm_ctl::kHexCheck,
    .hex_by_character = false,
    .words = Words,
};

}  // namespace

CDlg_MsrAdvance::CDlg_MsrAdvance() : settings::SentinelDialog(MsrAdvanceTemplate(), kForm) {}

}  // namespace desktop
