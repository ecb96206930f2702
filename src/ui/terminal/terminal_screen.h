#pragma once

// The terminal host draws through this adapter and reads keys from it, so the same drawing and
// key handling run on ncurses (NcursesScreen) and on an in-memory cell buffer (BufferScreen,
// for tests and for anything else without a terminal). Coordinates are cells, 0-based, (0, 0)
// top left; anything outside the screen is clipped by the adapter.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/core/utf8.h"  // CharCells, TextCells: what the host measures with
#include "ui/terminal/terminal_keys.h"

namespace ui {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// Attributes of a cell; combine with |.
enum CellAttr : uint32_t {
  kAttrNone = 0,
  kAttrBold = 1u << 0,
  kAttrReverse = 1u << 1,
  kAttrDim = 1u << 2,
  kAttrUnderline = 1u << 3,
};

// How the screen can show colour pixels.
enum class ColorDepth { kNone, k256, kTrueColor };

class TerminalScreen {
 public:
  virtual ~TerminalScreen() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual ColorDepth Colors() const = 0;

  // Starts a new frame: every cell blank.
  virtual void Clear() = 0;
  // Writes UTF-8 text from (x, y) to the right, one cell per character (two for wide ones).
  virtual void Put(int x, int y, std::string_view text, uint32_t attrs) = 0;
  // One cell with a glyph in colour (the half-block pictures).
  virtual void PutColor(int x, int y, std::string_view glyph, Rgb fg, Rgb bg) = 0;
  // Where the terminal's cursor rests after Flush (hidden when !visible).
  virtual void SetCursor(int x, int y, bool visible) = 0;
  // Shows the frame.
  virtual void Flush() = 0;

  enum class ReadStatus { kKey, kTimeout, kEnd };
  // The next key or mouse event, waiting at most `timeout_ms` (UINT32_MAX: no limit). kEnd: the
  // input is gone (the terminal hung up); a size change comes as Key::kResize.
  virtual ReadStatus ReadKey(uint32_t timeout_ms, KeyEvent* key) = 0;
  // A key that is waiting already, without waiting for one (kTimeout: none).
  virtual ReadStatus PollKey(KeyEvent* key) { return ReadKey(0, key); }
};

}  // namespace ui
