#include "platform/devices/serial_devices.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

namespace platform {
namespace {

constexpr std::array<std::string_view, 4> kPrefixes = {"ttyS", "ttyUSB", "ttyACM", "rfcomm"};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) names.emplace_back(entry->d_name);
  return names;
}

// The number after `prefix` in `name` (at most 9 digits), or nullopt when `name` is not that kind
// of device ("ttyS" must not take "ttySAC0" or "ttyS").
std::optional<unsigned> DeviceNumber(std::string_view name, std::string_view prefix) {
  if (name.substr(0, prefix.size()) != prefix || name.size() == prefix.size() ||
      name.size() - prefix.size() > 9) {
    return std::nullopt;
  }
  unsigned number = 0;
  for (char c : name.substr(prefix.size())) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return number;
}

// The 8250 driver reports a port type of 0 where no UART answered.
bool UartAbsent(const std::string& sysfs_root, const std::string& name) {
  std::ifstream type(sysfs_root + "/class/tty/" + name + "/type");
  int value = -1;
  return type >> value && value == 0;
}

}  // namespace

SerialDevices::SerialDevices(std::string dev_root, std::string sysfs_root)
    : dev_root_(std::move(dev_root)), sysfs_root_(std::move(sysfs_root)) {}

std::vector<std::string> SerialDevices::List() const {
  // The stable names point at their device ("../../ttyUSB0"); group them under its name.
  std::map<std::string, std::vector<std::string>> by_id;
  const std::string by_id_folder = dev_root_ + "/serial/by-id";
  for (const std::string& link : Names(by_id_folder)) {
    if (link == "." || link == "..") continue;
    const std::string path = by_id_folder + "/" + link;
    char target[4096];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    const std::string_view to(target, static_cast<size_t>(n));
    const size_t slash = to.rfind('/');
    by_id[std::string(slash == std::string_view::npos ? to : to.substr(slash + 1))].push_back(path);
  }

  std::vector<std::string> paths;
  const std::vector<std::string> names = Names(dev_root_);
  for (std::string_view prefix : kPrefixes) {
    std::vector<std::pair<unsigned, std::string>> found;
    for (const std::string& name : names) {
      const std::optional<unsigned> number = DeviceNumber(name, prefix);
      if (!number) continue;
      if (prefix == "ttyS" && UartAbsent(sysfs_root_, name)) continue;
      found.emplace_back(*number, name);
    }
    std::sort(found.begin(), found.end());
    for (const auto& [number, name] : found) {
      paths.push_back(dev_root_ + "/" + name);
      auto links = by_id.find(name);
      if (links == by_id.end()) continue;
      std::sort(links->second.begin(), links->second.end());
      paths.insert(paths.end(), links->second.begin(), links->second.end());
    }
  }
  return paths;
}

}  // namespace platform
