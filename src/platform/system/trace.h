#pragma once

#include <string_view>

namespace platform {

// Diagnostic texts of the protocol layers (traffic lines, identification notes). The default sink
// records nothing; a debug build or a user who asks for a log can plug in one that writes.
class TraceSink {
 public:
  virtual ~TraceSink() = default;
  virtual void Trace(std::string_view text) = 0;
  // False when texts go nowhere, so that callers need not build them.
  virtual bool Enabled() const { return true; }
};

class NullTrace : public TraceSink {
 public:
  void Trace(std::string_view) override {}
  bool Enabled() const override { return false; }
};

// Writes each text to a file descriptor (standard error for the programs' --trace style logs).
class FdTrace : public TraceSink {
 public:
  explicit FdTrace(int fd) : fd_(fd) {}
  void Trace(std::string_view text) override;

 private:
  int fd_;
};

}  // namespace platform
