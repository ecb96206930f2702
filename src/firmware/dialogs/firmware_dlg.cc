#include "firmware/dialogs/firmware_dlg.h"

#include <memory>
#include <optional>
#include <vector>

#include "firmware/dialogs/firmware_template.h"
#include "firmware/firmware_texts.h"
#include "link/link_failure.h"
#include "platform/system/termination_hold.h"
#include "ui/core/constants.h"

namespace firmware {
namespace {

constexpr char kFilter[] = "Firmware File(*.fls)|*.fls||";
constexpr char kSelectText[] = "Select Firmware File(*.fls). ";
constexpr char kReadyText[] = "Ready firmware download.";
constexpr char kDownloadingText[] = "Firmware is downloading...Don't turn off the printer!!!";
// Messages; the empty caption is the application title.
constexpr char kProgramCaption[] = "Pelliset";
constexpr char kFileOpenError[] = "Error : File Open Error!";
constexpr char kTooLargeError[] = "Error : The firmware file is larger than 64 MiB!";
constexpr char kEmptyFileError[] = "Error : The firmware file is empty!";
constexpr char kSuccessText[] = "Success to download firmware!";
static_assert(platform::kMaxWholeFileBytes == 64ull << 20, "the message names the limit");

}  // namespace

CFirmwarednDlg::CFirmwarednDlg(platform::Services& services, platform::FileSystem& files)
    : ui::Dialog(FirmwareTemplate()), files_(files), trace_(services.trace), dev_(services) {}

bool CFirmwarednDlg::OnInitDialog() {
  ShowStatus(kSelectText);
  GetProgress(kFirmwareProgressId).SetRange(0, 100);
  GetProgress(kFirmwareProgressId).SetPos(0);
  return true;
}

void CFirmwarednDlg::OnCommand(int id, ui::Notify code) {
  if (id == kFirmwareStartId && code == ui::Notify::kClicked) {
    StartDownload();
    return;
  }
  ui::Dialog::OnCommand(id, code);
}

void CFirmwarednDlg::ShowStatus(const char* text) {
  SetDlgItemText(kFirmwareStatusId, text);
  UpdateWindow();
}

void CFirmwarednDlg::StartDownload() {
  const std::vector<std::string> paths = FileOpenDialog(kFilter, false);
  if (paths.empty()) return;
  path_ = paths.front();
  ShowStatus(kReadyText);

  // Opened for writing too, so that a write-protected file cannot be chosen.
  std::string error;
  std::unique_ptr<platform::OpenFile> file = files_.OpenReadWrite(path_, &error);
  if (!file) {
    // The message box names no reason; the trace keeps it for whoever looks into it.
    trace_.Trace(error);
    MessageBox(kFileOpenError);
    return;
  }
  const std::optional<uint64_t> length = file->Length();
  if (length && *length > platform::kMaxWholeFileBytes) {
    MessageBox(kTooLargeError);
    return;
  }
  const std::optional<std::vector<uint8_t>> bytes = file->ReadWhole(&error);
  if (!bytes) {
    // A file that cannot be read is as unusable as one that cannot be opened.
    trace_.Trace(error);
    MessageBox(kFileOpenError);
    return;
  }
  // Sending nothing would end in "Success", with the printer's firmware as it was.
  if (bytes->empty()) {
    MessageBox(kEmptyFileError);
    return;
  }

  // The bar of an earlier attempt is no measure of this one.
  GetProgress(kFirmwareProgressId).SetPos(0);
  ShowStatus(kDownloadingText);
  const devlink::CDev::Traffic before_open = dev_.traffic();
  if (dev_.Open(settings_) != 1) {
    MessageBox(devlink::WithFailureLine(kFirmwareOpenPortError, dev_, before_open),
               kProgramCaption);
    // Nothing was sent: the file is still the chosen one and can be tried again.
    file->Close();
    ShowStatus(kReadyText);
    return;
  }
  EnableDlgItem(ui::IDOK, false);
  UpdateWindow();
  // The transfer holds the user-interface thread, so the bar is repainted after every piece.
  const devlink::CDev::Traffic before_send = dev_.traffic();
  FirmwareSendResult result;
  {
    // A printer left with part of its firmware may not start again: a signal that would end the
    // program (a closed terminal's SIGHUP) waits for the end of the send.
    const platform::TerminationHold hold;
    result = SendFirmware(dev_, *bytes, [this](int percent) {
      GetProgress(kFirmwareProgressId).SetPos(percent);
      UpdateWindow();
    });
  }
  if (result.status == FirmwareSendStatus::kSent) {
    MessageBox(kSuccessText, kProgramCaption);
  } else {
    MessageBox(devlink::WithFailureLine(kFirmwareSendFailedError, dev_, before_send));
  }
  dev_.Close();
  file->Close();
  // After a failed transfer the printer holds part of a firmware: the status must not tell the
  // operator that it finished and to reset the printer.
  ShowStatus(result.status == FirmwareSendStatus::kSent ? kFirmwareFinishedText
                                                        : kFirmwareSendFailedError);
  EnableDlgItem(ui::IDOK, true);
  UpdateWindow();
}
}  // namespace firmware
