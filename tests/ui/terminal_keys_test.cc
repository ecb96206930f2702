// What the terminal's bytes mean: escape sequences of the common terminals -> key events.

#include "ui/terminal/terminal_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ui::Key;
using ui::KeyDecoder;
using ui::KeyEvent;
using ui::MakeChar;
using ui::MakeKey;
using ui::MakeMouse;
using ui::MouseAction;

std::vector<std::string> Decode(std::string_view bytes, bool idle = true) {
  KeyDecoder d;
  d.Feed(bytes);
  std::vector<std::string> names;
  KeyEvent e;
  while (d.Next(&e, idle)) names.push_back(ui::KeyName(e));
  return names;
}

TEST(KeyDecoder, SequencesBecomeKeys) {
  struct Case {
    const char* bytes;
    KeyEvent expected;
  };
  const Case cases[] = {
      {"\r", MakeKey(Key::kEnter)},
      {"\n", MakeKey(Key::kEnter)},
      {"\t", MakeKey(Key::kTab)},
      {"\x1b[Z", MakeKey(Key::kBackTab, true)},
      {"\x7f", MakeKey(Key::kBackspace)},
      {"\x08", MakeKey(Key::kBackspace)},
      {"\x1b[A", MakeKey(Key::kUp)},
      {"\x1bOB", MakeKey(Key::kDown)},  // application cursor mode
      {"\x1b[C", MakeKey(Key::kRight)},
      {"\x1bOD", MakeKey(Key::kLeft)},
      {"\x1b[H", MakeKey(Key::kHome)},
      {"\x1b[1~", MakeKey(Key::kHome)},
      {"\x1b[7~", MakeKey(Key::kHome)},  // rxvt
      {"\x1bOF", MakeKey(Key::kEnd)},
      {"\x1b[4~", MakeKey(Key::kEnd)},
      {"\x1b[2~", MakeKey(Key::kInsert)},
      {"\x1b[3~", MakeKey(Key::kDelete)},
      {"\x1b[5~", MakeKey(Key::kPageUp)},
      {"\x1b[6~", MakeKey(Key::kPageDown)},
      {"\x1b[5;5~", MakeKey(Key::kPageUp, false, false, true)},    // Ctrl-PgUp
      {"\x1b[6;5~", MakeKey(Key::kPageDown, false, false, true)},  // Ctrl-PgDn
      {"\x1b[1;2B", MakeKey(Key::kDown, true)},                    // Shift-Down
      {"\x1b[1;3B", MakeKey(Key::kDown, false, true)},             // Alt-Down (xterm)
      {"\x1b\x1b[B", MakeKey(Key::kDown, false, true)},            // Alt-Down (ESC prefix)
      {"\x1b[1;6A", MakeKey(Key::kUp, true, false, true)},         // Ctrl-Shift-Up
      {"\x1bOS", MakeKey(Key::kF4)},
      {"\x1b[14~", MakeKey(Key::kF4)},
      {"\x1bOP", MakeKey(Key::kF1)},
      {"\x1b[11~", MakeKey(Key::kF1)},
      {"\x1b[21~", MakeKey(Key::kF10)},
      {"a", MakeChar("a")},
      {" ", MakeChar(" ")},
      {"\x1bx", MakeChar("x", true)},  // Alt+x
      {"\x1b"
       "E",
       MakeChar("E", true)},
      {"\x03", MakeChar("c", false, true)},  // Ctrl-C arrives as a byte in raw mode
      {"\x06", MakeChar("f", false, true)},
      {"\xc3\xa4", MakeChar("\xc3\xa4")},          // a two-byte character
      {"\xe4\xb8\xad", MakeChar("\xe4\xb8\xad")},  // a wide CJK character
      {"\x1b[<0;5;3M", MakeMouse(MouseAction::kPress, 4, 2)},
      {"\x1b[<0;5;3m", MakeMouse(MouseAction::kRelease, 4, 2)},
      {"\x1b[<2;1;1M", MakeMouse(MouseAction::kPress, 0, 0, 2)},
      {"\x1b[<64;10;10M", MakeMouse(MouseAction::kWheelUp, 9, 9)},
      {"\x1b[<65;10;10M", MakeMouse(MouseAction::kWheelDown, 9, 9)},
      {"\x1b[M !!", MakeMouse(MouseAction::kPress, 0, 0)},  // X10 form
  };
  for (const Case& c : cases) {
    KeyDecoder d;
    d.Feed(c.bytes);
    KeyEvent e;
    ASSERT_TRUE(d.Next(&e, true)) << ui::KeyName(c.expected);
    EXPECT_EQ(e, c.expected) << "got " << ui::KeyName(e) << " for " << ui::KeyName(c.expected);
    EXPECT_FALSE(d.Pending()) << ui::KeyName(c.expected);
  }
}

