#include "ui/automation/automation_host.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/system/console.h"
#include "platform/system/diagnostics.h"

namespace ui {

LineSource::Status StreamLineSource::ReadLine(std::string* line, uint32_t /*timeout_ms*/) {
  line->clear();
  bool too_long = false;
  bool any = false;
  for (;;) {
    const int c = in_.get();
    if (c == std::char_traits<char>::eof()) break;
    any = true;
    if (c == '\n') break;
    if (line->size() < kMaxCommandLine) {
      line->push_back(static_cast<char>(c));
    } else {
      too_long = true;
    }
  }
  if (!any) return Status::kEnd;
  if (too_long) {
    line->clear();
    return Status::kTooLong;
  }
  return Status::kLine;
}

struct FdLineSource::Impl {
  int fd = 0;
  std::string buffer;
  bool at_end = false;
  bool discarding = false;  // inside an over-long line: drop bytes up to its end
};

FdLineSource::FdLineSource(int fd) : impl_(std::make_unique<Impl>()) { impl_->fd = fd; }
FdLineSource::~FdLineSource() = default;

LineSource::Status FdLineSource::ReadLine(std::string* line, uint32_t timeout_ms) {
  Impl& s = *impl_;
  for (;;) {
    const size_t nl = s.buffer.find('\n');
    if (nl != std::string::npos) {
      const bool was_discarding = s.discarding;
      s.discarding = false;
      *line = s.buffer.substr(0, nl);
      s.buffer.erase(0, nl + 1);
      if (was_discarding) {
        line->clear();
        return Status::kTooLong;
      }
      return Status::kLine;
    }
    if (s.buffer.size() > kMaxCommandLine) {
      s.buffer.clear();
      s.discarding = true;
    }
    if (s.at_end) {
      if (s.discarding) {
        s.discarding = false;
        line->clear();
        return Status::kTooLong;
      }
      if (s.buffer.empty()) return Status::kEnd;
      *line = std::move(s.buffer);
      s.buffer.clear();
      return Status::kLine;
    }
    if (platform::WaitReadable(s.fd, timeout_ms) == platform::WaitResult::kTimeout) {
      return Status::kTimeout;
    }
    char chunk[4096];
    const long n = platform::ReadSome(s.fd, chunk, sizeof chunk);
    if (n <= 0) {
      s.at_end = true;  // end of input, or a read error that ends it just the same
    } else {
      s.buffer.append(chunk, static_cast<size_t>(n));
    }
  }
}

AutomationHost::AutomationHost(platform::Clock& clock, LineSource& input, std::ostream& output,
                               Resources resources)
    : LoopHost(clock, std::move(resources)), input_(input), output_(output) {}

int AutomationHost::ExitCode(int program_result) const {
  if (ErrorCount() == 0 && !output_lost_) return program_result;
  return program_result == 0 ? 1 : program_result;
}

LoopHost::FetchStatus AutomationHost::Fetch(uint32_t timeout_ms, Command* command) {
  std::string line;
  switch (input_.ReadLine(&line, timeout_ms)) {
    case LineSource::Status::kTimeout:
      return FetchStatus::kTimeout;
    case LineSource::Status::kEnd:
      return FetchStatus::kEnd;
    case LineSource::Status::kTooLong:
      ++line_number_;
      Error("line " + std::to_string(line_number_) + ": longer than " +
            std::to_string(kMaxCommandLine) + " characters; skipped");
      return FetchStatus::kTimeout;  // back to the loop, so due timers run first
    case LineSource::Status::kLine:
      break;
  }
  ++line_number_;
  ParseResult r = ParseCommand(line);
  if (!r.error.empty()) {
    Error("line " + std::to_string(line_number_) + ": " + r.error);
    return FetchStatus::kTimeout;
  }
  if (!r.command) return FetchStatus::kTimeout;  // blank or comment
  *command = std::move(*r.command);
  return FetchStatus::kCommand;
}

void AutomationHost::Emit(const Event& event) {
  if (output_lost_) return;
  errno = 0;
  output_ << event.json << '\n';
  output_.flush();
  if (output_) return;
  // The events are the script's results: losing them fails the run, and says so where it can.
  const int error = errno;
  output_lost_ = true;
  platform::Diagnose(std::string("the events could not be written to standard output") +
                     (error != 0 ? std::string(": ") + std::strerror(error) : std::string()));
}

}  // namespace ui
