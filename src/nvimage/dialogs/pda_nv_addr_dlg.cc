#include "nvimage/dialogs/pda_nv_addr_dlg.h"

#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_manager_texts.h"
#include "nvimage/dialogs/pda_nv_templates.h"
#include "nvimage/dialogs/pda_nv_texts.h"
#include "nvimage/nv_download_plan.h"

CPdaNvAddrDlg::CPdaNvAddrDlg(std::vector<std::string> held, std::vector<std::string> chosen)
    : ui::Dialog(PdaNvAddrTemplate()), held_(std::move(held)), chosen_(std::move(chosen)) {}

void CPdaNvAddrDlg::OnOK() {
  const std::string text = GetDlgItemText(nv_ctl::kAddressCode);
  switch (nv::CheckKeyCode(text, held_, chosen_)) {
    case nv::KeyCodeCheck::kTooShort:
      MessageBox(nv_text::kAddressTooShort, pda_nv_text::kProgramCaption,
                 ui::MB_OK | ui::MB_ICONEXCLAMATION);
      GotoDlgCtrl(nv_ctl::kAddressCode);
      return;
    case nv::KeyCodeCheck::kExists:
      MessageBox(nv_text::kExistsAddress, pda_nv_text::kProgramCaption, ui::MB_OK);
      return;
    case nv::KeyCodeCheck::kOk:
      break;
  }
  key_code_ = text.substr(0, 2);
  EndDialog(ui::IDOK);
}
