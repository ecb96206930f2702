#include "nvimage/dialogs/nv_addr_dlg.h"

#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/nv_download_plan.h"

namespace nv {
CNvAddrDlg::CNvAddrDlg(const ui::Template& layout, const char* caption,
                       std::vector<std::string> held, std::vector<std::string> chosen)
    : ui::Dialog(layout), caption_(caption), held_(std::move(held)), chosen_(std::move(chosen)) {}

void CNvAddrDlg::OnOK() {
  const std::string text = GetDlgItemText(nv_ctl::kAddressCode);
  const KeyCodeCheck check = CheckKeyCode(text, held_, chosen_);
  switch (check) {
    case KeyCodeCheck::kTooShort:
    case KeyCodeCheck::kNotAscii:
      MessageBox(
          check == KeyCodeCheck::kTooShort ? nv_text::kAddressTooShort : nv_text::kAddressNotAscii,
          caption_, ui::MB_OK | ui::MB_ICONEXCLAMATION);
      GotoDlgCtrl(nv_ctl::kAddressCode);
      return;
    case KeyCodeCheck::kExists:
      MessageBox(nv_text::kExistsAddress, caption_, ui::MB_OK);
      return;
    case KeyCodeCheck::kOk:
      break;
  }
  key_code_ = text.substr(0, 2);
  EndDialog(ui::IDOK);
}
}  // namespace nv
