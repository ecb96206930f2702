#pragma once

// CFirmwarednDlg: sends a printer firmware file (.fls) chosen by the user to the printer, with
// its own link opened from the communication setting it is handed:
//
//   CFirmwarednDlg dlg(services, files);
//   dlg.SetLinkSettings(settings);  // before the run: the link takes it when the dialog opens
//   dlg.DoModal(host);
//
// "Start Download" runs the whole transfer synchronously (Exit is disabled meanwhile; the bar is
// repainted between pieces) and may be pressed again for another file. Every outcome is told in
// a message box; the dialog itself always ends with IDOK (Exit) or IDCANCEL (closed).

#include <string>

#include "firmware/firmware_sender.h"
#include "link/cdev.h"
#include "platform/system/file_system.h"
#include "platform/system/services.h"
#include "ui/core/dialog.h"

namespace firmware {
class CFirmwarednDlg : public ui::Dialog {
 public:
  // `services` and `files` must outlive the dialog.
  CFirmwarednDlg(platform::Services& services, platform::FileSystem& files);

  void SetLinkSettings(const devlink::LinkSettings& settings) { settings_ = settings; }
  // The last file chosen ("" until one is).
  const std::string& path() const { return path_; }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;

 private:
  void StartDownload();
  void ShowStatus(const char* text);

  platform::FileSystem& files_;
  platform::TraceSink& trace_;
  devlink::CDev dev_;
  devlink::LinkSettings settings_;
  std::string path_;
};
}  // namespace firmware
