#pragma once

// The NV manager's choices that need no window, shared by the dialogs and the command line:
// which key code each image of a download gets, whether a typed key code can be used, and the
// order of the jobs around a download.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "nvimage/common_nv.h"
#include "nvimage/nv_job.h"
#include "platform/registry/registry.h"

namespace nv {

// Key codes chosen automatically: 10, 11 ... 19, 20 ... (00 to 09 are never chosen), skipping
// codes the printer already holds.
class AutoAddresser {
 public:
  // The next free code, or nullopt when the first character would leave the printable range.
  std::optional<std::string> Next(const std::vector<std::string>& held);

 private:
  char kc1_ = '0';
  char kc2_ = '0';
  int counter_ = 0;
};

enum class KeyCodeCheck {
  kOk,
  kTooShort,  // fewer than two characters: the command needs both bytes
  kNotAscii,  // a character outside printable ASCII, which the printer refuses as a key code
  kExists,    // the printer holds it, or an earlier image of this download has it
};
KeyCodeCheck CheckKeyCode(const std::string& text, const std::vector<std::string>& held,
                          const std::vector<std::string>& chosen);

// Asks the user for the key code of the next image of a download; `chosen` holds the codes the
// earlier images took. nullopt: the user gave the whole download up.
using KeyCodeAsker =
    std::function<std::optional<std::string>(const std::vector<std::string>& chosen)>;

enum class PrepareResult {
  kReady,          // the plan holds at least one item
  kNothingToSend,  // no image could be converted
  kCancelled,      // the user gave up at a key code: nothing is to be sent
  kNoFreeAddress,  // automatic addressing ran out of codes
};

struct DownloadPlan {
  PrepareResult result = PrepareResult::kNothingToSend;
  // One item per image of the image list that converted, in list order; empty unless kReady.
  std::vector<NvDownloadItem> items;
};

// Plans a download of the engine's image list: each image under a key code chosen automatically
// or asked for, with its define command. An image whose file no longer loads is left out, never
// sent made up, and `skipped` gets the reason (with its name). The engine's state is not touched
// but for its load_error().
DownloadPlan PrepareDownload(CCommonNv& nv, bool automatic, const KeyCodeAsker& ask,
                             const std::function<void(const std::string& reason)>& skipped);

// Runs one NV job to its end: the progress dialog in the programs, a plain loop on the command
// line. True when it ended with OK; otherwise `message` holds the text to show.
class NvJobRunner {
 public:
  virtual ~NvJobRunner() = default;
  virtual bool RunJob(NvJobCode job_code, const std::string& key_code, std::string* message) = 0;
};

// Sends the planned items as the engine's download list: the printer is identified again
// first; on success the image count becomes the number of items sent and is stored. The
// engine's list is emptied either way. False with the job's message when it failed.
bool SendDownload(CCommonNv& nv, const std::vector<NvDownloadItem>& items,
                  platform::Registry& registry, NvJobRunner& runner, std::string* message);

// The key codes of `items` that `listed` (the printer's list read after a download) lacks, in
// the items' order. The printer answers no define command: its list alone tells what it kept.
std::vector<std::string> UnlistedKeyCodes(const std::vector<NvDownloadItem>& items,
                                          const std::vector<std::string>& listed);

}  // namespace nv
