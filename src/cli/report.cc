#include "cli/report.h"

#include <cstdio>

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
std::string OneLine(const std::string& text) {
  std::string line;
  bool line_end = false;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      line_end = true;
      continue;
    }
    if (line_end && !line.empty()) line += " - ";
    line_end = false;
    if (line.empty() && c == ' ') continue;
    line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  }
  return line;
}

std::string Pad(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size() + 1, ' ');
}

}  // namespace

std::string JsonLine(const std::string& address, const PrinterOutcome& outcome) {
  nlohmann::ordered_json line;
  line["address"] = address;
  line["result"] = outcome.ok ? "ok" : "failed";
  line["changed"] = outcome.changed ? nlohmann::ordered_json(*outcome.changed) : nullptr;
  line["message"] = outcome.message;
  line["duration"] = static_cast<double>(outcome.duration_ms) / 1000.0;  // seconds
  for (const auto& [key, value] : outcome.data.items()) line[key] = value;
  // Texts from a printer may hold bytes that are not UTF-8; they are replaced, never fatal.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string TableHeader(size_t address_width) {
  return Pad("PRINTER", address_width) + "RESULT  CHANGED  SECONDS  MESSAGE\n";
}

std::string TableLines(const std::string& address, const PrinterOutcome& outcome,
                       size_t address_width) {
  const char* changed = !outcome.changed ? "-" : *outcome.changed ? "yes" : "no";
  char columns[64];
  std::snprintf(columns, sizeof columns, "%-7s %-8s %7s  ", outcome.ok ? "ok" : "failed", changed,
                Seconds(outcome.duration_ms).c_str());
  std::string lines = Pad(address, address_width) + columns + OneLine(outcome.message) + "\n";
  for (const std::string& detail : outcome.details) lines += "    " + detail + "\n";
  return lines;
}

Reporter::Reporter(std::ostream& out, bool json, size_t address_width, ProgressBoard* board)
    : out_(out), json_(json), address_width_(address_width), board_(board) {}

void Reporter::Begin() {
  if (json_) return;
  std::lock_guard lock(mutex_);
  out_ << TableHeader(address_width_) << std::flush;
}

void Reporter::Report(const std::string& address, const PrinterOutcome& outcome) {
  const std::string text =
      json_ ? JsonLine(address, outcome) : TableLines(address, outcome, address_width_);
  std::lock_guard lock(mutex_);
  if (board_ != nullptr) {
    board_->Write(out_, text);
  } else {
    out_ << text << std::flush;
  }
}

}  // namespace cli
