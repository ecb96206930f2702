#include "nvimage/nv_download_plan.h"

#include <algorithm>

#include "nvimage/nv_image_list.h"
#include "nvimage/nv_job.h"

namespace nv {
namespace {

bool Contains(const std::vector<std::string>& codes, const std::string& code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

std::optional<std::string> AutoAddresser::Next(const std::vector<std::string>& held) {
  do {
    if (counter_ % 10 == 0) {
      if (kc1_ >= '~') return std::nullopt;
      ++kc1_;
      counter_ = 0;
    }
    kc2_ = static_cast<char>('0' + counter_);
    ++counter_;
  } while (Contains(held, std::string{kc1_, kc2_}));
  return std::string{kc1_, kc2_};
}

KeyCodeCheck CheckKeyCode(const std::string& text, const std::vector<std::string>& held,
                          const std::vector<std::string>& chosen) {
  if (text.size() < 2) return KeyCodeCheck::kTooShort;
  // Typed text is UTF-8: a character beyond ASCII would go out as other bytes, or half of one.
  if (std::any_of(text.begin(), text.end(), [](char c) { return c < 0x20 || c > 0x7E; })) {
    return KeyCodeCheck::kNotAscii;
  }
  if (Contains(held, text) || Contains(chosen, text)) return KeyCodeCheck::kExists;
  return KeyCodeCheck::kOk;
}

DownloadPlan PrepareDownload(CCommonNv& nv, bool automatic, const KeyCodeAsker& ask,
                             const std::function<void(const std::string& reason)>& skipped) {
  DownloadPlan plan;
  AutoAddresser addresser;
  std::vector<std::string> chosen;
  for (const NvImageEntry& entry : nv.images()) {
    const std::optional<std::string> code =
        automatic ? addresser.Next(nv.key_codes()) : ask(chosen);
    if (!code) return {automatic ? PrepareResult::kNoFreeAddress : PrepareResult::kCancelled, {}};
    // An asker that skipped the check.
    if (code->size() < 2) return {PrepareResult::kCancelled, {}};
    std::optional<NvDownloadItem> item = nv.ConvertImage(entry, code->substr(0, 2));
    if (!item) {
      if (skipped) skipped(nv.load_error());
      continue;
    }
    plan.items.push_back(std::move(*item));
    chosen.push_back(*code);
  }
  plan.result = plan.items.empty() ? PrepareResult::kNothingToSend : PrepareResult::kReady;
  return plan;
}

bool SendDownload(CCommonNv& nv, const std::vector<NvDownloadItem>& items,
                  platform::Registry& registry, NvJobRunner& runner, std::string* message) {
  // A download identifies the printer again: it may have been swapped since the last job.
  nv.ForgetIdentification();
  nv.SetDownloadList(items);
  const bool ok = runner.RunJob(NvJobCode::kDownload, "", message);
  nv.EndDownload(ok);
  if (ok) SaveImageCount(registry, nv);
  return ok;
}

std::vector<std::string> UnlistedKeyCodes(const std::vector<NvDownloadItem>& items,
                                          const std::vector<std::string>& listed) {
  std::vector<std::string> unlisted;
  for (const NvDownloadItem& item : items) {
    if (!Contains(listed, item.key_code)) unlisted.push_back(item.key_code);
  }
  return unlisted;
}

}  // namespace nv
