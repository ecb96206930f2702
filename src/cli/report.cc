#include "cli/report.h"

#include <algorithm>
#include <cstdio>

#include "cli/quote.h"

namespace cli {
namespace {

// Seconds with millisecond precision, as the automation events write them.
std::string Seconds(uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

// A failure's lines on one table line; no control byte reaches the terminal.
// `text` with its lines (\n, \r\n or \r) parted by `separator`, without empty lines, leading
// blanks or control characters.
// The message's lines joined by `separator`, blanks before the first text dropped, each shown
// ScreenSafe.
std::string JoinedLines(const std::string& text, const char* separator) {
  std::string joined;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string_view line = std::string_view(text).substr(start, end - start);
    // Blanks before the first text go; lines after it keep their indent.
    while (joined.empty() && !line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (!line.empty()) {
      if (!joined.empty()) joined += separator;
      joined += ScreenSafe(line);
    }
    start = end + 1;
  }
  return joined;
}

std::string OneLine(const std::string& text) { return JoinedLines(text, " - "); }

std::string Pad(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size() + 1, ' ');
}

}  // namespace

const char* ResultWord(const PrinterOutcome& outcome) {
  if (outcome.ok) return "ok";
  switch (outcome.halt) {
    case Halt::kInterrupted:
      return "interrupted";
    case Halt::kNotRun:
      return "not run";
    case Halt::kNone:
      break;
  }
  return "failed";
}

std::string JsonLine(const std::string& address, const PrinterOutcome& outcome) {
  nlohmann::ordered_json line;
  line["address"] = address;
  line["result"] = ResultWord(outcome);
  line["changed"] = outcome.changed ? nlohmann::ordered_json(*outcome.changed) : nullptr;
  line["message"] = JoinedLines(outcome.message, "\n");
  line["duration"] = static_cast<double>(outcome.duration_ms) / 1000.0;  // seconds
  for (const auto& [key, value] : outcome.data.items()) line[key] = value;
  // Texts from a printer may hold bytes that are not UTF-8; they are replaced, never fatal.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string TableHeader(size_t address_width) {
  return Pad("PRINTER", address_width) + "RESULT       CHANGED  SECONDS  MESSAGE\n";
}

std::string TableLines(const std::string& address, const PrinterOutcome& outcome,
                       size_t address_width) {
  const char* changed = !outcome.changed ? "-" : *outcome.changed ? "yes" : "no";
  char columns[64];
  std::snprintf(columns, sizeof columns, "%-12s %-8s %7s  ", ResultWord(outcome), changed,
                Seconds(outcome.duration_ms).c_str());
  std::string lines = Pad(address, address_width) + columns + OneLine(outcome.message) + "\n";
  for (const std::string& detail : outcome.details) lines += "    " + ScreenSafe(detail) + "\n";
  return lines;
}

RunSummary Summarize(const std::vector<std::string>& addresses,
                     const std::vector<PrinterOutcome>& outcomes) {
  RunSummary s;
  s.printers = outcomes.size();
  std::vector<size_t> ran;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    const PrinterOutcome& o = outcomes[i];
    if (o.ok) {
      ++s.ok;
      if (o.changed) ++(*o.changed ? s.changed : o.would_change ? s.would_change : s.unchanged);
    } else if (o.halt == Halt::kInterrupted) {
      ++s.interrupted;
    } else if (o.halt == Halt::kNotRun) {
      ++s.not_run;
    } else {
      ++s.failed;
    }
    if (o.halt != Halt::kNotRun) ran.push_back(i);
  }
  const size_t shown = std::min(kSlowestShown, ran.size());
  std::partial_sort(
      ran.begin(), ran.begin() + static_cast<std::ptrdiff_t>(shown), ran.end(),
      [&](size_t a, size_t b) { return outcomes[a].duration_ms > outcomes[b].duration_ms; });
  for (size_t k = 0; k < shown; ++k) {
    s.slowest.push_back({addresses[ran[k]], outcomes[ran[k]].duration_ms});
  }
  return s;
}

std::string SummaryLine(const RunSummary& s) {
  std::string line = std::to_string(s.ok) + " ok";
  if (s.changed + s.would_change + s.unchanged > 0) {
    line += " (" +
            (s.would_change > 0 ? std::to_string(s.would_change) + " would change"
                                : std::to_string(s.changed) + " changed") +
            ", " + std::to_string(s.unchanged) + " unchanged)";
  }
  line += ", " + std::to_string(s.failed) + " failed";
  if (s.interrupted > 0) line += ", " + std::to_string(s.interrupted) + " interrupted";
  if (s.not_run > 0) line += ", " + std::to_string(s.not_run) + " not run";
  for (size_t k = 0; k < s.slowest.size(); ++k) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f",
                  static_cast<double>(s.slowest[k].duration_ms) / 1000.0);
    line += (k == 0 ? "; slowest: " : ", ") + OneLine(s.slowest[k].address) + " " + seconds + " s";
  }
  return line;
}

std::string SummaryJson(const RunSummary& s) {
  nlohmann::ordered_json slowest = nlohmann::ordered_json::array();
  for (const RunSummary::Slow& slow : s.slowest) {
    slowest.push_back(
        {{"address", slow.address}, {"seconds", static_cast<double>(slow.duration_ms) / 1000.0}});
  }
  nlohmann::ordered_json counts = {
      {"printers", s.printers},       {"ok", s.ok},
      {"changed", s.changed},         {"would_change", s.would_change},
      {"unchanged", s.unchanged},     {"failed", s.failed},
      {"interrupted", s.interrupted}, {"not_run", s.not_run},
      {"slowest", slowest},
  };
  nlohmann::ordered_json line = {{"summary", counts}};
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

Reporter::Reporter(std::ostream& out, bool json, size_t address_width, ProgressBoard* board,
                   size_t printers)
    : out_(out),
      json_(json),
      address_width_(address_width),
      board_(board),
      waiting_(json ? 0 : printers) {}

void Reporter::Begin() {
  if (json_) return;
  std::lock_guard lock(mutex_);
  if (board_ != nullptr) {
    board_->Write(out_, TableHeader(address_width_));
  } else {
    out_ << TableHeader(address_width_) << std::flush;
  }
}

void Reporter::Report(size_t index, const std::string& address, const PrinterOutcome& outcome) {
  std::string text =
      json_ ? JsonLine(address, outcome) : TableLines(address, outcome, address_width_);
  std::lock_guard lock(mutex_);
  if (!json_ && index < waiting_.size()) {
    // This line and every waiting one after it, up to the next printer still at work.
    waiting_[index] = std::move(text);
    text.clear();
    for (; next_ < waiting_.size() && waiting_[next_]; ++next_) {
      text += *waiting_[next_];
      waiting_[next_].reset();
    }
    if (text.empty()) return;
  }
  if (board_ != nullptr) {
    board_->Write(out_, text);
  } else {
    out_ << text << std::flush;
  }
}

}  // namespace cli
