#include "session/dialogs/main_dialog.h"

#include <utility>

#include "ui/core/constants.h"

namespace session {

MainDialog::MainDialog(const ui::Template& tmpl, platform::Services& services,
                       devlink::LinkSettings setting, bool handheld)
    : ui::Dialog(tmpl),
      services_(services),
      setting_(std::move(setting)),
      session_(setting_, services, {}, handheld) {}

bool MainDialog::HandOverSetting() {
  if (!SettingUsable()) return false;
  ReadSetting();
  session_.util().SetLinkSettings(setting_);
  return true;
}

bool MainDialog::TcpPortUsable(int id) {
  uint32_t port = 0;
  return ReadUIntRange(id, 1, kMaxTcpPort, &port);
}

void MainDialog::OnOK() {
  ReadSetting();
  StoreSetting();
  session_.util().CloseLink();
  EndDialog(ui::IDOK);
}

void MainDialog::OnCancel() { OnClose(); }

void MainDialog::OnClose() {
  session_.util().CloseLink();
  EndDialog(ui::IDCANCEL);
}

}  // namespace session
