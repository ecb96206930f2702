#include "cli/fleet_limits.h"

#include <algorithm>

#include "cli/fleet.h"
#include "platform/system/resource_limits.h"

namespace cli {

SystemLimits ReadSystemLimits() {
  const platform::OpenFileLimit files = platform::RaiseOpenFileLimit();
  SystemLimits limits;
  limits.open_files = files.soft;
  limits.open_files_hard = files.hard;
  limits.files_in_use = files.in_use;
  limits.stacks = platform::StackLimit();
  limits.memory_bytes = platform::AvailableMemoryBytes();
  return limits;
}

Concurrency ChooseConcurrency(size_t printers, size_t host_names, std::optional<size_t> requested,
                              const SystemLimits& limits) {
  Concurrency result;
  const size_t wanted = std::clamp<size_t>(requested.value_or(printers), 1,
                                           std::clamp<size_t>(printers, 1, kMaxJobs));
  result.jobs = wanted;
  std::string why;
  auto lower_to = [&](uint64_t allowed, const std::string& reason) {
    allowed = std::max<uint64_t>(allowed, 1);
    if (allowed >= result.jobs) return;
    result.jobs = static_cast<size_t>(allowed);
    why = reason;
  };
  // Any printer at once may be one whose name is being looked up, so a list with names counts
  // their files for every printer worked at once.
  const uint64_t files_per_printer = kFilesPerPrinter + (host_names > 0 ? kFilesPerLookup : 0);
  const uint64_t files_needed = wanted * kFilesPerPrinter +
                                std::min<uint64_t>(wanted, host_names) * kFilesPerLookup +
                                kFilesReserved + limits.files_in_use;
  const uint64_t spare_files = limits.open_files > kFilesReserved + limits.files_in_use
                                   ? limits.open_files - kFilesReserved - limits.files_in_use
                                   : 0;
  std::string raise = "raise it with `ulimit -n " + std::to_string(files_needed) + "`";
  if (limits.open_files_hard < files_needed) {
    raise += " (above the hard limit of " + std::to_string(limits.open_files_hard) +
             ", which an administrator sets)";
  }
  lower_to(spare_files / files_per_printer, "that many need about " + std::to_string(files_needed) +
                                                " open files and the system allows this program " +
                                                std::to_string(limits.open_files) + "; " + raise);
  if (limits.stacks) {
    lower_to(*limits.stacks, "that many need a stack each and the system's memory maps allow " +
                                 std::to_string(*limits.stacks) + " more (vm.max_map_count)");
  }
  if (limits.memory_bytes) {
    const uint64_t mib = *limits.memory_bytes >> 20;
    lower_to(*limits.memory_bytes / kMemoryPerPrinter,
             "that many need about " + std::to_string(wanted * kMemoryPerPrinter >> 20) +
                 " MiB of memory and " + std::to_string(mib) + " MiB are available");
  }
  if (result.jobs < wanted) {
    result.notice = "working " + std::to_string(result.jobs) + " printers at a time, not " +
                    std::to_string(wanted) + ": " + why + ", or choose fewer with -j";
  }
  return result;
}

}  // namespace cli
