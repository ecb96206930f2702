#pragma once

// The chosen images and their brightness, kept between runs under the program's registry key in
// "NV": "image001" .. "image254" hold "<path>,<brightness as three digits>", "Count" the engine's
// image count value.

#include <functional>
#include <string>

#include "nvimage/common_nv.h"
#include "platform/registry/registry.h"

namespace nv {

inline constexpr char kImageListKey[] = "Software\\Korvane\\Pelliset\\NV";
inline constexpr char kAreaTooSmall[] = "NV image area too small!";

// One stored value split into its path and brightness. The brightness follows the last comma
// (a path may hold commas itself), read as far as its first three characters are digits, and
// limited to 100; a value without a comma is all path, brightness 0.
struct StoredImage {
  std::string path;
  int brightness = 0;
};
StoredImage ParseStoredImage(const std::string& value);
// "<path>,<brightness as three digits>".
std::string FormatStoredImage(const NvImageEntry& entry);

// Replaces the engine's image list with the stored one. Reading stops at the first missing or
// empty value. A file that no longer loads is skipped silently; an image that cannot be kept
// (the NV image area would overflow, or it is too tall for one image) is skipped and `refused`
// gets the message to show: for a full area, the program's own `area_too_small` text.
void LoadImageList(platform::Registry& registry, CCommonNv& nv,
                   const std::function<void(const std::string& message)>& refused,
                   const char* area_too_small = kAreaTooSmall);
// Deletes every stored value, then writes the engine's list and count, all as one update.
// False (registry.LastError() says why) when the store could not be written; it then holds
// what it held before.
bool SaveImageList(platform::Registry& registry, const CCommonNv& nv);
// Writes "Count" only (after a download).
void SaveImageCount(platform::Registry& registry, const CCommonNv& nv);

}  // namespace nv
