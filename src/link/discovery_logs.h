#pragma once

#include <string>

#include "link/usb_discovery.h"
#include "platform/system/trace.h"

namespace devlink {
// Discovery lines into a trace sink the program picks so that they cannot disturb its screen.
class TraceDiscoveryLog : public DiscoveryLog {
 public:
  explicit TraceDiscoveryLog(platform::TraceSink& trace) : trace_(trace) {}
  void Line(const std::string& text) override { trace_.Trace(text); }

 private:
  platform::TraceSink& trace_;
};
}  // namespace devlink
