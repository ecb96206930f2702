// The one place of the terminal host that talks to the terminal itself (through ncurses, and
// through the platform's terminal hold for modes, signals, size and input); everything above it
// sees a TerminalScreen.
#include "ui/terminal/terminal_ncurses.h"

#include <curses.h>
#include <term.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/system/console.h"
#include "ui/core/utf8.h"

namespace ui {
namespace {

// How long the rest of an escape sequence may take to arrive before a lone ESC counts as the
// Esc key (terminals send a sequence in one write; people do not type that fast).
constexpr uint32_t kEscapeWaitMs = 40;
// A paste whose end mark has not come after this long without a byte is over: the terminal lost
// the mark, and the keys must count again.
constexpr uint32_t kPasteQuietMs = 1000;

// A terminfo capability, or nothing when the terminal lacks it.
std::string_view Capability(const char* name) {
  const char* s = tigetstr(const_cast<char*>(name));
  if (s == nullptr || s == reinterpret_cast<const char*>(-1)) return {};
  return s;
}

}  // namespace

int Nearest256(Rgb c) {
  auto level = [](int v) { return v < 48 ? 0 : v < 115 ? 1 : (v - 35) / 40; };
  static constexpr int kLevels[] = {0, 95, 135, 175, 215, 255};
  const int r = level(c.r), g = level(c.g), b = level(c.b);
  const int cube = 16 + 36 * r + 6 * g + b;
  auto dist = [](int r1, int g1, int b1, int r2, int g2, int b2) {
    return (r1 - r2) * (r1 - r2) + (g1 - g2) * (g1 - g2) + (b1 - b2) * (b1 - b2);
  };
  const int cube_d = dist(c.r, c.g, c.b, kLevels[r], kLevels[g], kLevels[b]);
  const int avg = (c.r + c.g + c.b) / 3;
  const int grey_index = avg > 238 ? 23 : (avg - 3) / 10 < 0 ? 0 : (avg - 3) / 10;
  const int grey = 8 + 10 * grey_index;
  const int grey_d = dist(c.r, c.g, c.b, grey, grey, grey);
  return grey_d < cube_d ? 232 + grey_index : cube;
}

struct NcursesScreen::Impl {
  std::unique_ptr<platform::TerminalHold> hold;
  SCREEN* screen = nullptr;
  std::unordered_map<uint64_t, int> pairs;
  int next_pair = 1;
  // The cells of the frame drawn so far: 2 where a wide character starts, 0 on its second half,
  // 1 elsewhere. ncurses, told to draw over one half of a wide character, keeps the whole
  // character in its picture of the screen and then misses the later frames that change it
  // (the edge of a closed message box stays on the dialog), so the other half is blanked first,
  // as a terminal does.
  std::vector<uint8_t> cell_widths;
  int cells_width = 0;

