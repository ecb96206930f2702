// The one place of the terminal host that talks to the terminal itself (ncurses, termios,
// signals, poll); everything above it sees a TerminalScreen.
#include "ui/terminal_ncurses.h"

#include <curses.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "ui/utf8.h"

namespace ui {
namespace {

// How long the rest of an escape sequence may take to arrive before a lone ESC counts as the
// Esc key (terminals send a sequence in one write; people do not type that fast).
constexpr uint32_t kEscapeWaitMs = 40;

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE,  SIGILL, SIGABRT,
                                 SIGTERM, SIGHUP, SIGQUIT, SIGINT};

// State the signal handlers may touch: fixed buffers and plain flags only.
struct RestoreState {
  volatile sig_atomic_t active = 0;
  termios saved{};
  bool have_saved = false;
  char sequence[256] = {};  // what puts the terminal's screen and modes back
  size_t sequence_len = 0;
  int wake_write = -1;
  struct sigaction old_actions[sizeof kCrashSignals / sizeof kCrashSignals[0]] = {};
  struct sigaction old_winch {};
};
RestoreState g_restore;

void AppendSequence(const char* s) {
  if (s == nullptr || s == reinterpret_cast<const char*>(-1)) return;
  const size_t n = std::strlen(s);
  if (g_restore.sequence_len + n >= sizeof g_restore.sequence) return;
  std::memcpy(g_restore.sequence + g_restore.sequence_len, s, n);
  g_restore.sequence_len += n;
}

void WriteAll(int fd, const char* data, size_t len) {
  while (len > 0) {
    const ssize_t n = write(fd, data, len);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    len -= static_cast<size_t>(n);
  }
}

// Async-signal-safe: write() and tcsetattr() only.
void RestoreTerminalRaw() {
  if (!g_restore.active) return;
  g_restore.active = 0;
  WriteAll(STDOUT_FILENO, g_restore.sequence, g_restore.sequence_len);
  if (g_restore.have_saved) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_restore.saved);
}

extern "C" void OnCrashSignal(int sig) {
  const int saved_errno = errno;
  RestoreTerminalRaw();
  errno = saved_errno;
  // The handler was reset to the default on entry (SA_RESETHAND): raising again ends the program
  // the way the signal would have, core dump included.
  raise(sig);
}

extern "C" void OnWinch(int) {
  const int saved_errno = errno;
  if (g_restore.wake_write >= 0) {
    const char c = 'w';
    [[maybe_unused]] const ssize_t n = write(g_restore.wake_write, &c, 1);
  }
  errno = saved_errno;
}

void RestoreAtExit() {
  if (!g_restore.active) return;
  endwin();
  RestoreTerminalRaw();
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
  SCREEN* screen = nullptr;
  int wake_read = -1;
  int wake_write = -1;
  std::unordered_map<uint64_t, int> pairs;
  int next_pair = 1;
};

NcursesScreen::NcursesScreen(platform::Clock& clock)
    : clock_(clock), impl_(std::make_unique<Impl>()) {}

