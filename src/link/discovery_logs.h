#pragma once

#include <string>

#include "link/usb_discovery.h"
#include "platform/system/trace.h"

namespace devlink {
// Discovery lines on standard output (the programs run without a terminal screen of their own).
class StdoutDiscoveryLog : public DiscoveryLog {
 public:
  void Line(const std::string& text) override;
};

// Discovery lines into the trace sink, for when standard output is the user interface's screen.
class TraceDiscoveryLog : public DiscoveryLog {
 public:
  explicit TraceDiscoveryLog(platform::TraceSink& trace) : trace_(trace) {}
  void Line(const std::string& text) override;

 private:
  platform::TraceSink& trace_;
};
}  // namespace devlink
