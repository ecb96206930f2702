#include "platform/system/resource_limits.h"

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform {
namespace {

std::optional<uint64_t> ReadNumber(const char* path) {
  std::ifstream in(path);
  uint64_t value = 0;
  if (in >> value) return value;
  return std::nullopt;
}

// Threads of this process now, from /proc/self/status.
}  // namespace

OpenFileLimit RaiseOpenFileLimit() {
  OpenFileLimit limit;
  rlimit r{};
  if (getrlimit(RLIMIT_NOFILE, &r) == 0) {
    if (r.rlim_cur != r.rlim_max) {
      rlimit raised = r;
      raised.rlim_cur = r.rlim_max;
      if (setrlimit(RLIMIT_NOFILE, &raised) == 0) r = raised;
    }
    limit.soft = r.rlim_cur == RLIM_INFINITY ? UINT64_MAX : r.rlim_cur;
    limit.hard = r.rlim_max == RLIM_INFINITY ? UINT64_MAX : r.rlim_max;
  }
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    ++limit.in_use;
  }
  return limit;
}

std::optional<uint64_t> StackLimit() {
  // Each stack is two maps (the stack and its guard page); the program's own maps come first.
  const auto maps = ReadNumber("/proc/sys/vm/max_map_count");
  if (!maps) return std::nullopt;
  constexpr uint64_t kOwnMaps = 1000;
  return *maps > kOwnMaps ? (*maps - kOwnMaps) / 2 : 0;
}

std::optional<uint64_t> AvailableMemoryBytes() {
  std::ifstream in("/proc/meminfo");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("MemAvailable:", 0) == 0) return std::stoull(line.substr(13)) * 1024;  // kB
  }
  return std::nullopt;
}

}  // namespace platform