  // Makes room for `cells` cells at (x, y), which the caller checked lie on the screen.
  void Claim(int x, int y, int cells) {
    if (cells_width != COLS || cell_widths.size() != static_cast<size_t>(COLS) * LINES) {
      cells_width = COLS;
      cell_widths.assign(static_cast<size_t>(COLS) * LINES, 1);
    }
    uint8_t* row = &cell_widths[static_cast<size_t>(y) * COLS];
    if (x > 0 && row[x] == 0) {
      mvaddstr(y, x - 1, " ");
      row[x - 1] = 1;
    }
    if (x + cells < COLS && row[x + cells] == 0) {
      mvaddstr(y, x + cells, " ");
      row[x + cells] = 1;
    }
    row[x] = static_cast<uint8_t>(cells);
    for (int i = 1; i < cells; ++i) row[x + i] = 0;
  }
};

NcursesScreen::NcursesScreen(platform::Clock& clock)
    : clock_(clock), impl_(std::make_unique<Impl>()) {}

std::unique_ptr<NcursesScreen> NcursesScreen::Open(platform::Clock& clock, std::string* error) {
  const char* term = std::getenv("TERM");
  std::unique_ptr<NcursesScreen> s(new NcursesScreen(clock));
  Impl& impl = *s->impl_;
  impl.hold = platform::TerminalHold::Take(error);
  if (!impl.hold) return nullptr;
  if (term == nullptr || *term == '\0' || std::strcmp(term, "dumb") == 0) {
    *error = "the terminal type is not set (TERM) or cannot draw a screen";
    return nullptr;
  }
  // Wide characters need a UTF-8 character type; the program's other locale categories stay.
  platform::UseUtf8CharacterType();

  impl.screen = newterm(term, stdout, stdin);
  if (impl.screen == nullptr) {
    *error = std::string("unknown terminal type \"") + term + "\"";
    return nullptr;
  }
  set_term(impl.screen);
  raw();
  noecho();
  nonl();
  keypad(stdscr, FALSE);
  leaveok(stdscr, FALSE);
  if (has_colors()) {
    start_color();
    use_default_colors();
    if (COLORS >= 0x1000000) {
      s->colors_ = ColorDepth::kTrueColor;
    } else if (COLORS >= 256) {
      s->colors_ = ColorDepth::k256;
    }
  }
  curs_set(0);

  std::string restore = "\x1b[?2004l\x1b[?1006l\x1b[?1000l\x1b[0m";
  restore += Capability("rmcup");
  restore += Capability("cnorm");
  impl.hold->Arm(restore, [] { endwin(); });
  refresh();
  // Mouse clicks in the SGR form (cells beyond column 223 stay exact), and pasted text marked
  // as such (bracketed paste), so that its line ends are not taken for Enter.
  platform::WriteAll(1, "\x1b[?1000h\x1b[?1006h\x1b[?2004h");
  return s;
}

NcursesScreen::~NcursesScreen() {
  if (impl_->screen != nullptr) {
    platform::WriteAll(1, "\x1b[?2004l\x1b[?1006l\x1b[?1000l");
    curs_set(1);
    endwin();
    impl_->hold.reset();  // the saved modes and the previous signal handlers back
    delscreen(impl_->screen);
  }
}

int NcursesScreen::Width() const { return COLS; }
int NcursesScreen::Height() const { return LINES; }

void NcursesScreen::Clear() {
  attr_set(A_NORMAL, 0, nullptr);
  erase();
  std::fill(impl_->cell_widths.begin(), impl_->cell_widths.end(), uint8_t{1});
}

void NcursesScreen::Put(int x, int y, std::string_view text, uint32_t attrs) {
  if (y < 0 || y >= LINES) return;
  attr_t a = A_NORMAL;
  if (attrs & kAttrBold) a |= A_BOLD;
  if (attrs & kAttrReverse) a |= A_REVERSE;
  if (attrs & kAttrDim) a |= A_DIM;
  if (attrs & kAttrUnderline) a |= A_UNDERLINE;
  attr_set(a, 0, nullptr);
  for (const auto& ch : Utf8Characters(text)) {
    const int cells = CharCells(ch);
    if (cells == 0) continue;
    if (x + cells > COLS) return;
    if (x >= 0) {
      impl_->Claim(x, y, cells);
      mvaddstr(y, x, std::string(ShownChar(ch)).c_str());
    }
    x += cells;
  }
}

void NcursesScreen::PutColor(int x, int y, std::string_view glyph, Rgb fg, Rgb bg) {
  if (x < 0 || y < 0 || x >= COLS || y >= LINES) return;
  Impl& impl = *impl_;
  int f = 0;
  int b = 0;
  if (colors_ == ColorDepth::kTrueColor) {
    f = (fg.r << 16) | (fg.g << 8) | fg.b;
    b = (bg.r << 16) | (bg.g << 8) | bg.b;
  } else if (colors_ == ColorDepth::k256) {
    f = Nearest256(fg);
    b = Nearest256(bg);
  } else {
    Put(x, y, glyph, kAttrNone);
    return;
  }
  const uint64_t key =
      (static_cast<uint64_t>(static_cast<uint32_t>(f)) << 32) | static_cast<uint32_t>(b);
  int pair = 0;
  if (auto it = impl.pairs.find(key); it != impl.pairs.end()) {
    pair = it->second;
  } else {
    if (impl.next_pair >= COLOR_PAIRS) {
      // Out of pairs: start over (a picture with more colours than pairs is rare and the next
      // frame draws it again).
      impl.pairs.clear();
      impl.next_pair = 1;
    }
    pair = impl.next_pair++;
    init_extended_pair(pair, f, b);
    impl.pairs[key] = pair;
  }
  impl.Claim(x, y, 1);
  attr_set(A_NORMAL, static_cast<short>(pair <= SHRT_MAX ? pair : 0), &pair);
  mvaddstr(y, x, std::string(glyph).c_str());
  attr_set(A_NORMAL, 0, nullptr);
}

void NcursesScreen::SetCursor(int x, int y, bool visible) {
  cursor_x_ = x;
  cursor_y_ = y;
  cursor_visible_ = visible;
}

void NcursesScreen::Flush() {
  if (cursor_visible_ && cursor_x_ >= 0 && cursor_y_ >= 0 && cursor_x_ < COLS &&
      cursor_y_ < LINES) {
    curs_set(1);
    move(cursor_y_, cursor_x_);
  } else {
    curs_set(0);
  }
  refresh();
}

TerminalScreen::ReadStatus NcursesScreen::ReadKey(uint32_t timeout_ms, KeyEvent* key) {
  const uint32_t start = clock_.TickCount();
  for (;;) {
    if (decoder_.Next(key, false)) return ReadStatus::kKey;
    const uint32_t elapsed = clock_.TickCount() - start;
    uint32_t wait = timeout_ms == UINT32_MAX ? UINT32_MAX
                    : elapsed >= timeout_ms  ? 0
                                             : timeout_ms - elapsed;
    const bool partial = decoder_.Pending();
    if (partial || decoder_.InPaste()) wait = std::min(wait, kEscapeWaitMs);
    const auto input = impl_->hold->WaitInput(wait);
    if (input == platform::TerminalHold::Input::kInterrupted) continue;
    if (input == platform::TerminalHold::Input::kError) return ReadStatus::kEnd;
    if (input == platform::TerminalHold::Input::kTimeout) {
      if (decoder_.InPaste() && clock_.TickCount() - last_input_at_ >= kPasteQuietMs) {
        decoder_.EndPaste();
      }
      if (partial && decoder_.Next(key, true)) return ReadStatus::kKey;
      if (timeout_ms != UINT32_MAX && clock_.TickCount() - start >= timeout_ms) {
        return ReadStatus::kTimeout;
      }
      continue;
    }
    if (input == platform::TerminalHold::Input::kResized) {
      platform::TerminalSize size;
      if (platform::GetTerminalSize(1, &size)) resizeterm(size.height, size.width);
      *key = MakeKey(Key::kResize);
      return ReadStatus::kKey;
    }
    char buffer[256];
    const long got = platform::ReadSome(0, buffer, sizeof buffer);
    if (got <= 0) {
      if (decoder_.Next(key, true)) return ReadStatus::kKey;
      return ReadStatus::kEnd;  // the terminal hung up
    }
    last_input_at_ = clock_.TickCount();
    decoder_.Feed(std::string_view(buffer, static_cast<size_t>(got)));
  }
}

}  // namespace ui
