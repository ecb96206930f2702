#include "cli/progress_board.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "cli/quote.h"
#include "platform/system/utf8_text.h"

namespace cli {
namespace {

constexpr int kBarWidth = 20;
// Redraws are limited to ten a second: a transfer reports every percent.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// The line is cut to this width, or one less than the terminal's, so that it never wraps (a
// wrapped line cannot be drawn over).
constexpr size_t kMaxLineWidth = 79;

std::string Bar(int percent) {
  const int filled = std::clamp(percent, 0, 100) * kBarWidth / 100;
  return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";
}

}  // namespace

ProgressBoard::ProgressBoard(std::ostream& err, size_t columns, size_t printers)
    : err_(err),
      enabled_(columns > 1),
      max_width_(std::min(kMaxLineWidth, columns > 1 ? columns - 1 : 0)),
      rows_(printers) {
  try {
    writer_ = std::thread([this] { WriteOut(); });
  } catch (const std::system_error&) {
    // No thread to be had: the board writes in the callers' threads.
  }
}

ProgressBoard::~ProgressBoard() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  wake_.notify_one();
  if (writer_.joinable()) writer_.join();
}

void ProgressBoard::WriteOut() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return !pending_.empty() || closing_; });
    if (pending_.empty()) return;
    std::deque<Piece> batch;
    batch.swap(pending_);
    writing_ = true;
    lock.unlock();
    for (const Piece& piece : batch) *piece.to << piece.bytes << std::flush;
    lock.lock();
    writing_ = false;
    drained_.notify_all();
  }
}

void ProgressBoard::Emit(std::ostream& to, std::string bytes) {
  if (!writer_.joinable()) {
    to << bytes << std::flush;
    return;
  }
  pending_.push_back({&to, std::move(bytes)});
  wake_.notify_one();
}

void ProgressBoard::Flush() {
  std::unique_lock lock(mutex_);
  drained_.wait(lock, [this] { return pending_.empty() && !writing_; });
}

void ProgressBoard::Started(size_t printer) {
  if (!enabled_ || printer >= rows_.size()) return;
  std::lock_guard lock(mutex_);
  if (!rows_[printer].running) ++running_;
  rows_[printer].running = true;
  DrawLocked(false);
}

void ProgressBoard::Update(size_t printer, int percent, const std::string& stage) {
  if (!enabled_ || printer >= rows_.size()) return;
  std::lock_guard lock(mutex_);
  rows_[printer].percent = percent;
  // Stages name files, whose names may hold bytes that would steer the terminal.
  rows_[printer].stage = ScreenSafe(stage);
  DrawLocked(false);
}

void ProgressBoard::Finished(size_t printer, bool ok) {
  if (!enabled_ || printer >= rows_.size()) return;
  std::lock_guard lock(mutex_);
  Row& row = rows_[printer];
  if (row.done) return;
  row.done = true;
  if (row.running) --running_;
  row.running = false;
  ++finished_;
  if (!ok) ++failed_;
  if (finished_ == rows_.size()) {
    ClearLocked();
  } else {
    // Thousands of printers finish within moments of each other: at most ten draws a second.
    DrawLocked(false);
  }
}

void ProgressBoard::Write(std::ostream& out, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (enabled_) ClearLocked();
  Emit(out, text);
  if (enabled_ && finished_ < rows_.size()) DrawLocked(true);
}

std::string ProgressBoard::Line() const {
  if (rows_.size() == 1) return Bar(rows_[0].percent) + " " + rows_[0].stage;
  const int percent = static_cast<int>(finished_ * 100 / std::max<size_t>(rows_.size(), 1));
  std::string line = Bar(percent) + " " + std::to_string(finished_) + "/" +
                     std::to_string(rows_.size()) + " printers done, " + std::to_string(running_) +
                     " running";
  if (failed_ > 0) line += ", " + std::to_string(failed_) + " failed";
  return line;
}

void ProgressBoard::DrawLocked(bool force) {
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;
  std::string line = Line();
  // Cut between characters, not inside one.
  line.resize(platform::Utf8PrefixLength(line, max_width_));
  // Spaces cover what a longer line before left behind.
  const size_t width = line.size();
  if (drawn_width_ > width) line += std::string(drawn_width_ - width, ' ');
  Emit(err_, '\r' + line);
  drawn_width_ = width;
}

void ProgressBoard::ClearLocked() {
  if (drawn_width_ == 0) return;
  Emit(err_, '\r' + std::string(drawn_width_, ' ') + '\r');
  drawn_width_ = 0;
}

session::ProgressSink BoardRow(ProgressBoard* board, size_t printer) {
  if (board == nullptr) return {};
  return [board, printer](int percent, const std::string& stage) {
    board->Update(printer, percent, stage);
  };
}

}  // namespace cli
