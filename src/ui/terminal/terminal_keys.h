#pragma once

// Keys and mouse events of the terminal host, and the decoder that turns the bytes a terminal
// sends into them. Terminals differ in what they send for the same key (normal and application
// cursor modes, xterm modifier parameters, ESC-prefixed Alt), so the decoder knows the common
// forms as a table plus the parameterised CSI form; anything it does not know is dropped whole
// rather than typed as stray characters into an edit.

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

enum class Key {
  kNone,
  kChar,  // a character (text holds its UTF-8 bytes); Ctrl+letter has ctrl set and the letter
  kEnter,
  kTab,
  kBackTab,  // Shift-Tab
  kEsc,
  kBackspace,
  kDelete,
  kInsert,
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kF4,
  kF1,   // help
  kF10,  // the system menu
  kMouse,
  kResize,  // the terminal changed size (from the screen adapter, not from bytes)
};

enum class MouseAction { kPress, kRelease, kWheelUp, kWheelDown };

struct KeyEvent {
  Key key = Key::kNone;
  std::string text;  // kChar
  bool shift = false;
  bool alt = false;
  bool ctrl = false;
  // kMouse: 0-based cell of the pointer, the action and the button (0 left, 1 middle, 2 right).
  int x = 0;
  int y = 0;
  MouseAction action = MouseAction::kPress;
  int button = 0;
  // A character of a bracketed paste: typed into a text field, ignored elsewhere.
  bool pasted = false;

  bool operator==(const KeyEvent&) const = default;
};

KeyEvent MakeKey(Key key, bool shift = false, bool alt = false, bool ctrl = false);
KeyEvent MakeChar(std::string_view text, bool alt = false, bool ctrl = false);
KeyEvent MakeMouse(MouseAction action, int x, int y, int button = 0);

// A readable name for tests and traces ("Shift+Tab", "Alt+a", "Mouse press 3,4").
std::string KeyName(const KeyEvent& key);

class KeyDecoder {
 public:
  // Longest escape sequence kept while waiting for its end; longer ones are dropped.
  static constexpr size_t kMaxSequence = 64;

  void Feed(std::string_view bytes);
  // The next complete event. `idle` says no more bytes are on their way now: a lone ESC (or an
  // incomplete sequence) is then taken as the Esc key instead of waiting for the rest.
  bool Next(KeyEvent* event, bool idle);
  bool Pending() const { return !buffer_.empty(); }
  // Inside a bracketed paste whose end mark has not come yet.
  bool InPaste() const { return in_paste_; }
  // Gives up a paste whose end mark never came whole (the terminal went quiet), so the keys count
  // again; a piece of the mark that came is dropped.
  void EndPaste();

 private:
  std::string buffer_;
  bool in_paste_ = false;  // between a bracketed paste's marks: only characters pass
};

}  // namespace ui
