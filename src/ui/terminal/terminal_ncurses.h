#pragma once

// The terminal screen on a real terminal, through ncurses (wide-character build). Output goes
// through ncurses; input is read from standard input and decoded by KeyDecoder, so the keys a
// user presses are the ones the decoder's tests cover. The terminal is put back as it was when
// the screen closes, when the program exits, and when a crash or termination signal arrives.

#include <memory>
#include <string>

#include "platform/system/clock.h"
#include "ui/terminal/terminal_screen.h"

namespace ui {

class NcursesScreen : public TerminalScreen {
 public:
  // Takes over the terminal on standard input and output; nullptr (with `error` set) when it
  // cannot (unknown terminal type, not a terminal). Only one may be open at a time.
  static std::unique_ptr<NcursesScreen> Open(platform::Clock& clock, std::string* error);
  ~NcursesScreen() override;
  NcursesScreen(const NcursesScreen&) = delete;
  NcursesScreen& operator=(const NcursesScreen&) = delete;

  int Width() const override;
  int Height() const override;
  ColorDepth Colors() const override { return colors_; }
  void Clear() override;
  void Put(int x, int y, std::string_view text, uint32_t attrs) override;
  void PutColor(int x, int y, std::string_view glyph, Rgb fg, Rgb bg) override;
  void SetCursor(int x, int y, bool visible) override;
  void Flush() override;
  ReadStatus ReadKey(uint32_t timeout_ms, KeyEvent* key) override;

 private:
  struct Impl;
  explicit NcursesScreen(platform::Clock& clock);
  platform::Clock& clock_;
  std::unique_ptr<Impl> impl_;
  ColorDepth colors_ = ColorDepth::kNone;
  KeyDecoder decoder_;
  uint32_t last_input_at_ = 0;  // when the last bytes came (a lost paste end mark times out)
  int cursor_x_ = 0;
  int cursor_y_ = 0;
  bool cursor_visible_ = false;
};

// The xterm 256-colour palette index nearest to a colour (the 6x6x6 cube or the grey ramp).
int Nearest256(Rgb c);

}  // namespace ui
