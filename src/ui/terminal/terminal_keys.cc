#include "ui/terminal/terminal_keys.h"

#include <array>
#include <vector>

#include "ui/core/utf8.h"

namespace ui {
namespace {

enum class Parse { kEvent, kIncomplete, kSkip };

// Final bytes of CSI and SS3 sequences without a numeric key code.
struct FinalKey {
  char final_byte;
  Key key;
};
constexpr std::array<FinalKey, 10> kFinals{{
    {'A', Key::kUp},
    {'B', Key::kDown},
    {'C', Key::kRight},
    {'D', Key::kLeft},
    {'H', Key::kHome},
    {'F', Key::kEnd},
    {'Z', Key::kBackTab},
    {'S', Key::kF4},
    {'P', Key::kF1},
    {'M', Key::kEnter},  // SS3 M: keypad Enter in application keypad mode
}};

// CSI <n> ~ key codes (vt220 style, as xterm, rxvt and the Linux console send them).
struct TildeKey {
  int code;
  Key key;
};
constexpr std::array<TildeKey, 11> kTildes{{
    {1, Key::kHome},
    {2, Key::kInsert},
    {3, Key::kDelete},
    {4, Key::kEnd},
    {5, Key::kPageUp},
    {6, Key::kPageDown},
    {7, Key::kHome},
    {8, Key::kEnd},
    {14, Key::kF4},
    {11, Key::kF1},
    {21, Key::kF10},
}};

void ApplyModifier(int param, KeyEvent* e) {
  // xterm: parameter = 1 + (shift 1 | alt 2 | ctrl 4 | meta 8).
  if (param < 2) return;
  const int bits = param - 1;
  e->shift = e->shift || (bits & 1) != 0;
  e->alt = e->alt || (bits & 2) != 0 || (bits & 8) != 0;
  e->ctrl = e->ctrl || (bits & 4) != 0;
}

std::vector<int> Params(std::string_view p) {
  std::vector<int> out;
  int value = 0;
  bool any = false;
  for (char c : p) {
    if (c >= '0' && c <= '9') {
      if (value < 100000) value = value * 10 + (c - '0');
      any = true;
    } else if (c == ';') {
      out.push_back(any ? value : 0);
      value = 0;
      any = false;
    }
  }
  out.push_back(any ? value : 0);
  return out;
}

Parse ParseKey(std::string_view s, KeyEvent* e, size_t* used);

Parse ParseCsi(std::string_view s, KeyEvent* e, size_t* used) {
  // s starts with ESC [
  if (s.size() >= 3 && s[2] == 'M' && (s.size() < 4 || s[3] < 0x30 || s[3] > 0x3F)) {
    // Legacy X10 mouse: ESC [ M b x y, each byte offset by 32.
    if (s.size() < 6) return Parse::kIncomplete;
    *used = 6;
    const int b = static_cast<unsigned char>(s[3]) - 32;
    const int x = static_cast<unsigned char>(s[4]) - 33;
    const int y = static_cast<unsigned char>(s[5]) - 33;
    if (x < 0 || y < 0) return Parse::kSkip;
    MouseAction action = (b & 3) == 3 ? MouseAction::kRelease : MouseAction::kPress;
    if (b & 64) action = (b & 1) ? MouseAction::kWheelDown : MouseAction::kWheelUp;
    *e = MakeMouse(action, x, y, (b & 64) ? 0 : (b & 3) == 3 ? 0 : b & 3);
    return Parse::kEvent;
  }
  size_t i = 2;
  while (i < s.size() && static_cast<unsigned char>(s[i]) >= 0x20 &&
         static_cast<unsigned char>(s[i]) <= 0x3F) {
    ++i;
  }
  if (i >= s.size()) return Parse::kIncomplete;
  const unsigned char final_byte = static_cast<unsigned char>(s[i]);
  *used = i + 1;
  if (final_byte < 0x40 || final_byte > 0x7E) {
    *used = i;  // broken sequence: drop what came before the stray byte
    return Parse::kSkip;
  }
  std::string_view params = s.substr(2, i - 2);
  if (!params.empty() && params[0] == '<') {
    // SGR mouse: ESC [ < b ; x ; y M (press) or m (release), 1-based cells.
    if (final_byte != 'M' && final_byte != 'm') return Parse::kSkip;
    const auto p = Params(params.substr(1));
    if (p.size() != 3 || p[1] < 1 || p[2] < 1) return Parse::kSkip;
    const int b = p[0];
    if (b & 32) return Parse::kSkip;  // motion reports are not used
    MouseAction action = final_byte == 'm' ? MouseAction::kRelease : MouseAction::kPress;
    int button = b & 3;
    if (b & 64) {
      action = (b & 1) ? MouseAction::kWheelDown : MouseAction::kWheelUp;
      button = 0;
    }
    *e = MakeMouse(action, p[1] - 1, p[2] - 1, button);
    e->shift = (b & 4) != 0;
    e->alt = (b & 8) != 0;
    e->ctrl = (b & 16) != 0;
    return Parse::kEvent;
  }
  if (!params.empty() && (params[0] < '0' || params[0] > ';')) return Parse::kSkip;
  const auto p = Params(params);
  if (final_byte == '~') {
    for (const auto& t : kTildes) {
      if (t.code == p[0]) {
        *e = MakeKey(t.key);
        if (p.size() > 1) ApplyModifier(p[1], e);
        return Parse::kEvent;
      }
    }
    return Parse::kSkip;
  }
  for (const auto& f : kFinals) {
    if (f.final_byte == static_cast<char>(final_byte) && f.key != Key::kEnter) {
      *e = MakeKey(f.key);
      if (f.key == Key::kBackTab) e->shift = true;
      if (p.size() > 1) ApplyModifier(p[1], e);
      return Parse::kEvent;
    }
  }
  return Parse::kSkip;
}

Parse ParseEscape(std::string_view s, KeyEvent* e, size_t* used) {
  if (s.size() < 2) return Parse::kIncomplete;
  if (s[1] == '[') return ParseCsi(s, e, used);
  if (s[1] == 'O') {
    if (s.size() < 3) return Parse::kIncomplete;
    *used = 3;
    for (const auto& f : kFinals) {
      if (f.final_byte == s[2]) {
        *e = MakeKey(f.key);
        if (f.key == Key::kBackTab) e->shift = true;
        return Parse::kEvent;
      }
    }
    return Parse::kSkip;
  }
  // ESC followed by a key: that key with Alt (the way terminals send Meta).
  size_t inner = 0;
  const Parse r = ParseKey(s.substr(1), e, &inner);
  if (r == Parse::kEvent) {
    if (e->key == Key::kMouse) return Parse::kSkip;
    e->alt = true;
    *used = 1 + inner;
    return r;
  }
  if (r == Parse::kSkip) *used = 1 + inner;
  return r;
}

Parse ParseKey(std::string_view s, KeyEvent* e, size_t* used) {
  const auto b = static_cast<unsigned char>(s[0]);
  *used = 1;
  if (b == 0x1B) return ParseEscape(s, e, used);
  if (b == '\r' || b == '\n') {
    *e = MakeKey(Key::kEnter);
    return Parse::kEvent;
  }
  if (b == '\t') {
    *e = MakeKey(Key::kTab);
    return Parse::kEvent;
  }
  if (b == 0x7F || b == 0x08) {
    *e = MakeKey(Key::kBackspace);
    return Parse::kEvent;
  }
  if (b == 0x00) {
    *e = MakeChar(" ", false, true);
    return Parse::kEvent;
  }
  if (b < 0x1B) {
    *e = MakeChar(std::string(1, static_cast<char>('a' + b - 1)), false, true);
    return Parse::kEvent;
  }
  if (b < 0x20) return Parse::kSkip;
  if (b < 0x80) {
    *e = MakeChar(s.substr(0, 1));
    return Parse::kEvent;
  }
  // A UTF-8 character: wait for all its bytes; a byte that cannot start one is dropped.
  size_t want = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (want == 0) return Parse::kSkip;
  if (s.size() < want) {
    for (size_t i = 1; i < s.size(); ++i) {
      if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return Parse::kSkip;
    }
    return Parse::kIncomplete;
  }
  if (Utf8SequenceLength(s, 0) != want) return Parse::kSkip;
  *used = want;
  *e = MakeChar(s.substr(0, want));
  return Parse::kEvent;
}

}  // namespace

KeyEvent MakeKey(Key key, bool shift, bool alt, bool ctrl) {
  KeyEvent e;
  e.key = key;
  e.shift = shift;
  e.alt = alt;
  e.ctrl = ctrl;
  return e;
}

KeyEvent MakeChar(std::string_view text, bool alt, bool ctrl) {
  KeyEvent e = MakeKey(Key::kChar, false, alt, ctrl);
  e.text = std::string(text);
  return e;
}

KeyEvent MakeMouse(MouseAction action, int x, int y, int button) {
  KeyEvent e = MakeKey(Key::kMouse);
  e.action = action;
  e.x = x;
  e.y = y;
  e.button = button;
  return e;
}

std::string KeyName(const KeyEvent& key) {
  static constexpr std::array<const char*, 22> kNames{
      "None",     "Char", "Enter", "Tab",  "BackTab", "Esc",   "Backspace", "Delete",
      "Insert",   "Up",   "Down",  "Left", "Right",   "Home",  "End",       "PageUp",
      "PageDown", "F4",   "F1",    "F10",  "Mouse",   "Resize"};
  std::string name;
  if (key.ctrl) name += "Ctrl+";
  if (key.alt) name += "Alt+";
  if (key.shift) name += "Shift+";
  const auto index = static_cast<size_t>(key.key);
  if (key.key == Key::kChar) {
    name += key.text;
  } else if (key.key == Key::kMouse) {
    static constexpr std::array<const char*, 4> kActions{"press", "release", "wheel-up",
                                                         "wheel-down"};
    name += "Mouse " + std::string(kActions[static_cast<size_t>(key.action)]) + " " +
            std::to_string(key.x) + "," + std::to_string(key.y);
    if (key.button != 0) name += " button " + std::to_string(key.button);
  } else if (index < kNames.size()) {
    name += kNames[index];
  }
  return name;
}

// Bracketed paste: what is pasted comes between these two marks.
constexpr std::string_view kPasteStart = "\x1b[200~";
constexpr std::string_view kPasteEnd = "\x1b[201~";

void KeyDecoder::Feed(std::string_view bytes) {
  buffer_.append(bytes);
  // A terminal never sends this much without a complete key in it; garbage is cut off so the
  // buffer stays bounded.
  if (buffer_.size() > 4 * kMaxSequence) buffer_.erase(0, buffer_.size() - 4 * kMaxSequence);
}

void KeyDecoder::EndPaste() {
  if (in_paste_ && kPasteEnd.starts_with(buffer_)) buffer_.clear();
  in_paste_ = false;
}

bool KeyDecoder::Next(KeyEvent* event, bool idle) {
  while (!buffer_.empty()) {
    if (buffer_.starts_with(kPasteStart) || buffer_.starts_with(kPasteEnd)) {
      in_paste_ = buffer_.starts_with(kPasteStart);
      buffer_.erase(0, kPasteStart.size());
      continue;
    }
    size_t used = 0;
    KeyEvent e;
    const Parse r = ParseKey(buffer_, &e, &used);
    if (r == Parse::kEvent) {
      buffer_.erase(0, used);
      // Pasted text is typed, never obeyed: its line ends and tabs would press buttons and
      // move the focus half-way through it.
      if (in_paste_ && (e.key != Key::kChar || e.ctrl || e.alt)) continue;
      e.pasted = in_paste_;
      *event = std::move(e);
      return true;
    }
    if (r == Parse::kSkip) {
      buffer_.erase(0, used == 0 ? 1 : used);
      continue;
    }
    // Incomplete.
    if (buffer_.size() > kMaxSequence) {
      buffer_.erase(0, 1);
      continue;
    }
    if (!idle) return false;
    // A paste's end mark cut by a pause is awaited, never taken for Esc (EndPaste gives up).
    if (in_paste_ && kPasteEnd.starts_with(buffer_)) return false;
    if (buffer_[0] == 0x1B) {
      // Nothing more came: the Esc key itself (or Alt+Esc for ESC ESC).
      const bool alt = buffer_.size() >= 2 && buffer_[1] == 0x1B;
      buffer_.erase(0, alt ? 2 : 1);
      *event = MakeKey(Key::kEsc, false, alt);
      return true;
    }
    buffer_.erase(0, 1);  // a cut-off character
  }
  return false;
}

}  // namespace ui
