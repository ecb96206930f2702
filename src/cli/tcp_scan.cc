// ParseCidr and ScanTcp of discover.h.

#include <algorithm>
#include <atomic>
#include <charconv>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "cli/discover.h"
#include "cli/printer_services.h"
#include "platform/devices/ipv4.h"
#include "platform/devices/posix_tcp_socket.h"
#include "platform/system/clock.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"

namespace cli {
namespace {

// A larger range takes hours at any sensible time-out and is almost surely a typing mistake.
constexpr uint32_t kShortestPrefix = 16;
std::string Dotted(uint32_t address) {
  return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
         std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

// Nothing when the host refused or did not answer within the time-out.
std::optional<DiscoveredPrinter> Probe(platform::Services& services, uint32_t address,
                                       const ScanOptions& options) {
  const std::string dotted = Dotted(address);
  {
    // A short connect first: the link's own connect waits seconds for an absent host.
    platform::PosixTcpSocket probe(services.clock, options.timeout_ms);
    if (!probe.Connect(dotted, options.port)) return std::nullopt;
  }
  DiscoveredPrinter found;
  found.address = "tcp://" + dotted + ":" + std::to_string(options.port);
  found.kind = "tcp";
  protocol::CCommonUtil util(services);
  util.SetLinkSettings(
      {.interface = devlink::CDev::kInterfaceTcp, .port_name = dotted, .tcp_port = options.port});
  if (!util.OpenLink()) {
    found.note = "accepted a connection, then refused the next one";
    return found;
  }
  const protocol::Result model = util.GetPrinterInfo(protocol::CCommonUtil::kModel);
  if (model == protocol::kResultNotAccepted) {
    found.model = util.refused_name();
    found.note = "not a TMQ-D550 (answered the model query with another model)";
    return found;
  }
  if (model != protocol::kResultOk) {
    // Silence does not tell another device from a printer busy with another program.
    found.note =
        "no usable answer to the model query (busy with another program, or not a "
        "TMQ-D550)";
    return found;
  }
  found.model = util.identity().model_name;
  // A failed query closes the link: what is known so far is reported.
  if (util.GetPrinterInfo(protocol::CCommonUtil::kMaker) != protocol::kResultOk) {
    found.note = "maker not recognised";
    return found;
  }
  found.maker = protocol::kMakerName;
  if (util.GetPrinterInfo(protocol::CCommonUtil::kFirmwareVersion) == protocol::kResultOk) {
    found.firmware = util.identity().firmware_version_text;
  } else {
    found.note = "no answer to the firmware version query";
  }
  return found;
}

}  // namespace

bool ParseCidr(std::string_view text, uint32_t* first, uint32_t* count, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = "\"" + std::string(text) + "\": " + why;
    return false;
  };
  const size_t slash = text.find('/');
  const std::string address_text(text.substr(0, slash));
  const std::optional<uint32_t> parsed = platform::ParseIpv4(address_text);
  if (!parsed) {
    return fail("not an IPv4 range; write it as ADDRESS/BITS, e.g. 192.0.2.0/24");
  }
  uint32_t bits = 32;
  if (slash != std::string_view::npos) {
    const std::string_view bits_text = text.substr(slash + 1);
    const char* end = bits_text.data() + bits_text.size();
    const auto [ptr, ec] = std::from_chars(bits_text.data(), end, bits);
    if (bits_text.empty() || ec != std::errc() || ptr != end || bits > 32) {
      return fail("the prefix length after '/' must be a number from 16 to 32");
    }
    if (bits < kShortestPrefix) {
      return fail("at most a /16 (65536 addresses) is scanned at once; split the range");
    }
  }
  const uint32_t host_count = bits == 32 ? 1u : (1u << (32 - bits));
  *first = *parsed & ~(host_count - 1);
  *count = host_count;
  return true;
}

std::vector<DiscoveredPrinter> ScanTcp(const ScanOptions& options, std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return std::vector<DiscoveredPrinter>();
  };
  uint32_t first = 0;
  uint32_t count = 0;
  if (!ParseCidr(options.cidr, &first, &count, error)) return {};
  if (options.port == 0) return fail("the scan port must be from 1 to 65535");
  if (options.jobs < 1 || options.jobs > kMaxScanJobs) {
    return fail("the number of parallel probes must be from 1 to " + std::to_string(kMaxScanJobs));
  }
  if (options.timeout_ms < 1 || options.timeout_ms > kMaxScanTimeoutMs) {
    return fail("the scan time-out must be from 1 to " + std::to_string(kMaxScanTimeoutMs) + " ms");
  }

  std::atomic<uint32_t> next{0};
  std::mutex found_mutex;
  std::vector<std::pair<uint32_t, DiscoveredPrinter>> found;
  const auto work = [&] {
    // Each worker owns its platform: the link's objects are not shared between threads.
    const std::unique_ptr<PrinterServices> worker = MakeRealPrinterServices(PrinterAddress{});
    for (uint32_t index = next++; index < count; index = next++) {
      std::optional<DiscoveredPrinter> printer = Probe(worker->services(), first + index, options);
      if (!printer) continue;
      const std::lock_guard<std::mutex> lock(found_mutex);
      found.emplace_back(index, std::move(*printer));
    }
  };
  {
    std::vector<std::jthread> workers;
    const uint32_t wanted = std::min<uint32_t>(static_cast<uint32_t>(options.jobs), count);
    for (uint32_t i = 0; i < wanted; ++i) {
      try {
        workers.emplace_back(work);
      } catch (const std::system_error&) {
        break;  // the threads already running share the rest
      }
    }
    if (workers.empty()) return fail("cannot start the scan: no thread could be created");
  }  // joined here
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<DiscoveredPrinter> result;
  result.reserve(found.size());
  for (auto& [index, printer] : found) result.push_back(std::move(printer));
  return result;
}

}  // namespace cli
