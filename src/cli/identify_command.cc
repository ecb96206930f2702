#include <string>
#include <string_view>

#include "cli/commands.h"
#include "cli/progress_board.h"
#include "link/link_failure.h"
#include "protocol/result_codes.h"
#include "settings/vmsm_strings.h"

namespace cli {

using session::PrinterSession;
namespace {

std::string Generation(uint32_t firmware_version) {
  return firmware_version == protocol::kFirmwareNewer ? "newer" : "older";
}

// One identification query; false with its message and the link's reason.
bool Query(PrinterSession& session, uint32_t kind, std::string_view failure, std::string* message) {
  const devlink::CDev::Traffic before = session.util().dev().traffic();
  if (session.util().GetPrinterInfo(kind) == protocol::kResultOk) return true;
  *message = devlink::WithFailureLine(std::string(failure), session.util().dev(), before);
  // A printer that answered as another model or maker says what it is.
  const std::string& refused = session.util().refused_identity();
  if (!refused.empty()) *message += "\n" + refused;
  return false;
}

PrinterOutcome Identify(PrinterSession& session) {
  PrinterOutcome outcome;
  const protocol::PrinterIdentity& identity = session.util().identity();
  session.ShowProgress(0, "Identifying");
  if (!session.OpenLink(&outcome.message)) return outcome;
  if (!Query(session, protocol::CCommonUtil::kModel,
             settings::TransferText(settings::transfer_ids::kModelNotMatched), &outcome.message) ||
      !Query(session, protocol::CCommonUtil::kMaker, "Printer maker is not matched!",
             &outcome.message) ||
      !Query(session, protocol::CCommonUtil::kFirmwareVersion,
             settings::TransferText(settings::transfer_ids::kVersionFailed), &outcome.message)) {
    return outcome;
  }
  session.ShowProgress(100, "Identified");
  outcome.ok = true;
  const std::string generation = Generation(identity.firmware_version);
  outcome.message = identity.model_name + ", " + protocol::kMakerName + ", firmware " +
                    identity.firmware_version_text + " (" + generation + " generation)";
  outcome.data["model"] = identity.model_name;
  outcome.data["maker"] = protocol::kMakerName;
  outcome.data["firmware"] = identity.firmware_version_text;
  outcome.data["generation"] = generation;
  return outcome;
}

}  // namespace

std::optional<PrinterWork> PrepareIdentify(const CommandSetup& setup, std::string* error) {
  if (!setup.options.arguments.empty()) {
    *error = "identify takes no arguments";
    return std::nullopt;
  }
  ProgressBoard* board = setup.board;
  return PrinterWork(
      [board](size_t index, const PrinterAddress& address, platform::Services& services) {
        PrinterSession session(address.link, services, BoardRow(board, index));
        return Identify(session);
      });
}

}  // namespace cli
