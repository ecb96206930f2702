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
uint64_t ThreadsNow() {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Threads:", 0) == 0) return std::stoull(line.substr(8));
  }
  return 1;
}

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

std::optional<uint64_t> ThreadLimit() {
  std::optional<uint64_t> limit;
  auto least = [&](uint64_t value) { limit = limit ? std::min(*limit, value) : value; };
  const uint64_t now = ThreadsNow();
  rlimit r{};
  if (getrlimit(RLIMIT_NPROC, &r) == 0 && r.rlim_cur != RLIM_INFINITY) {
    least(r.rlim_cur > now ? r.rlim_cur - now : 0);
  }
  if (const auto most = ReadNumber("/proc/sys/kernel/threads-max")) {
    least(*most > now ? *most - now : 0);
  }
  // Each stack is two maps (the stack and its guard page); the program's own maps come first.
  if (const auto maps = ReadNumber("/proc/sys/vm/max_map_count")) {
    constexpr uint64_t kOwnMaps = 1000;
    least(*maps > kOwnMaps ? (*maps - kOwnMaps) / 2 : 0);
  }
  return limit;
}

std::optional<uint64_t> AvailableMemoryBytes() {
  std::ifstream in("/proc/meminfo");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("MemAvailable:", 0) == 0) return std::stoull(line.substr(13)) * 1024;  // kB
  }
  return std::nullopt;
}

}  // namespace platform
