#include "link/discovery_logs.h"

#include <cstdio>

namespace devlink {
void StdoutDiscoveryLog::Line(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void TraceDiscoveryLog::Line(const std::string& text) { trace_.Trace(text); }
}  // namespace devlink
