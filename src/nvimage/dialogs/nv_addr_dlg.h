#pragma once

// CNvAddrDlg: asks for the key code of one image of a download. OK is refused while the code has
// fewer than two characters, or names an image the printer holds or an earlier image of the
// same download took.

#include <string>
#include <vector>

#include "ui/core/dialog.h"

class CNvAddrDlg : public ui::Dialog {
 public:
  // Copies of the printer's key codes and of the codes chosen so far in this download.
  CNvAddrDlg(std::vector<std::string> held, std::vector<std::string> chosen);

  // The code entered (after OK).
  const std::string& key_code() const { return key_code_; }

 protected:
  void OnOK() override;

 private:
  std::vector<std::string> held_;
  std::vector<std::string> chosen_;
  std::string key_code_;
};