std::unique_ptr<NcursesScreen> NcursesScreen::Open(platform::Clock& clock, std::string* error) {
  if (g_restore.active) {
    *error = "the terminal is in use already";
    return nullptr;
  }
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
    *error = "standard input and output must be a terminal";
    return nullptr;
  }
  const char* term = std::getenv("TERM");
  if (term == nullptr || *term == '\0' || std::strcmp(term, "dumb") == 0) {
    *error = "the terminal type is not set (TERM) or cannot draw a screen";
    return nullptr;
  }
  // Wide characters need a UTF-8 character type; the program's other locale categories stay.
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");

  std::unique_ptr<NcursesScreen> s(new NcursesScreen(clock));
  Impl& impl = *s->impl_;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    *error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return nullptr;
  }
  impl.wake_read = fds[0];
  impl.wake_write = fds[1];
  g_restore.wake_write = fds[1];

  g_restore.have_saved = tcgetattr(STDIN_FILENO, &g_restore.saved) == 0;
  // Our own size-change handler, installed before ncurses starts so it leaves it alone.
  struct sigaction winch {};
  winch.sa_handler = OnWinch;
  sigemptyset(&winch.sa_mask);
  sigaction(SIGWINCH, &winch, &g_restore.old_winch);

  impl.screen = newterm(term, stdout, stdin);
  if (impl.screen == nullptr) {
    sigaction(SIGWINCH, &g_restore.old_winch, nullptr);
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

  g_restore.sequence_len = 0;
  AppendSequence("\x1b[?1006l\x1b[?1000l\x1b[0m");
  AppendSequence(tigetstr(const_cast<char*>("rmcup")));
  AppendSequence(tigetstr(const_cast<char*>("cnorm")));
  g_restore.active = 1;
  static bool at_exit_registered = false;
  if (!at_exit_registered) {
    std::atexit(RestoreAtExit);
    at_exit_registered = true;
  }
  for (size_t i = 0; i < sizeof kCrashSignals / sizeof kCrashSignals[0]; ++i) {
    struct sigaction a {};
    a.sa_handler = OnCrashSignal;
    a.sa_flags = SA_RESETHAND;
    sigemptyset(&a.sa_mask);
    sigaction(kCrashSignals[i], &a, &g_restore.old_actions[i]);
  }
  refresh();
  // Mouse clicks in the SGR form (cells beyond column 223 stay exact).
  static constexpr char kMouseOn[] = "\x1b[?1000h\x1b[?1006h";
  WriteAll(STDOUT_FILENO, kMouseOn, sizeof kMouseOn - 1);
  return s;
}

NcursesScreen::~NcursesScreen() {
  if (impl_->screen != nullptr) {
    static constexpr char kMouseOff[] = "\x1b[?1006l\x1b[?1000l";
    WriteAll(STDOUT_FILENO, kMouseOff, sizeof kMouseOff - 1);
    curs_set(1);
    endwin();
    g_restore.active = 0;
    if (g_restore.have_saved) tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_restore.saved);
    delscreen(impl_->screen);
    for (size_t i = 0; i < sizeof kCrashSignals / sizeof kCrashSignals[0]; ++i) {
      sigaction(kCrashSignals[i], &g_restore.old_actions[i], nullptr);
    }
    sigaction(SIGWINCH, &g_restore.old_winch, nullptr);
  }
  g_restore.wake_write = -1;
  if (impl_->wake_read >= 0) close(impl_->wake_read);
  if (impl_->wake_write >= 0) close(impl_->wake_write);
}

int NcursesScreen::Width() const { return COLS; }
int NcursesScreen::Height() const { return LINES; }

void NcursesScreen::Clear() {
  attr_set(A_NORMAL, 0, nullptr);
  erase();
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
      const bool printable = static_cast<unsigned char>(ch[0]) >= 0x20 && ch[0] != 0x7F &&
                             Utf8SequenceLength(ch, 0) == ch.size();
      mvaddstr(y, x, printable ? ch.c_str() : "?");
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
    if (partial) wait = std::min(wait, kEscapeWaitMs);
    pollfd p[2] = {{STDIN_FILENO, POLLIN, 0}, {impl_->wake_read, POLLIN, 0}};
    const int n =
        poll(p, 2, wait == UINT32_MAX ? -1 : static_cast<int>(std::min<uint32_t>(wait, INT_MAX)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return ReadStatus::kEnd;
    }
    if (n == 0) {
      if (partial && decoder_.Next(key, true)) return ReadStatus::kKey;
      if (timeout_ms != UINT32_MAX && clock_.TickCount() - start >= timeout_ms) {
        return ReadStatus::kTimeout;
      }
      continue;
    }
    if (p[1].revents & POLLIN) {
      char drain[64];
      while (read(impl_->wake_read, drain, sizeof drain) > 0) {
      }
      winsize ws{};
      if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
        resizeterm(ws.ws_row, ws.ws_col);
      }
      *key = MakeKey(Key::kResize);
      return ReadStatus::kKey;
    }
    if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[256];
      const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        if (decoder_.Next(key, true)) return ReadStatus::kKey;
        return ReadStatus::kEnd;  // the terminal hung up
      }
      decoder_.Feed(std::string_view(buffer, static_cast<size_t>(got)));
    }
  }
}

}  // namespace ui
