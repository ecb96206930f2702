#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_input.h"
#include "cli/progress_board.h"
#include "cli/settings_codec.h"
#include "cli/settings_keys.h"
#include "platform/system/atomic_file.h"
#include "protocol/common_vmsm.h"
#include "protocol/vmsm_commands.h"
#include "settings/setting_items.h"
#include "settings/setting_lists.h"

namespace cli {

using session::PrinterSession;
namespace {

// A settings file is small; anything larger is not one.
constexpr size_t kMaxSettingsFileBytes = 1 << 20;

// The write plans of a run, one for each set of items to write: the printers of a fleet mostly
// differ in the same items, and share the plan (it is data, read only) instead of each building
// and holding its own.
class WritePlans {
 public:
  const settings::TransferPlan& For(const settings::SettingItems& items) {
    const std::lock_guard lock(mutex_);
    auto found = plans_.find(items);
    if (found == plans_.end()) {
      found = plans_.emplace(items, settings::ItemTransferPlan({}, items)).first;
    }
    return found->second;
  }

 private:
  std::mutex mutex_;
  std::map<settings::SettingItems, const settings::TransferPlan> plans_;
};

// The file name a printer's settings are kept under in --output: its address with every
// character that is awkward in a file name replaced.
std::string FileNameOf(const std::string& address, const std::string& format) {
  std::string name;
  for (char c : address) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-';
    name += plain ? c : '_';
  }
  return name + "." + format;
}

// A backup must survive a crash or power cut whole: the old file or the new one, never a part.
// One reached through a link is replaced where the link points, the link kept.
bool WriteFileWhole(const std::filesystem::path& path, const std::string& text,
                    std::string* error) {
  std::string reason;
  if (platform::ReplaceFileAtomically(platform::FileBehindLinks(path.string()), text, &reason)) {
    return true;
  }
  *error = "cannot write " + reason;
  return false;
}

// A printer's texts in a header comment: a line end or other control byte would end the comment.
std::string CommentSafe(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

std::string SettingsText(const protocol::PrinterSettings& settings, const std::string& format,
                         const std::string& address, const protocol::CCommonUtil& util) {
  if (format == "json") return SettingsToJson(settings).dump(2) + "\n";
  return SettingsToIni(settings,
                       {CommentSafe("printer: " + address),
                        CommentSafe("model: " + util.identity().model_name + ", firmware " +
                                    util.identity().firmware_version_text)});
}

// Whether `a` sets `key` (keys are read in any case).
bool IsKey(const Assignment& a, std::string_view key) {
  const SettingKey* found = FindSettingKey(a.key);
  return found != nullptr && found->key == key;
}

// What the printer reported that cannot go back as it is in the items about to be written:
// sentinels it did not report (writing them would erase them), a font or sentinel mode the
// options switch cannot carry (it would become the first), and a baud rate the serial command
// cannot carry (it would become 115200). An item not written keeps what the printer holds, so
// only the written ones are checked; so is a held Bluetooth name or PIN that the Bluetooth command
// cannot carry. Empty when they can be written; `given` are the keys the user set.
std::string UnwritableHeldValues(const protocol::CCommonVmsm& vmsm,
                                 const std::vector<Assignment>& given,
                                 const settings::SettingItems& written) {
  auto set_by_user = [&](const std::string& key) {
    return std::any_of(given.begin(), given.end(),
                       [&](const Assignment& a) { return IsKey(a, key); });
  };
  using settings::ItemKind;
  std::string problems;
  for (size_t t = 0; t < protocol::kSentinelTracks; ++t) {
    const std::string track = "msr.track" + std::to_string(t + 1);
    if (written.count({ItemKind::kSentinel, static_cast<uint8_t>(t + 1)}) == 0 ||
        vmsm.sentinel_reported(t) || (set_by_user(track + ".start") && set_by_user(track + ".end")))
      continue;
    problems += "\n" + track +
                ": the printer did not report its sentinels, and writing would erase "
                "them; give " +
                track + ".start and " + track + ".end to write them";
  }
  // The options switch carries fonts A to C and three sentinel modes; the fourth value its bits
  // can hold would go back as the first, held or given back from a file alike.
  if (written.count({ItemKind::kSwitch, protocol::vmsm::kSwitchOptions}) != 0) {
    const struct {
      const char* key;
      uint32_t held;
      const char* choices;
    } options[] = {{"print.font", vmsm.settings().FontType, "A, B or C"},
                   {"msr.sentinel", vmsm.settings().Sentinel, "none, static or dynamic"}};
    for (const auto& option : options) {
      if (option.held <= 2) continue;
      problems += "\n" + std::string(option.key) + ": the printer holds " +
                  std::to_string(option.held) + ", which cannot be written back; give " +
                  option.key + " as " + option.choices;
    }
  }
  const auto& rates = settings::setting_lists::kBaudRates;
  if (written.count({ItemKind::kSerial, protocol::vmsm::kSerialBaudrate}) != 0 &&
      std::none_of(rates.begin(), rates.end(),
                   [&](const auto& rate) { return rate.value == vmsm.settings().Baudrate; })) {
    problems += "\nserial.baud_rate: the printer holds " +
                std::to_string(vmsm.settings().Baudrate) +
                ", which cannot be written back (it would become 115200); give serial.baud_rate";
  }
  // The Bluetooth write carries the name and the PIN together: one the command cannot carry (too
  // long, or with a line end, which ends it) fails the whole write.
  if (written.count({ItemKind::kBluetooth, 0}) != 0) {
    const struct {
      const char* key;
      const std::string& held;
      size_t max_bytes;
    } texts[] = {{"bluetooth.name", vmsm.settings().BtName, protocol::kMaxBtNameChars},
                 {"bluetooth.pin", vmsm.settings().BtPin, protocol::kMaxBtPinChars}};
    for (const auto& text : texts) {
      // A value the user gave is writable unless it is the held one, given back unchanged.
      if (protocol::CCommonVmsm::BtTextWritable(text.held, text.max_bytes)) continue;
      problems += "\n" + std::string(text.key) +
                  ": the printer holds a value that cannot be written back (longer than " +
                  std::to_string(text.max_bytes) + " bytes, or with a line end); give " + text.key;
    }
  }
  return problems.empty() ? problems : "nothing written:" + problems;
}

nlohmann::ordered_json ChangesJson(const std::vector<SettingChange>& changes) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const SettingChange& c : changes) {
    list.push_back({{"key", c.key}, {"before", c.before}, {"after", c.after}});
  }
  return list;
}

