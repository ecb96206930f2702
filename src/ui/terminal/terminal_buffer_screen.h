#pragma once

// A terminal screen in memory: the cells of the last frame and a queue of keys. Tests draw on
// it and read rows back as text; the host reads its keys from the queue. When the queue is
// empty, ReadKey hands the wait to the idle callback (a test lets virtual time pass there) and
// reports a time-out, or the end of input when nothing waits (no time-out and no callback).

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/terminal/terminal_screen.h"

namespace ui {

class BufferScreen : public TerminalScreen {
 public:
  struct Cell {
    std::string glyph = " ";  // "" for the right half of a wide character
    uint32_t attrs = kAttrNone;
    bool colored = false;
    Rgb fg;
    Rgb bg;
  };

  BufferScreen(int width, int height, ColorDepth colors = ColorDepth::k256);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  ColorDepth Colors() const override { return colors_; }
  void Clear() override;
  void Put(int x, int y, std::string_view text, uint32_t attrs) override;
  void PutColor(int x, int y, std::string_view glyph, Rgb fg, Rgb bg) override;
  void SetCursor(int x, int y, bool visible) override;
  void Flush() override {}
  ReadStatus ReadKey(uint32_t timeout_ms, KeyEvent* key) override;
  // Takes from the queue like ReadKey; an empty queue is no idle wait.
  ReadStatus PollKey(KeyEvent* key) override;

  // Changes the size; the next ReadKey reports Key::kResize.
  void Resize(int width, int height);
  void PushKey(KeyEvent key) { keys_.push_back(std::move(key)); }
  // Runs when a key is read, before it is handed out (a test may look at the screen there).
  void SetKeyHook(std::function<void(const KeyEvent&)> hook) { key_hook_ = std::move(hook); }
  // Called with the time-out when ReadKey finds no key; without one, a bounded wait times out and
  // an unbounded one ends the input.
  void SetIdle(std::function<void(uint32_t)> idle) { idle_ = std::move(idle); }

  const Cell& At(int x, int y) const;
  // Row y as text (wide characters once, trailing blanks kept).
  std::string Row(int y) const;
  // Every row joined with newlines.
  std::string Text() const;
  // The first cell where `text` starts on some row, or false.
  bool Find(std::string_view text, int* x, int* y) const;
  bool Contains(std::string_view text) const {
    int x = 0;
    int y = 0;
    return Find(text, &x, &y);
  }
  int CursorX() const { return cursor_x_; }
  int CursorY() const { return cursor_y_; }
  size_t KeysLeft() const { return keys_.size(); }

 private:
  int width_;
  int height_;
  ColorDepth colors_;
  std::vector<Cell> cells_;
  std::deque<KeyEvent> keys_;
  std::function<void(const KeyEvent&)> key_hook_;
  std::function<void(uint32_t)> idle_;
  int idle_waits_ = 0;
  bool resized_ = false;
  int cursor_x_ = 0;
  int cursor_y_ = 0;
};

}  // namespace ui
