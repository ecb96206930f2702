#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/progress_board.h"
#include "cli/settings_keys.h"
#include "nvimage/nv_job.h"
#include "nvimage/raster.h"
#include "platform/system/clock.h"
#include "protocol/result_codes.h"

namespace cli {

using session::PrinterSession;
namespace {

// A key code is two characters the printer takes as a code: printable ASCII.
bool IsKeyCode(const std::string& code) {
  return code.size() == 2 &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// Codes as a printer lists them may hold any byte: shown escaped, one line.
std::string Joined(const std::vector<std::string>& codes) {
  std::string text;
  for (const std::string& code : codes) text += (text.empty() ? "" : " ") + EscapeText(code);
  return text;
}

// The images to download: each file loaded and measured now, before any printer is contacted,
// with the NV manager's limits.
struct LogoBatch {
  std::vector<std::string> paths;
  std::vector<std::string> keys;  // empty: chosen automatically
  int brightness = 0;
  bool replace = false;  // a key code the printer holds is deleted first, not refused
};

// Puts the batch's files on `nv`'s image list with the NV manager's limits; false with `error`
// naming the file as typed (two folders may hold a logo.bmp each) and why.
bool LoadLogoEntries(nv::CCommonNv& nv, const LogoBatch& batch, std::string* error) {
  for (size_t i = 0; i < batch.paths.size(); ++i) {
    nv::CCommonNv::EntryStatus status = nv::CCommonNv::EntryStatus::kOk;
    auto entry =
        nv.CreateImageEntry(static_cast<uint8_t>(i + 1), batch.paths[i], batch.brightness, &status);
    if (!entry) {
      *error = batch.paths[i] + ": " + nv.load_reason();
      return false;
    }
    const std::string alone = nv::AreaRefusal(entry->size, nv::CCommonNv::kAreaCapacity);
    if (!alone.empty()) {
      *error = batch.paths[i] + ": " + alone;
      return false;
    }
    const protocol::Result added = nv.AddImageEntry(std::move(entry));
    if (added == protocol::kResultNvAreaFull) {
      *error = "the images do not fit the printer's NV image area (" +
               std::to_string(nv::CCommonNv::kAreaCapacity) + " bytes)";
      return false;
    }
    if (added != protocol::kResultOk) {
      *error =
          "too many images at once (at most " + std::to_string(nv::CCommonNv::kMaxImages) + ")";
      return false;
    }
  }
  return true;
}

bool CheckLogoBatch(const LogoBatch& batch, std::string* error) {
  // The image list's checks read only the files: an engine with no link, whose clock never runs.
  platform::RealClock clock;
  nv::CCommonNv nv(nullptr, clock);
  return LoadLogoEntries(nv, batch, error);
}

PrinterOutcome AddLogos(PrinterSession& session, const LogoBatch& batch) {
  // Failures before anything went to the printer say it is unchanged; later ones leave it open
  // where the printer may hold part of the work.
  PrinterOutcome outcome;
  outcome.changed = false;
  nv::CCommonNv& nv = session.nv();
  // As the NV manager opens: the key codes the printer holds first.
  if (!session.RunJob(nv::NvJobCode::kReadKeyCodes, "", &outcome.message)) return outcome;
  const std::vector<std::string> held = nv.key_codes();
  std::vector<std::string> replaced;
  for (size_t i = 0; i < batch.keys.size(); ++i) {
    const std::vector<std::string> earlier(batch.keys.begin(), batch.keys.begin() + i);
    if (nv::CheckKeyCode(batch.keys[i], held, earlier) != nv::KeyCodeCheck::kExists) continue;
    if (!batch.replace) {
      outcome.message = "Exists address! (" + batch.keys[i] +
                        " is held by the printer; nothing was stored: --replace stores over it)";
      return outcome;
    }
    replaced.push_back(batch.keys[i]);
  }
  // Every file is read and converted before anything is deleted: one changed since the check
  // fails this printer with its images as they were.
  nv.ClearImageEntries();
  if (!LoadLogoEntries(nv, batch, &outcome.message)) return outcome;
  std::string not_converted;
  size_t asked = 0;
  const nv::KeyCodeAsker ask = [&](const std::vector<std::string>&) {
    return std::optional<std::string>(batch.keys.at(asked++));
  };
  nv::DownloadPlan plan =
      nv::PrepareDownload(nv, batch.keys.empty(), ask, [&](const std::string& reason) {
        if (not_converted.empty()) not_converted = reason;
      });
  if (plan.result == nv::PrepareResult::kNoFreeAddress) {
    outcome.message = "No free address code is left for the next image.";
    return outcome;
  }
  // Every file named is stored or none: a script must not learn of a missing one from a detail.
  if (plan.result != nv::PrepareResult::kReady || !not_converted.empty()) {
    outcome.message = "not converted: " + (not_converted.empty() ? "no image" : not_converted) +
                      "; nothing was sent";
    return outcome;
  }
  // The old images go first, so the new ones never depend on how a printer treats a define
  // under a code it holds, and the area has their room back.
  for (size_t i = 0; i < replaced.size(); ++i) {
    if (!session.RunJob(nv::NvJobCode::kDeleteImage, replaced[i], &outcome.message)) {
      // The job may have failed (or been stopped) after its delete went out.
      outcome.changed.reset();
      if (i > 0) {
        outcome.changed = true;
        outcome.message += "\nalready deleted: " + Joined({replaced.begin(), replaced.begin() + i});
      }
      outcome.message += "\n" + replaced[i] + " may be deleted";
      return outcome;
    }
  }
  // The old images are gone whatever happens next; a failure says so, since the images that
  // were to take their places may not be stored. Once the printer's list has been read back, only
  // the codes it does not list (`unlisted`) are in doubt.
  const auto with_replaced = [&](PrinterOutcome& o,
                                 const std::vector<std::string>* unlisted = nullptr) {
    if (replaced.empty()) return;
    o.changed = true;
    o.data["replaced"] = replaced;
    if (o.ok) return;
    std::vector<std::string> lost;
    for (const std::string& code : replaced) {
      if (unlisted == nullptr || std::ranges::find(*unlisted, code) != unlisted->end()) {
        lost.push_back(code);
      }
    }
    if (lost.empty()) return;
    o.message += "\n" + Joined(lost) + " deleted first; the new image" +
                 (lost.size() == 1 ? " for it" : "s for them") + " may not be stored";
  };
  // The images the printer lists after the download, in `data` and `details` as for success.
  const auto with_stored = [](PrinterOutcome& o, const std::vector<nv::NvDownloadItem>& items,
                              const std::vector<std::string>& unlisted) {
    nlohmann::ordered_json stored = nlohmann::ordered_json::array();
    std::vector<std::string> codes;
    for (const nv::NvDownloadItem& item : items) {
      if (std::ranges::find(unlisted, item.key_code) != unlisted.end()) continue;
      codes.push_back(item.key_code);
      o.details.push_back(item.key_code + "  " + EscapeText(item.name));  // one table line
      stored.push_back({{"key_code", item.key_code}, {"file", item.name}});
    }
    if (!codes.empty()) o.data["stored"] = stored;
    return codes;
  };
  platform::Registry& registry = session.services().registry;
  if (!nv::SendDownload(nv, plan.items, registry, session, &outcome.message)) {
    // The first image may have gone out in part.
    outcome.changed.reset();
    // Stopped or failed after some images went out: the printer most likely holds those.
    if (!nv.sent_key_codes().empty()) {
      outcome.changed = true;
      outcome.message += (outcome.message.empty() ? "" : "\n") + Joined(nv.sent_key_codes()) +
                         " sent before that; the printer may hold " +
                         (nv.sent_key_codes().size() == 1 ? "it" : "them");
    }
    with_replaced(outcome);
    return outcome;
  }
  // The printer answers no define command, so a link that dropped midway looks like success
  // until its list is read again.
  if (!session.RunJob(nv::NvJobCode::kReadKeyCodes, "", &outcome.message)) {
    // Sent whole: the printer most likely holds the images, but nothing says so.
    outcome.changed = true;
    outcome.message = "sent, but the printer's key codes could not be read back" +
                      (outcome.message.empty() ? "" : ": " + outcome.message);
    with_replaced(outcome);
    return outcome;
  }
  const std::vector<std::string> missing = nv::UnlistedKeyCodes(plan.items, nv.key_codes());
  if (!missing.empty()) {
    outcome.message = "sent, but the printer does not list " + Joined(missing) +
                      ": its memory may be full, or the link dropped during the download";
    // The images it does list are stored: a script must not send them again.
    const std::vector<std::string> codes = with_stored(outcome, plan.items, missing);
    if (!codes.empty()) {
      outcome.changed = true;
      outcome.message += "\nstored " + Joined(codes);
    }
    with_replaced(outcome, &missing);
    return outcome;
  }
  outcome.ok = true;
  with_replaced(outcome);
  outcome.changed = true;
  const std::vector<std::string> codes = with_stored(outcome, plan.items, {});
  outcome.message = "stored " + std::to_string(codes.size()) + " image" +
                    (codes.size() == 1 ? "" : "s") + " under " + Joined(codes) +
                    (replaced.empty() ? std::string() : " (replaced " + Joined(replaced) + ")");
  return outcome;
}

PrinterOutcome ListLogos(PrinterSession& session) {
  PrinterOutcome outcome;
  if (!session.RunJob(nv::NvJobCode::kReadKeyCodes, "", &outcome.message)) return outcome;
  const std::vector<std::string>& codes = session.nv().key_codes();
  outcome.ok = true;
  outcome.message = codes.empty() ? "no images"
                                  : std::to_string(codes.size()) + " image" +
                                        (codes.size() == 1 ? "" : "s") + ": " + Joined(codes);
  outcome.data["key_codes"] = codes;
  return outcome;
}

// Print, delete or delete all: one job after the key code list, as in the NV manager.
// `missing_ok`: a key code the printer does not hold is success, nothing changed.
PrinterOutcome OneJob(PrinterSession& session, nv::NvJobCode job, const std::string& key_code,
                      bool missing_ok = false) {
  // Unchanged until the job itself, whose failure leaves it open.
  PrinterOutcome outcome;
  outcome.changed = false;
  if (!session.RunJob(nv::NvJobCode::kReadKeyCodes, "", &outcome.message)) return outcome;
  // A copy: the job below changes the engine's list.
  const std::vector<std::string> held = session.nv().key_codes();
  if (!key_code.empty() && std::find(held.begin(), held.end(), key_code) == held.end()) {
    outcome.message =
        "the printer holds no image under " + key_code +
        (held.empty() ? std::string(" (it holds none)") : " (it holds " + Joined(held) + ")");
    if (missing_ok) {
      outcome.ok = true;
      outcome.changed = false;
      outcome.message = "unchanged: " + outcome.message;
    }
    return outcome;
  }
  if (!session.RunJob(job, key_code, &outcome.message)) {
    outcome.changed.reset();
    return outcome;
  }
  outcome.ok = true;
  switch (job) {
    case nv::NvJobCode::kPrintImage:
      outcome.changed = false;
      outcome.message = "printed " + key_code;
      break;
    case nv::NvJobCode::kDeleteImage:
      outcome.changed = true;
      outcome.message = "deleted " + key_code;
      break;
    default:
      outcome.changed = !held.empty();
      outcome.message = held.empty() ? std::string("deleted all images (it held none)")
                                     : "deleted all images (" + std::to_string(held.size()) + ")";
      break;
  }
  return outcome;
}

}  // namespace

std::optional<PrinterWork> PrepareLogo(const CommandSetup& setup, std::string* error) {
  const CliOptions& options = setup.options;
  const std::string& command = options.command;
  const std::vector<std::string>& args = options.arguments;
  ProgressBoard* board = setup.board;
  auto work = [board](auto body) {
    return PrinterWork(
        [board, body](size_t index, const PrinterAddress& address, platform::Services& services) {
          PrinterSession session(address.link, services, BoardRow(board, index));
          return body(session);
        });
  };
  if (command == "logo list") {
    if (!args.empty()) {
      *error = "logo list takes no arguments";
      return std::nullopt;
    }
    return work([](PrinterSession& s) { return ListLogos(s); });
  }
  if (command == "logo add") {
    LogoBatch batch;
    batch.paths = args;
    batch.keys = options.keys;
    batch.brightness = options.brightness.value_or(0);
    batch.replace = options.replace;
    if (batch.replace && batch.keys.empty()) {
      *error =
          "--replace needs the key codes given with --key (codes chosen automatically are "
          "always free ones)";
      return std::nullopt;
    }
    if (batch.paths.empty()) {
      *error = "logo add needs one or more BMP files";
      return std::nullopt;
    }
    if (!batch.keys.empty() && batch.keys.size() != batch.paths.size()) {
      *error = "give --key once for every file (" + std::to_string(batch.paths.size()) +
               "), or not at all for codes chosen automatically";
      return std::nullopt;
    }
    for (size_t i = 0; i < batch.keys.size(); ++i) {
      if (!IsKeyCode(batch.keys[i])) {
        *error = "bad key code '" + batch.keys[i] + "': two printable ASCII characters, e.g. 10";
        return std::nullopt;
      }
      if (std::find(batch.keys.begin(), batch.keys.begin() + i, batch.keys[i]) !=
          batch.keys.begin() + i) {
        *error = "key code " + batch.keys[i] + " is given twice";
        return std::nullopt;
      }
    }
    if (!CheckLogoBatch(batch, error)) return std::nullopt;
    return work([batch](PrinterSession& s) { return AddLogos(s, batch); });
  }
  if (command == "logo delete-all") {
    if (!args.empty()) {
      *error = "logo delete-all takes no arguments";
      return std::nullopt;
    }
    if (!options.yes) {
      *error = "logo delete-all removes every NV image from the printer: add --yes";
      return std::nullopt;
    }
    return work([](PrinterSession& s) { return OneJob(s, nv::NvJobCode::kDeleteAll, ""); });
  }
  // print KC, delete KC
  if (args.size() != 1 || !IsKeyCode(args[0])) {
    *error = command + " needs one key code of two printable characters, e.g. " + command + " 10";
    return std::nullopt;
  }
  const nv::NvJobCode job =
      command == "logo print" ? nv::NvJobCode::kPrintImage : nv::NvJobCode::kDeleteImage;
  const std::string key_code = args[0];
  const bool missing_ok = options.missing_ok;
  return work([job, key_code, missing_ok](PrinterSession& s) {
    return OneJob(s, job, key_code, missing_ok);
  });
}

}  // namespace cli
