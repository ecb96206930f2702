#include "ui/terminal/terminal_buffer_screen.h"

#include <algorithm>

#include "ui/core/utf8.h"

namespace ui {
namespace {

// Once the queue is empty and this many idle waits went by, the input ends (so a dialog whose
// timers run forever still closes in a test).
constexpr int kIdleLimit = 1000;

}  // namespace

BufferScreen::BufferScreen(int width, int height, ColorDepth colors)
    : width_(std::max(1, width)), height_(std::max(1, height)), colors_(colors) {
  Clear();
}

void BufferScreen::Clear() {
  cells_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), Cell{});
}

void BufferScreen::Resize(int width, int height) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  resized_ = true;
  Clear();
}

void BufferScreen::Put(int x, int y, std::string_view text, uint32_t attrs) {
  if (y < 0 || y >= height_) return;
  for (const auto& ch : Utf8Characters(text)) {
    const int cells = CharCells(ch);
    if (cells == 0) continue;
    if (x >= 0 && x + cells <= width_) {
      Cell* c = &cells_[static_cast<size_t>(y * width_ + x)];
      // A wide character partly written over loses its other half too, as on a terminal.
      if (c->glyph.empty() && x > 0) c[-1].glyph = " ";
      if (x + cells < width_ && c[cells].glyph.empty()) c[cells].glyph = " ";
      for (int i = 0; i < cells; ++i)
        c[i] = Cell{i == 0 ? std::string(ShownChar(ch)) : "", attrs, false, {}, {}};
    }
    x += cells;
    if (x >= width_) return;
  }
}

void BufferScreen::PutColor(int x, int y, std::string_view glyph, Rgb fg, Rgb bg) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Cell& c = cells_[static_cast<size_t>(y * width_ + x)];
  c.glyph = std::string(glyph);
  c.attrs = kAttrNone;
  c.colored = true;
  c.fg = fg;
  c.bg = bg;
}

void BufferScreen::SetCursor(int x, int y, bool /*visible*/) {
  cursor_x_ = x;
  cursor_y_ = y;
}

TerminalScreen::ReadStatus BufferScreen::PollKey(KeyEvent* key) {
  if (!resized_ && keys_.empty()) return ReadStatus::kTimeout;
  return ReadKey(0, key);
}

TerminalScreen::ReadStatus BufferScreen::ReadKey(uint32_t timeout_ms, KeyEvent* key) {
  if (resized_) {
    resized_ = false;
    *key = MakeKey(Key::kResize);
    return ReadStatus::kKey;
  }
  if (!keys_.empty()) {
    idle_waits_ = 0;
    *key = std::move(keys_.front());
    keys_.pop_front();
    if (key_hook_) key_hook_(*key);
    return ReadStatus::kKey;
  }
  if (++idle_waits_ > kIdleLimit) return ReadStatus::kEnd;
  if (timeout_ms == UINT32_MAX) return ReadStatus::kEnd;
  if (idle_) idle_(timeout_ms);
  return ReadStatus::kTimeout;
}

const BufferScreen::Cell& BufferScreen::At(int x, int y) const {
  static const Cell kOutside{};
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kOutside;
  return cells_[static_cast<size_t>(y * width_ + x)];
}

std::string BufferScreen::Row(int y) const {
  std::string row;
  for (int x = 0; x < width_; ++x) row += At(x, y).glyph;
  return row;
}

std::string BufferScreen::Text() const {
  std::string text;
  for (int y = 0; y < height_; ++y) text += Row(y) + "\n";
  return text;
}

bool BufferScreen::Find(std::string_view text, int* x, int* y) const {
  for (int row = 0; row < height_; ++row) {
    const std::string r = Row(row);
    const size_t at = r.find(text);
    if (at == std::string::npos) continue;
    *y = row;
    *x = TextCells(std::string_view(r).substr(0, at));
    return true;
  }
  return false;
}

}  // namespace ui
