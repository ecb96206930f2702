#include "cli/fleet_limits.h"

#include <algorithm>
#include <thread>

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
  limits.cpus = std::thread::hardware_concurrency();
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
  // Every printer worked at once may be one whose name is being looked up, as many as there are
  // names: the files of `jobs` printers at once.
  const auto files_for = [host_names](uint64_t jobs) {
    return jobs * kFilesPerPrinter + std::min<uint64_t>(jobs, host_names) * kFilesPerLookup;
  };
  const uint64_t loops = FleetLoops(wanted, limits.cpus);
  const uint64_t reserved = kFilesReserved + loops * kFilesPerLoop + limits.files_in_use;
  const uint64_t files_needed = files_for(wanted) + reserved;
  const uint64_t spare_files = limits.open_files > reserved ? limits.open_files - reserved : 0;
  std::string raise = "raise it with `ulimit -n " + std::to_string(files_needed) + "`";
  if (limits.open_files_hard < files_needed) {
    raise += " (above the hard limit of " + std::to_string(limits.open_files_hard) +
             ", which an administrator sets)";
  }
  // The most printers whose files fit: those with names to look up first, then the others.
  const uint64_t named_fit = spare_files / (kFilesPerPrinter + kFilesPerLookup);
  const uint64_t fit = named_fit < host_names
                           ? named_fit
                           : host_names + (spare_files - files_for(host_names)) / kFilesPerPrinter;
  lower_to(fit, "that many need about " + std::to_string(files_needed) +
                    " open files and the system allows this program " +
                    std::to_string(limits.open_files) + "; " + raise);
  if (limits.stacks) {
    const uint64_t spare = loops * kStacksPerLoop;
    lower_to(*limits.stacks > spare ? *limits.stacks - spare : 0,
             "that many need a stack each and the system's memory maps allow " +
                 std::to_string(*limits.stacks) + " more (vm.max_map_count)");
  }
  if (limits.memory_bytes) {
    const uint64_t mib = *limits.memory_bytes >> 20;
    lower_to(*limits.memory_bytes / kMemoryPerPrinter,
             "that many need about " + std::to_string(wanted * kMemoryPerPrinter >> 20) +
                 " MiB of memory and " + std::to_string(mib) + " MiB are available");
  }
  if (result.jobs < wanted) {
    result.notice = "working " + std::to_string(result.jobs) +
                    (result.jobs == 1 ? " printer" : " printers") + " at a time, not " +
                    std::to_string(wanted) + ": " + why + ", or choose fewer with -j";
  }
  return result;
}

}  // namespace cli