TEST(KeyDecoder, LoneEscapeWaitsForTheRestThenCountsAsEsc) {
  KeyDecoder d;
  KeyEvent e;
  d.Feed("\x1b");
  EXPECT_FALSE(d.Next(&e, false));  // could still become an arrow key
  d.Feed("[");
  EXPECT_FALSE(d.Next(&e, false));
  d.Feed("B");
  ASSERT_TRUE(d.Next(&e, false));
  EXPECT_EQ(e, MakeKey(Key::kDown));

  d.Feed("\x1b");
  ASSERT_TRUE(d.Next(&e, true));  // nothing more came
  EXPECT_EQ(e, MakeKey(Key::kEsc));
  EXPECT_FALSE(d.Pending());
}

TEST(KeyDecoder, SplitCharactersAndBurstsDecodeInOrder) {
  KeyDecoder d;
  KeyEvent e;
  d.Feed("\xe4\xb8");
  EXPECT_FALSE(d.Next(&e, false));
  d.Feed(
      "\xad"
      "1\x1b[6;5~\t");
  std::vector<std::string> names;
  while (d.Next(&e, false)) names.push_back(ui::KeyName(e));
  EXPECT_EQ(names, (std::vector<std::string>{"\xe4\xb8\xad", "1", "Ctrl+PageDown", "Tab"}));
}

TEST(KeyDecoder, UnknownSequencesAreDroppedWhole) {
  // An unknown function key must not type "[24;2~" into an edit.
  EXPECT_EQ(Decode("\x1b[99~x"), (std::vector<std::string>{"x"}));
  EXPECT_EQ(Decode("\x1b[?1;2cy"), (std::vector<std::string>{"y"}));     // a device attribute reply
  EXPECT_EQ(Decode("\x1b[<32;5;5Mz"), (std::vector<std::string>{"z"}));  // mouse motion
  EXPECT_EQ(Decode("\xff"
                   "a\x80"),
            (std::vector<std::string>{"a"}));  // stray bytes
  EXPECT_EQ(Decode("\x1b\x1b"), (std::vector<std::string>{"Alt+Esc"}));
}

// Pasted text is typed: its line end, tab and control bytes would otherwise press the default
// button or move the focus half-way through it. Keys after the paste count again.
TEST(KeyDecoder, PastedTextIsOnlyTyped) {
  EXPECT_EQ(Decode("\x1b[200~K 7\t\x01\x1b[A\r\n\x1b[201~\r"),
            (std::vector<std::string>{"K", " ", "7", "Enter"}));
  // The characters are marked as pasted. An end mark cut by a pause is awaited, never taken for
  // Esc; one that never comes whole is given up (EndPaste), its piece dropped.
  KeyDecoder d;
  std::vector<std::string> names;
  auto drain = [&] {
    KeyEvent e;
    while (d.Next(&e, true)) names.push_back(ui::KeyName(e) + (e.pasted ? "*" : ""));
  };
  for (const char* bytes : {"\x1b[200~ab\x1b[20", "1~\r", "\x1b[200~c\x1b[2"}) {
    d.Feed(bytes);
    drain();
  }
  d.EndPaste();
  d.Feed("\r");
  drain();
  EXPECT_EQ(names, (std::vector<std::string>{"a*", "b*", "Enter", "c*", "Enter"}));
}

TEST(KeyDecoder, EndlessGarbageStaysBounded) {
  KeyDecoder d;
  KeyEvent e;
  d.Feed("\x1b[");
  for (int i = 0; i < 1000; ++i) d.Feed("1;1;1;1;");
  while (d.Next(&e, false)) {
  }
  d.Feed("q");
  std::vector<std::string> names;
  while (d.Next(&e, true)) names.push_back(ui::KeyName(e));
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), "q");
}

}  // namespace