// The items the settings named by `keys` live in; every item when one lives in none.
template <typename Keys, typename KeyOf>
settings::SettingItems ItemsOf(const Keys& keys, KeyOf key_of) {
  settings::SettingItems items;
  for (const auto& k : keys) {
    const SettingKey* key = FindSettingKey(key_of(k));
    const std::optional<settings::SettingItem> item =
        key != nullptr ? settings::ItemOf(*key) : std::nullopt;
    if (!item) return settings::AllSettingItems();
    items.insert(*item);
  }
  return items;
}

std::string Count(size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

std::optional<PrinterWork> PrepareSettingsGet(const CommandSetup& setup, std::string* error) {
  const CliOptions& options = setup.options;
  if (!options.arguments.empty()) {
    *error = "settings get takes no arguments (--format ini|json, --output DIR)";
    return std::nullopt;
  }
  if (setup.printer_count > 1 && options.output_dir.empty() && !options.json) {
    *error = "settings get for several printers needs --output DIR (one file each) or --json";
    return std::nullopt;
  }
  if (!options.output_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.output_dir, ec);
    if (ec || !std::filesystem::is_directory(options.output_dir)) {
      *error = "cannot make the folder " + options.output_dir + ": " + ec.message();
      return std::nullopt;
    }
    // Known now rather than after every printer was read.
    if (std::string why; !platform::CanCreateFilesIn(options.output_dir, &why)) {
      *error = "cannot write in the folder " + options.output_dir + ": " + why;
      return std::nullopt;
    }
  }
  ProgressBoard* board = setup.board;
  const std::string format = options.format;
  const std::string output_dir = options.output_dir;
  const bool body = setup.printer_count == 1 && output_dir.empty() && !options.json;
  return PrinterWork(
      [=](size_t index, const PrinterAddress& address, platform::Services& services) {
        PrinterSession session(address.link, services, BoardRow(board, index));
        PrinterOutcome outcome;
        if (!session.Transfer(settings::TransferMode::kReadAll, &outcome.message)) return outcome;
        const protocol::PrinterSettings& settings = session.vmsm().settings();
        outcome.ok = true;
        outcome.message = "read";
        for (size_t t = 0; t < protocol::kSentinelTracks; ++t) {
          if (!session.vmsm().sentinel_reported(t)) {
            outcome.details.push_back("msr.track" + std::to_string(t + 1) +
                                      ": not reported by the printer (shown empty)");
          }
        }
        if (!outcome.details.empty()) outcome.data["warnings"] = outcome.details;
        outcome.data["format_version"] = kSettingsFormatVersion;
        outcome.data["settings"] = SettingsToJson(settings)["settings"];
        const std::string text = SettingsText(settings, format, address.text, session.util());
        if (body) outcome.body = text;
        if (!output_dir.empty()) {
          const std::filesystem::path path =
              std::filesystem::path(output_dir) / FileNameOf(address.text, format);
          std::string write_error;
          if (!WriteFileWhole(path, text, &write_error)) {
            outcome.ok = false;
            outcome.message = write_error;
            return outcome;
          }
          outcome.message = "saved in " + path.string();
          outcome.data["file"] = path.string();
        }
        return outcome;
      });
}

