#include "nvimage/nv_image_list.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "protocol/result_codes.h"

namespace nv {
namespace {

constexpr char kCountValue[] = "Count";
constexpr int kMaxBrightness = 100;

std::string ValueName(size_t i) {
  char name[16];
  std::snprintf(name, sizeof name, "image%03zu", i);
  return name;
}

}  // namespace

StoredImage ParseStoredImage(const std::string& value) {
  const size_t comma = value.rfind(',');
  if (comma == std::string::npos) return {value, 0};
  StoredImage stored{value.substr(0, comma), 0};
  for (size_t i = comma + 1; i < value.size() && i <= comma + 3; ++i) {
    if (value[i] < '0' || value[i] > '9') break;
    stored.brightness = stored.brightness * 10 + (value[i] - '0');
  }
  stored.brightness = std::min(stored.brightness, kMaxBrightness);
  return stored;
}

std::string FormatStoredImage(const NvImageEntry& entry) {
  char digits[8];
  std::snprintf(digits, sizeof digits, ",%03d", std::clamp(entry.brightness, 0, kMaxBrightness));
  return entry.path + digits;
}

void LoadImageList(platform::Registry& registry, CCommonNv& nv,
                   const std::function<void(const std::string& message)>& refused,
                   const char* area_too_small) {
  nv.ClearImageEntries();
  for (size_t i = 1; i <= CCommonNv::kMaxImages; ++i) {
    const std::string value =
        platform::ReadString(registry, kImageListKey, ValueName(i)).value_or(std::string());
    if (value.empty()) break;
    const StoredImage stored = ParseStoredImage(value);
    CCommonNv::EntryStatus status = CCommonNv::EntryStatus::kOk;
    auto entry = nv.CreateImageEntry(static_cast<uint8_t>(nv.images().size() + 1), stored.path,
                                     stored.brightness, &status);
    if (status == CCommonNv::EntryStatus::kNotStorable) {
      if (refused) refused(nv.load_error());
      continue;
    }
    if (!entry) continue;  // the file is gone or damaged: dropped without a word
    if (nv.AddImageEntry(std::move(entry)) == protocol::kResultNvAreaFull && refused) {
      refused(area_too_small);
    }
  }
}

bool SaveImageList(platform::Registry& registry, const CCommonNv& nv) {
  // One update, so that a program stopped half-way leaves the old list or the new one whole.
  std::vector<platform::RegWrite> batch{platform::RemoveWrite(kImageListKey, kCountValue)};
  for (size_t i = 1; i <= CCommonNv::kMaxImages; ++i) {
    batch.push_back(platform::RemoveWrite(kImageListKey, ValueName(i)));
  }
  for (size_t i = 0; i < nv.images().size() && i < CCommonNv::kMaxImages; ++i) {
    batch.push_back(
        platform::StringWrite(kImageListKey, ValueName(i + 1), FormatStoredImage(nv.images()[i])));
  }
  batch.push_back(platform::DwordWrite(kImageListKey, kCountValue, nv.image_count()));
  return registry.SetValues(batch);
}

void SaveImageCount(platform::Registry& registry, const CCommonNv& nv) {
  platform::WriteDword(registry, kImageListKey, kCountValue, nv.image_count());
}

}  // namespace nv
