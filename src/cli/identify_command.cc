#include <string>

#include "cli/commands.h"
#include "cli/progress_board.h"
#include "protocol/result_codes.h"
#include "settings/vmsm_strings.h"

namespace cli {

using session::PrinterSession;
namespace {

std::string Generation(uint32_t firmware_version) {
  return firmware_version == protocol::kFirmwareNewer ? "newer" : "older";
}

PrinterOutcome Identify(PrinterSession& session) {
  PrinterOutcome outcome;
  const protocol::PrinterIdentity& identity = session.util().identity();
  session.ShowProgress(0, "Identifying");
  if (!session.OpenLink(&outcome.message)) return outcome;
  if (!session.QueryModel(&outcome.message) ||
      !session.Query(protocol::CCommonUtil::kMaker, "Printer maker is not matched!",
                     &outcome.message) ||
      !session.Query(protocol::CCommonUtil::kFirmwareVersion,
                     settings::TransferText(settings::transfer_ids::kVersionFailed),
                     &outcome.message)) {
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
