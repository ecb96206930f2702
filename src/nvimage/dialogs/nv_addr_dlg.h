#pragma once

// CNvAddrDlg: asks for the key code of one image of a download, in each program's own template
// (the ids of nv_ctl). OK is refused while the code has fewer than two characters, or names an
// image the printer holds or an earlier image of the same download took.

#include <string>
#include <vector>

#include "ui/core/dialog.h"
#include "ui/core/template.h"

namespace nv {
class CNvAddrDlg : public ui::Dialog {
 public:
  // Copies of the printer's key codes and of the codes chosen so far in this download; the
  // refusals are shown under `caption` (static data; empty: the program's title).
  CNvAddrDlg(const ui::Template& layout, const char* caption, std::vector<std::string> held,
             std::vector<std::string> chosen);

  // The code entered (after OK).
  const std::string& key_code() const { return key_code_; }

 protected:
  void OnOK() override;

 private:
  const char* caption_;
  std::vector<std::string> held_;
  std::vector<std::string> chosen_;
  std::string key_code_;
};
}  // namespace nv
