#pragma once

// Host names turned into the addresses a TCP socket connects to. Behind an interface so tests
// answer for names themselves and never ask a real name service.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

struct HostLookup {
  // IPv4 and IPv6 addresses in the order to try them; empty when the name did not resolve.
  std::vector<std::string> addresses;
  // Why it did not resolve, in the name service's words ("Name or service not known").
  std::string error;
};

class HostResolver {
 public:
  virtual ~HostResolver() = default;
  // May be called from several threads at once.
  virtual HostLookup Resolve(const std::string& name) = 0;
};

// The system's name service (hosts file, DNS...), bounded in time: the system call has no time
// limit of its own that a program can set, so it runs on a thread of its own and a lookup that
// has not answered within the bound is reported as failed and left to finish unseen.
class SystemHostResolver : public HostResolver {
 public:
  // Longer than the usual name service time-out for one server (5 s), short enough that a run
  // with a dead name server ends.
  static constexpr uint32_t kDefaultTimeoutMs = 10000;

  // The blocking lookup; replaced only in tests.
  using Lookup = std::function<HostLookup(const std::string& name)>;
  static HostLookup SystemLookup(const std::string& name);

  explicit SystemHostResolver(uint32_t timeout_ms = kDefaultTimeoutMs, Lookup lookup = SystemLookup)
      : timeout_ms_(timeout_ms), lookup_(std::move(lookup)) {}

  HostLookup Resolve(const std::string& name) override;

 private:
  uint32_t timeout_ms_;
  Lookup lookup_;
};

}  // namespace platform