std::optional<PrinterWork> PrepareSettingsSet(const CommandSetup& setup, std::string* error) {
  const CliOptions& options = setup.options;
  const std::vector<std::string>& args = options.arguments;
  if (args.empty()) {
    *error = "settings set needs a settings file or KEY=VALUE arguments";
    return std::nullopt;
  }
  std::vector<Assignment> assignments;
  const bool all_assignments = std::all_of(args.begin(), args.end(), [](const std::string& a) {
    return a.find('=') != std::string::npos;
  });
  // A name too long for the system is no file either (the check reports it, never throws).
  std::error_code ec;
  const bool typed = all_assignments && !std::filesystem::exists(args[0], ec);
  if (typed) {
    for (size_t i = 0; i < args.size(); ++i) {
      Assignment assignment;
      if (!ParseAssignmentArgument(args[i], static_cast<int>(i + 1), &assignment, error)) {
        return std::nullopt;
      }
      assignments.push_back(std::move(assignment));
    }
  } else {
    if (args.size() != 1) {
      *error = "settings set takes one settings file, or KEY=VALUE arguments only";
      return std::nullopt;
    }
    std::string text;
    if (!ReadInputFile(args[0], kMaxSettingsFileBytes, setup.standard_input, &text, error)) {
      // A key given without its value reads as a file name.
      if (FindSettingKey(args[0]) != nullptr) {
        *error += "; to set " + args[0] + " write " + args[0] + "=VALUE";
      }
      return std::nullopt;
    }
    if (!ParseSettingsText(text, InputName(args[0]), &assignments, error)) return std::nullopt;
    // A `settings get` that failed leaves its file empty: restoring from it must not pass for a
    // restore.
    if (assignments.empty()) {
      *error = InputName(args[0]) + ": no settings in it; nothing to set";
      return std::nullopt;
    }
  }
  // Keys and values are checked now, so that nothing is sent to any printer when one of them is
  // refused. A file may carry a number outside the lists, or a text too long or with a line end,
  // that a printer reported (a saved `settings get`): it goes back only where the printer holds
  // it, which the read tells. Typed on the command line, such a value is a mistake and is
  // refused now.
  if (typed) {
    protocol::PrinterSettings check;
    if (!ApplyAssignments(assignments, &check, error)) return std::nullopt;
  } else if (!CheckAssignments(assignments, error)) {
    return std::nullopt;
  }

  // Only the items the keys live in are read, and only those that differ are written; --full
  // reads and writes every one, as the dialogs do.
  ProgressBoard* board = setup.board;
  const bool dry_run = options.dry_run;
  const bool full = options.full;
  const settings::SettingItems read_items =
      ItemsOf(assignments, [](const Assignment& a) { return a.key; });
  // Every printer reads the same items.
  const auto read_plan = std::make_shared<const settings::TransferPlan>(
      full ? settings::DesktopTransferPlan() : settings::ItemTransferPlan(read_items, {}));
  const auto write_plans = std::make_shared<WritePlans>();
  return PrinterWork(
      [=](size_t index, const PrinterAddress& address, platform::Services& services) {
        PrinterSession session(address.link, services, BoardRow(board, index));
        PrinterOutcome outcome;
        outcome.changed = false;  // until the write begins
        if (!session.Transfer(*read_plan, settings::TransferMode::kReadAll, &outcome.message)) {
          return outcome;
        }
        const protocol::PrinterSettings before = session.vmsm().settings();
        std::string apply_error;
        if (!ApplyAssignments(assignments, &session.vmsm().settings(), &apply_error)) {
          outcome.message = apply_error;
          return outcome;
        }
        // Only the newer firmware generation has a tear-off position to read and write. The
        // value the record holds for an older one (what `settings get` saved from it) is no
        // change, so a saved file goes back to the printer it came from.
        const bool newer = session.util().identity().firmware_version == protocol::kFirmwareNewer;
        if (!newer && session.vmsm().settings().CuttingPosition != before.CuttingPosition) {
          outcome.message =
              "print.tear_off_position: this printer's firmware has no tear-off position; "
              "nothing written";
          return outcome;
        }
        const std::vector<SettingChange> changes = DiffSettings(before, session.vmsm().settings());
        for (const SettingChange& c : changes) {
          outcome.details.push_back(c.key + ": " + c.before + " -> " + c.after);
        }
        outcome.data["changes"] = ChangesJson(changes);
        // Under a failed printer's line the differences are what was to change, not what did.
        auto failed = [&outcome] {
          outcome.details.insert(outcome.details.begin(), "was to change:");
          return outcome;
        };
        if (changes.empty()) {
          outcome.ok = true;
          outcome.message = "unchanged";
          return outcome;
        }
        const settings::SettingItems written =
            full ? settings::AllSettingItems()
                 : ItemsOf(changes, [](const SettingChange& c) { return c.key; });
        if (const std::string problems = UnwritableHeldValues(session.vmsm(), assignments, written);
            !problems.empty()) {
          outcome.message = problems;
          return failed();
        }
        if (dry_run) {
          outcome.ok = true;
          outcome.would_change = true;
          outcome.message = Count(changes.size(), "setting") + " would change (dry run)";
          return outcome;
        }
        // In the order and with the pauses of the whole write.
        const settings::TransferPlan& write_plan =
            full ? settings::DesktopTransferPlan() : write_plans->For(written);
        if (!session.Transfer(write_plan, settings::TransferMode::kWriteAll, &outcome.message)) {
          outcome.changed.reset();  // some items may be written
          return failed();
        }
        outcome.ok = true;
        outcome.changed = true;
        outcome.message = Count(changes.size(), "setting") + " changed";
        return outcome;
      });
}

std::optional<PrinterWork> PrepareSettingsDefault(const CommandSetup& setup, std::string* error) {
  if (!setup.options.arguments.empty()) {
    *error = "settings default takes no arguments";
    return std::nullopt;
  }
  if (!setup.options.yes) {
    *error = "settings default replaces every setting with the factory ones: add --yes";
    return std::nullopt;
  }
  ProgressBoard* board = setup.board;
  return PrinterWork(
      [board](size_t index, const PrinterAddress& address, platform::Services& services) {
        PrinterSession session(address.link, services, BoardRow(board, index));
        PrinterOutcome outcome;
        // The factory block is the accepted model's: another printer must not be sent it.
        outcome.changed = false;
        if (!session.OpenLink(&outcome.message) || !session.QueryModel(&outcome.message)) {
          return outcome;
        }
        outcome.changed.reset();  // from here the factory command may have gone out
        if (!session.Transfer(settings::TransferMode::kFactoryDefault, &outcome.message)) {
          return outcome;
        }
        outcome.ok = true;
        outcome.changed = true;
        outcome.message = "factory settings restored";
        return outcome;
      });
}

}  // namespace cli
