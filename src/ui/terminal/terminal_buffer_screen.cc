#include "ui/terminal/terminal_buffer_screen.h"

#include <algorithm>

#include "ui/core/utf8.h"

namespace ui {
namespace {

char32_t Decode(std::string_view c) {
  const auto b0 = static_cast<unsigned char>(c[0]);
  if (b0 < 0x80 || c.size() < 2) return b0;
  char32_t cp = c.size() == 2 ? (b0 & 0x1F) : c.size() == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (size_t i = 1; i < c.size(); ++i) cp = (cp << 6) | (static_cast<unsigned char>(c[i]) & 0x3F);
  return cp;
}

}  // namespace

int CharCells(std::string_view utf8_char) {
  if (utf8_char.empty()) return 0;
  const char32_t cp = Decode(utf8_char);
  if ((cp >= 0x0300 && cp <= 0x036F) || (cp >= 0x200B && cp <= 0x200F) ||
      (cp >= 0xFE00 && cp <= 0xFE0F)) {
    return 0;
  }
  if ((cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) ||
      (cp >= 0x3041 && cp <= 0x33FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
      (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
      (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
      (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD)) {
    return 2;
  }
  return 1;
}

int TextCells(std::string_view text) {
  int cells = 0;
  for (const auto& c : Utf8Characters(text)) cells += CharCells(c);
  return cells;
}

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
      Cell& c = cells_[static_cast<size_t>(y * width_ + x)];
      c = Cell{};
      c.glyph = static_cast<unsigned char>(ch[0]) < 0x20 ? std::string("?") : ch;
      c.attrs = attrs;
      if (cells == 2) {
        Cell& right = cells_[static_cast<size_t>(y * width_ + x + 1)];
        right = Cell{};
        right.glyph.clear();
        right.attrs = attrs;
      }
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

void BufferScreen::SetCursor(int x, int y, bool visible) {
  cursor_x_ = x;
  cursor_y_ = y;
  cursor_visible_ = visible;
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
  if (++idle_waits_ > idle_limit_) return ReadStatus::kEnd;
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
