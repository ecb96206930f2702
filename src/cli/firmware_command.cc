#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_input.h"
#include "cli/progress_board.h"
#include "firmware/firmware_sender.h"
#include "firmware/firmware_texts.h"
#include "link/link_failure.h"
#include "platform/system/ascii_case.h"
#include "platform/system/file_system.h"

namespace cli {

using session::PrinterSession;
namespace {

PrinterOutcome SendFirmwareFile(PrinterSession& session, std::span<const uint8_t> bytes) {
  PrinterOutcome outcome;
  outcome.changed = false;  // until a byte goes out
  devlink::CDev& dev = session.util().dev();
  const devlink::CDev::Traffic before = dev.traffic();
  if (!session.util().OpenLink()) {
    outcome.message = devlink::WithFailureLine(firmware::kFirmwareOpenPortError, dev, before);
    return outcome;
  }
  session.ShowProgress(0, "Firmware is downloading");
  const devlink::CDev::Traffic sending = dev.traffic();
  const firmware::FirmwareSendResult result = firmware::SendFirmware(
      dev, bytes,
      [&session](int percent) { session.ShowProgress(percent, "Firmware is downloading"); });
  outcome.data["sent"] = result.sent;
  if (result.status != firmware::FirmwareSendStatus::kSent) {
    // Some of the file may be in the printer: count it as changed.
    outcome.changed = result.sent > 0;
    outcome.message = devlink::WithFailureLine(firmware::kFirmwareSendFailedError, dev, sending) +
                      " (" + std::to_string(result.sent) + " of " + std::to_string(bytes.size()) +
                      " bytes sent)";
    return outcome;
  }
  outcome.ok = true;
  outcome.changed = true;
  outcome.message =
      std::string(firmware::kFirmwareFinishedText) + " (" + std::to_string(result.sent) + " bytes)";
  return outcome;
}

}  // namespace

std::optional<PrinterWork> PrepareFirmware(const CommandSetup& setup, std::string* error) {
  const CliOptions& options = setup.options;
  if (options.arguments.size() != 1) {
    *error = "firmware needs one firmware file (.fls)";
    return std::nullopt;
  }
  if (!options.yes) {
    *error =
        "firmware replaces the printer's firmware; do not turn the printer off while it is "
        "sent: add --yes";
    return std::nullopt;
  }
  const std::string& path = options.arguments[0];
  // Firmware files carry this ending; anything else sent by mistake would upset the printer.
  const std::string ending =
      platform::AsciiLower(path.size() >= 4 ? path.substr(path.size() - 4) : "");
  if (ending != ".fls") {
    *error = path + ": not a firmware file (*.fls)";
    return std::nullopt;
  }
  // A pipe would hold the command in its open until some program writes to it; a device has no
  // end. Other failures are the read's to name.
  using std::filesystem::file_type;
  std::error_code ec;
  const file_type type = std::filesystem::status(path, ec).type();
  if (type == file_type::fifo || type == file_type::socket || type == file_type::character ||
      type == file_type::block) {
    *error = path + ": not a regular file";
    return std::nullopt;
  }
  std::string content;
  if (!ReadWholeFile(path, platform::kMaxWholeFileBytes, &content, error)) return std::nullopt;
  if (content.empty()) {
    *error = path + ": the file is empty";
    return std::nullopt;
  }
  auto bytes = std::make_shared<const std::vector<uint8_t>>(content.begin(), content.end());
  ProgressBoard* board = setup.board;
  return PrinterWork(
      [board, bytes](size_t index, const PrinterAddress& address, platform::Services& services) {
        PrinterSession session(address.link, services, BoardRow(board, index));
        return SendFirmwareFile(session, *bytes);
      });
}

}  // namespace cli
