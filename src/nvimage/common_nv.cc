#include "nvimage/common_nv.h"

#include <algorithm>

#include "nvimage/raster.h"
#include "platform/image/bmp_decoder.h"
#include "protocol/result_codes.h"

namespace nv {
namespace {

std::string FileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

CCommonNv::CCommonNv(protocol::CCommonUtil* util, platform::Clock& clock)
    : util_(util), clock_(clock) {}

CCommonNv::~CCommonNv() = default;

std::unique_ptr<NvImageEntry> CCommonNv::CreateImageEntry(uint8_t number, const std::string& path,
                                                          int brightness, EntryStatus* status) {
  const std::string name = FileName(path);
  std::string reason;
  auto bmp = platform::BmpDecoder::OpenFile(path, &reason);
  if (bmp) {
    // The whole file is read once, so a file damaged past its headers is refused now rather
    // than when the download is already under way.
    int y = 0;
    const uint8_t* rgb = nullptr;
    while (bmp->NextRow(&y, &rgb)) {
    }
    reason = bmp->error();
  }
  if (!reason.empty()) {
    load_reason_ = reason;
    load_error_ = name + ": " + reason;
    *status = EntryStatus::kNotLoadable;
    return nullptr;
  }
  const auto width = static_cast<uint32_t>(bmp->width());
  const auto height = static_cast<uint32_t>(bmp->height());
  if (std::string refusal = StorageRefusal(width, height); !refusal.empty()) {
    load_reason_ = refusal;
    load_error_ = name + ": " + refusal;
    *status = EntryStatus::kNotStorable;
    return nullptr;
  }
  auto entry = std::make_unique<NvImageEntry>();
  entry->number = number;
  entry->size = EstimatedSize(width, height);
  entry->name = name;
  entry->path = path;
  entry->brightness = brightness;
  *status = EntryStatus::kOk;
  return entry;
}

protocol::Result CCommonNv::AddImageEntry(std::unique_ptr<NvImageEntry> entry) {
  if (!entry) return protocol::kResultNvListFull;
  if (images_.size() >= kMaxImages) return protocol::kResultNvListFull;
  if (uint64_t{GetImagesSize()} + entry->size > kAreaCapacity) return protocol::kResultNvAreaFull;
  images_.push_back(std::move(*entry));
  return protocol::kResultOk;
}

uint32_t CCommonNv::GetImagesSize() const {
  uint64_t total = 0;
  for (const NvImageEntry& e : images_) total += e.size;
  return static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
}

void CCommonNv::RemoveImageEntry(uint8_t number) {
  for (auto it = images_.begin(); it != images_.end(); ++it) {
    if (it->number == number) {
      images_.erase(it);
      break;
    }
  }
  uint8_t n = 1;
  for (NvImageEntry& e : images_) e.number = n++;
}

void CCommonNv::ClearImageEntries() { images_.clear(); }

void CCommonNv::SetImageBrightness(int number, int brightness) {
  for (NvImageEntry& e : images_) {
    if (e.number == number) e.brightness = brightness;
  }
}

std::optional<NvDownloadItem> CCommonNv::ConvertImage(const NvImageEntry& entry,
                                                      const std::string& key) {
  std::string reason;
  auto bmp = platform::BmpDecoder::OpenFile(entry.path, &reason);
  if (bmp) {
    // A file replaced since it was added may have grown past what one command can carry.
    reason =
        StorageRefusal(static_cast<uint32_t>(bmp->width()), static_cast<uint32_t>(bmp->height()));
  }
  Raster raster;
  if (reason.empty()) ConvertRows(*bmp, entry.brightness, &raster, &reason);
  if (!reason.empty()) {
    load_reason_ = reason;
    load_error_ = entry.name + ": " + reason;
    return std::nullopt;
  }
  return NvDownloadItem{
      key, entry.name, entry.path, entry.brightness,
      DefineCommand(static_cast<uint8_t>(key[0]), static_cast<uint8_t>(key[1]), raster)};
}
void CCommonNv::EndDownload(bool stored) {
  if (stored) image_count_ = static_cast<uint32_t>(download_list_.size());
  download_list_.clear();
}

}  // namespace nv
