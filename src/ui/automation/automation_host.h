#pragma once

// The automation host: commands from standard input (a pipe or a regular file), one JSON event a
// line on standard output, real time. Parsing and applying commands is the shared LoopHost
// engine; this front end reads lines (with the time-out of the next timer, so timers keep firing
// while no input arrives) and writes events.

#include <cstdint>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "platform/system/clock.h"
#include "ui/core/loop_host.h"

namespace ui {

// Longest command line accepted; a longer one is reported as an error and skipped.
inline constexpr size_t kMaxCommandLine = 65536;

class LineSource {
 public:
  enum class Status { kLine, kTimeout, kEnd, kTooLong };
  virtual ~LineSource() = default;
  // The next line without its line end; waits at most `timeout_ms` (UINT32_MAX: no limit).
  virtual Status ReadLine(std::string* line, uint32_t timeout_ms) = 0;
};

// Lines from a stream that is always ready (a file, a string stream in tests): never times out.
class StreamLineSource : public LineSource {
 public:
  explicit StreamLineSource(std::istream& in) : in_(in) {}
  Status ReadLine(std::string* line, uint32_t timeout_ms) override;

 private:
  std::istream& in_;
};

// Lines from a file descriptor (standard input), waiting with poll.
class FdLineSource : public LineSource {
 public:
  explicit FdLineSource(int fd);
  ~FdLineSource() override;
  Status ReadLine(std::string* line, uint32_t timeout_ms) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

class AutomationHost : public LoopHost {
 public:
  AutomationHost(platform::Clock& clock, LineSource& input, std::ostream& output,
                 Resources resources = {});
  // The program's exit status: `program_result` when no error event was written and every event
  // reached the output, else 1 when program_result is 0 and program_result otherwise.
  int ExitCode(int program_result) const;

 protected:
  FetchStatus Fetch(uint32_t timeout_ms, Command* command) override;
  void Emit(const Event& event) override;

 private:
  LineSource& input_;
  std::ostream& output_;
  uint64_t line_number_ = 0;
  bool output_lost_ = false;  // a write failed; nothing more is written
};

}  // namespace ui
