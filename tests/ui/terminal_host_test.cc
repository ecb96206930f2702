// The terminal host driven by keys and clicks on a cell buffer, in virtual time: focus, every
// kind of control, message boxes, the file browser, timers while waiting, resizing.

#include "ui/terminal/terminal_host.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/terminal/terminal_buffer_screen.h"
#include "ui/terminal/terminal_text_fit.h"

namespace {

using ui::Key;
using ui::KeyEvent;
using ui::MakeChar;
using ui::MakeKey;
using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

struct Rig {
  platform::VirtualClock clock;
  ui::BufferScreen screen{100, 40};
  ui::TerminalHost host;
  std::vector<int> focus_at_key;  // the focused control's id as each key arrives
  explicit Rig(ui::Resources texts = {}) : host(clock, screen, std::move(texts)) {
    screen.SetIdle([this](uint32_t ms) { clock.Advance(ms); });
    screen.SetKeyHook([this](const KeyEvent&) {
      const ui::Control* c = host.FocusedControl();
      focus_at_key.push_back(c ? c->id() : -1);
    });
  }
  void Keys(std::initializer_list<KeyEvent> keys) {
    for (const auto& k : keys) screen.PushKey(k);
  }
  void Type(std::string_view text) {
    for (char c : text) screen.PushKey(MakeChar(std::string(1, c)));
  }
};

long Count(const std::vector<std::string>& log, const std::string& line) {
  return std::count(log.begin(), log.end(), line);
}

TEST(TerminalHost, TabVisitsTheTabStopsInOrderAndEscPressesCancel) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  for (int i = 0; i < 12; ++i) rig.Keys({MakeKey(Key::kTab)});
  rig.Keys({MakeKey(Key::kBackTab, true), MakeKey(Key::kEsc)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDCANCEL);
  // Labels, the progress bar, the picture, the group box and the hidden button are no stops;
  // the radio group is one stop.
  EXPECT_EQ(rig.focus_at_key,
            (std::vector<int>{10, 11, 12, 13, 14, 20, 23, 24, 26, 1000, 1, 2, 10, 2}));
  EXPECT_EQ(dlg.log.back(), "destroy");
  EXPECT_EQ(Count(dlg.log, "cmd 2 clicked"), 1);
}

TEST(TerminalHost, EditTypingKeepsItsRulesWithOneChangePerKeystroke) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  std::string at_ok;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 1) at_ok = d.GetEdit(13).GetText();
    return false;
  };
  rig.Keys({MakeKey(Key::kTab), MakeKey(Key::kTab), MakeKey(Key::kTab)});  // to edit 13, "30"
  rig.Type("1x234");  // replaces the selected text; 'x' refused (digits only); '4' over the limit
  rig.Keys({MakeKey(Key::kBackspace)});
  rig.Type("9");
  rig.Keys({MakeKey(Key::kHome), MakeKey(Key::kDelete), MakeKey(Key::kEnter)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);  // Enter in an edit presses the default button
  EXPECT_EQ(at_ok, "29");
  EXPECT_EQ(Count(dlg.log, "cmd 13 change"), 6);  // 1, 12, 123, 12, 129, 29
}

TEST(TerminalHost, DropDownOpensChoosesWithArrowsAndNotifiesOnlyOnChange) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    for (const char* s : {"Zulu", "alpha", "Mike"}) d.GetComboBox(10).AddString(s);
    d.GetComboBox(10).SetCurSel(0);  // alpha
  };
  bool popup_seen = false;
  rig.screen.SetKeyHook([&](const KeyEvent& k) {
    if (k.key == Key::kEnter && !popup_seen) popup_seen = rig.screen.Contains(">Zulu");
  });
  rig.Keys({MakeKey(Key::kDown, false, true), MakeKey(Key::kDown), MakeKey(Key::kDown),
            MakeKey(Key::kEnter),                      // chooses Zulu
            MakeKey(Key::kEnter), MakeKey(Key::kEsc),  // open and close: no change
            MakeKey(Key::kDown),                       // closed, last row: nothing
            MakeKey(Key::kUp),                         // closed: Mike at once
            MakeKey(Key::kEsc)});
  std::string final_text;
  dlg.destroy = [&](ProbeDialog& d) { final_text = d.GetComboBox(10).GetText(); };
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDCANCEL);
  EXPECT_TRUE(popup_seen);
  EXPECT_EQ(Count(dlg.log, "cmd 10 selchange"), 2);
  EXPECT_EQ(final_text, "Mike");
}

TEST(TerminalHost, TypingIntoAnEditableDropDownTakesEveryCharacter) {
  using K = ui::ControlKind;
  static const ui::Template t{701,
                              "Port",
                              120,
                              40,
                              {{10, K::kComboBox, "", {5, 5, 100, 60}, ui::kEditable},
                               {1, K::kButton, "OK", {5, 22, 40, 14}, ui::kDefault}}};
  Rig rig;
  ProbeDialog dlg(t);
  dlg.init = [](ProbeDialog& d) { d.GetComboBox(10).AddString("COM1:"); };
  rig.Type("/dev/ttyUSB0");  // no edit styles: nothing refused, no limit
  rig.Keys({MakeKey(Key::kBackspace), MakeChar("1"), MakeKey(Key::kEsc)});
  std::string final_text;
  dlg.destroy = [&](ProbeDialog& d) { final_text = d.GetComboBox(10).GetText(); };
  dlg.DoModal(rig.host);
  EXPECT_EQ(final_text, "/dev/ttyUSB1");
  EXPECT_EQ(Count(dlg.log, "cmd 10 change"), 14);
}

// Whether `text` is drawn on the screen in reverse video: an edit whose text is all selected.
bool ShownSelected(const ui::BufferScreen& screen, std::string_view text) {
  int x = 0;
  int y = 0;
  return !text.empty() && screen.Find(text, &x, &y) && (screen.At(x, y).attrs & ui::kAttrReverse);
}

TEST(TerminalHost, FocusArrivingInAFieldSelectsItsTextHoweverItComes) {
  using K = ui::ControlKind;
  static const ui::Template t{704,
                              "Typing",
                              160,
                              60,
                              {{10, K::kEdit, "", {5, 5, 40, 12}, ui::kNumber, 3},
                               {11, K::kComboBox, "", {5, 20, 100, 60}, ui::kEditable},
                               {12, K::kEdit, "", {60, 5, 30, 12}, ui::kNoStyle, 2},
                               {1, K::kButton, "OK", {5, 40, 40, 14}, ui::kDefault}}};
  Rig rig;
  ProbeDialog dlg(t);
  dlg.init = [](ProbeDialog& d) {
    d.SetDlgItemText(10, "15");
    d.GetComboBox(11).AddString("COM1:");
    d.GetComboBox(11).SetCurSel(0);
    d.SetDlgItemText(12, "00");
  };
  uint32_t minutes = 0;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    return id == 1 && !d.ReadUIntRange(10, 0, 90, &minutes);  // refused: the dialog stays
  };
  std::string selected;  // 1: the focused field drawn selected as a character arrives
  rig.screen.SetKeyHook([&](const KeyEvent& k) {
    const ui::Control* c = rig.host.FocusedControl();
    if (k.key == Key::kChar && c != nullptr) {
      selected += ShownSelected(rig.screen, c->GetText()) ? '1' : '0';
    }
  });
  rig.Type("95");                  // the dialog opens with the focus in 10
  rig.Keys({MakeKey(Key::kTab)});  // the port list
  rig.Type("/dev/ttyUSB0");
  rig.Keys({MakeKey(Key::kTab)});  // 12, "00", two characters at most
  rig.Type("12");
  rig.Keys({MakeKey(Key::kTab), MakeKey(Key::kBackTab, true)});  // OK and back to 12
  rig.Type("34");
  rig.Keys({MakeKey(Key::kEnter), MakeKey(Key::kEnter)});  // 95 is refused; the message answered
  rig.Type("3");
  rig.Keys({MakeKey(Key::kLeft)});  // drops the selection: 7 goes before the 3
  rig.Type("7");
  rig.Keys({MakeKey(Key::kEnter)});
  std::vector<std::string> texts;
  dlg.destroy = [&](ProbeDialog& d) {
    texts = {d.GetDlgItemText(10), d.GetComboBox(11).GetText(), d.GetDlgItemText(12)};
  };
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(texts, (std::vector<std::string>{"73", "/dev/ttyUSB0", "34"}));
  EXPECT_EQ(minutes, 73u);
  EXPECT_EQ(Count(dlg.log, "cmd 1 clicked"), 2);
  // The first character after each arrival replaces the selection: 95, /dev/ttyUSB0, 12, 34, 3;
  // the 7 after Left does not.
  EXPECT_EQ(selected, "10100000000000101010");
}

const ui::Template& MnemonicTemplate() {
  using K = ui::ControlKind;
  static const ui::Template t{700,
                              "Options",
                              160,
                              80,
                              {
                                  {-1, K::kStatic, "&Name:", {5, 5, 30, 8}},
                                  {100, K::kEdit, "", {40, 5, 60, 12}},
                                  {101, K::kCheckBox, "&Verbose", {5, 20, 60, 10}, ui::kGroup},
                                  {102, K::kRadio, "&Low", {5, 35, 40, 10}, ui::kGroup},
                                  {103, K::kRadio, "&High", {50, 35, 40, 10}},
                                  {104, K::kButton, "&Apply", {5, 55, 40, 14}, ui::kGroup},
                                  {1, K::kButton, "OK", {60, 55, 40, 14}, ui::kDefault},
                              }};
  return t;
}

TEST(TerminalHost, MnemonicsRadioArrowsAndSpace) {
  Rig rig;
  ProbeDialog dlg(MnemonicTemplate());
  int radio = -2;
  bool verbose = false;
  std::string name;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 1) {
      radio = d.GetRadioIndex(102);
      verbose = d.IsDlgButtonChecked(101);
      name = d.GetEdit(100).GetText();
    }
    return false;
  };
  rig.Keys({MakeChar("n", true)});  // the label's letter goes to the edit after it
  rig.Type("ab");
  rig.Keys({MakeChar("v", true),    // toggles the check box
            MakeChar("l", true),    // chooses Low
            MakeKey(Key::kDown),    // moves to High and chooses it
            MakeChar("v"),          // a plain letter works where the focus takes no text
            MakeChar(" "),          // the focus went with the letter: toggles the box again
            MakeChar("a", true)});  // Apply
  rig.Keys({MakeKey(Key::kTab), MakeChar(" ")});  // focus OK, Space presses it
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(name, "ab");
  EXPECT_TRUE(verbose);  // toggled three times
  EXPECT_EQ(radio, 1);
  EXPECT_EQ(Count(dlg.log, "cmd 101 clicked"), 3);
  EXPECT_EQ(Count(dlg.log, "cmd 102 clicked"), 1);
  EXPECT_EQ(Count(dlg.log, "cmd 103 clicked"), 1);
  EXPECT_EQ(Count(dlg.log, "cmd 104 clicked"), 1);
}

// Pasted characters are typed into a text field and ignored elsewhere: a pasted space does not
// tick the box, a pasted letter does not call the Apply button's mnemonic.
TEST(TerminalHost, PastedTextGoesOnlyIntoTextFields) {
  Rig rig;
  ProbeDialog dlg(MnemonicTemplate());
  std::string name;
  bool verbose = false;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 1) {
      name = d.GetEdit(100).GetText();
      verbose = d.IsDlgButtonChecked(101);
    }
    return false;
  };
  auto pasted = [](const char* text) {
    KeyEvent e = MakeChar(text);
    e.pasted = true;
    return e;
  };
  rig.Keys({pasted("a"), pasted("b"), MakeKey(Key::kTab), pasted(" "), pasted("a"), MakeChar(" "),
            MakeKey(Key::kEnter)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(name, "ab");
  EXPECT_TRUE(verbose);  // the typed Space alone
  EXPECT_EQ(Count(dlg.log, "cmd 101 clicked"), 1);
  EXPECT_EQ(Count(dlg.log, "cmd 104 clicked"), 0);
}

// A dialog whose first stop is a radio group starts on the chosen radio: Space there chooses
// nothing new.
TEST(TerminalHost, ADialogOpeningOnARadioGroupFocusesTheChosenRadio) {
  using K = ui::ControlKind;
  static const ui::Template t{705,
                              "Mode",
                              160,
                              40,
                              {{102, K::kRadio, "Low", {5, 5, 40, 10}, ui::kGroup},
                               {103, K::kRadio, "High", {50, 5, 40, 10}},
                               {1, K::kButton, "OK", {5, 20, 40, 14}, ui::kDefault}}};
  Rig rig;
  ProbeDialog dlg(t);
  dlg.init = [](ProbeDialog& d) { d.CheckRadioButton(103); };
  int radio = -2;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 1) radio = d.GetRadioIndex(102);
    return false;
  };
  rig.Keys({MakeChar(" "), MakeKey(Key::kEnter)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(radio, 1);
  EXPECT_EQ(Count(dlg.log, "cmd 102 clicked"), 0);
}

TEST(TerminalHost, EscDoesNothingWhileCancelIsDisabledAndAClickPressesAButton) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.EnableDlgItem(2, false); };
  // 52 x 21 centred on 100 x 40 -> frame at (24, 9); OK at units (150, 45) -> cell (38, 6).
  const int ok_x = 24 + 1 + 38 + 3;
  const int ok_y = 9 + 1 + 6;
  bool ok_where_expected = false;
  rig.screen.SetKeyHook([&](const KeyEvent& k) {
    int x = 0, y = 0;
    if (k.key == Key::kEsc && rig.screen.Find("[ OK ]", &x, &y)) {
      ok_where_expected = y == ok_y && x <= ok_x && ok_x < x + 6;
    }
  });
  rig.Keys({MakeKey(Key::kEsc), ui::MakeMouse(ui::MouseAction::kPress, ok_x, ok_y),
            ui::MakeMouse(ui::MouseAction::kRelease, ok_x, ok_y)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_TRUE(ok_where_expected);
  EXPECT_EQ(Count(dlg.log, "cmd 2 clicked"), 0);
  EXPECT_EQ(Count(dlg.log, "cmd 1 clicked"), 1);
}

TEST(TerminalHost, MultiSelectionWithSpaceAndShift) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    for (const char* s : {"r0", "r1", "r2", "r3"}) d.GetListBox(11).AddString(s);
  };
  std::vector<int> selection;
  dlg.destroy = [&](ProbeDialog& d) { selection = d.GetListBox(11).GetSelItems(); };
  rig.Keys({MakeKey(Key::kTab), MakeChar(" "), MakeKey(Key::kDown), MakeKey(Key::kDown),
            MakeKey(Key::kDown, true), MakeKey(Key::kHome), MakeChar(" "), MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  EXPECT_EQ(selection, (std::vector<int>{2, 3}));
  // Row 0 in, rows 2 and 3 in (one notification each), row 0 out.
  EXPECT_EQ(Count(dlg.log, "cmd 11 selchange"), 4);
}

// A list view's buttons act on its selection, so the arrows select as a click does; Ctrl moves
// the caret alone and Space adds the caret's row.
TEST(TerminalHost, ListViewArrowsSelectCtrlMovesTheCaret) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    d.GetListView(12).InsertColumn(0, "Name", 80);
    for (const char* s : {"r0", "r1", "r2", "r3"}) d.GetListView(12).InsertItem(99, s);
  };
  std::vector<int> selection;
  dlg.destroy = [&](ProbeDialog& d) { selection = d.GetListView(12).SelectedRows(); };
  rig.Keys({MakeKey(Key::kTab), MakeKey(Key::kTab), MakeChar(" "), MakeKey(Key::kDown),
            MakeKey(Key::kDown), MakeKey(Key::kDown, true), MakeKey(Key::kUp, false, false, true),
            MakeKey(Key::kUp, false, false, true), MakeChar(" "), MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  EXPECT_EQ(selection, (std::vector<int>{1, 2, 3}));  // row 0 left when Down selected row 1
}

TEST(TerminalHost, IpAddressSliderAndTabKeys) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  std::string ip;
  int slider = -1;
  dlg.destroy = [&](ProbeDialog& d) {
    ip = d.GetIpAddress(26).GetText();
    slider = d.GetSlider(24).GetPos();
  };
  for (int i = 0; i < 7; ++i) rig.Keys({MakeKey(Key::kTab)});  // slider 24
  rig.Keys({MakeKey(Key::kPageDown), MakeKey(Key::kRight), MakeKey(Key::kLeft), MakeKey(Key::kLeft),
            MakeKey(Key::kTab)});  // 20, 21, 20, 19; then the address
  rig.Type("192.168.1.50");
  rig.Keys({MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  EXPECT_EQ(ip, "192.168.1.50");
  EXPECT_EQ(Count(dlg.log, "cmd 26 change"), 9);  // one per digit
  EXPECT_EQ(slider, 19);
  EXPECT_EQ(Count(dlg.log, "cmd 24 scroll"), 4);
}

TEST(TerminalHost, SliderMovesByEveryKeyAndToTheCellClickedOnItsTrack) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<int> positions;  // the slider's position at each notification
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify code) {
    if (id == 24 && code == ui::Notify::kScroll) positions.push_back(d.GetSlider(24).GetPos());
    return false;
  };
  // The track: units (5, 95, 80 x 12) -> cells 1..20 on the control's middle row 12 of the
  // client area, whose frame sits at (24, 9); so screen cells 26..45 on row 22. Cell 10 of 20 is
  // 10/19 of the range 0..100.
  std::string track_after_click;
  rig.screen.SetKeyHook([&](const KeyEvent& k) {
    if (k.key == Key::kEsc) track_after_click = rig.screen.Row(22);
  });
  for (int i = 0; i < 7; ++i) rig.Keys({MakeKey(Key::kTab)});  // slider 24, at 0
  rig.Keys({MakeKey(Key::kLeft),  // already at the start: no move, no notification
            MakeKey(Key::kEnd), MakeKey(Key::kPageUp), MakeKey(Key::kUp), MakeKey(Key::kHome),
            MakeKey(Key::kDown), MakeKey(Key::kRight), MakeKey(Key::kPageDown),
            ui::MakeMouse(ui::MouseAction::kPress, 36, 22),
            ui::MakeMouse(ui::MouseAction::kRelease, 36, 22), MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  EXPECT_EQ(positions, (std::vector<int>{100, 80, 79, 0, 1, 2, 22, 53}));
  // The thumb is drawn on the cell that was clicked.
  EXPECT_NE(track_after_click.find("──────────█─────────"), std::string::npos) << track_after_click;
}

TEST(TerminalHost, MessageBoxFromATimerIsAnsweredByKeys) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  int answer = 0;
  bool shown = false;
  dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(5, 200); };
  dlg.timer = [&](ProbeDialog& d, int) {
    rig.Keys({MakeKey(Key::kRight), MakeKey(Key::kEnter)});
    rig.screen.SetKeyHook([&](const KeyEvent&) {
      shown = rig.screen.Contains("(?)") && rig.screen.Contains("Store the settings?") &&
              rig.screen.Contains("[>Yes<]") && rig.screen.Contains("[ Cancel ]");
      rig.screen.SetKeyHook(nullptr);
    });
    answer =
        d.MessageBox("Store the settings?", "Pelliset", ui::MB_YESNOCANCEL | ui::MB_ICONQUESTION);
  };
  dlg.DoModal(rig.host);  // ends when the keys run out
  EXPECT_TRUE(shown);
  EXPECT_EQ(answer, ui::IDNO);
  EXPECT_GE(rig.clock.NowMs(), 200u);
}

TEST(TerminalHost, TimersRunWhileWaitingForKeysAndTheScreenFollows) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  std::set<int> percentages;
  dlg.init = [](ProbeDialog& d) { d.SetTimer(1, 100); };
  dlg.timer = [](ProbeDialog& d, int) {
    auto& p = d.GetProgress(25);
    p.SetPos(p.GetPos() + 10);
    if (p.GetPos() >= 100) d.EndDialog(ui::IDOK);
  };
  rig.screen.SetIdle([&](uint32_t ms) {
    // The numbers in front of a '%' on the screen.
    const std::string text = rig.screen.Text();
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
      size_t start = at;
      while (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1]))) --start;
      if (start < at) percentages.insert(std::stoi(text.substr(start, at - start)));
    }
    rig.clock.Advance(ms);
  });
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(percentages, (std::set<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
  EXPECT_EQ(rig.clock.NowMs(), 1000u);
}

TEST(TerminalHost, ResizingRedrawsCentredOnTheNewSize) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  int title_row = -1;
  rig.screen.SetKeyHook([&](const KeyEvent& k) {
    if (k.key == Key::kTab) rig.screen.Resize(120, 50);
    int x = 0;
    if (k.key == Key::kEsc) rig.screen.Find(" Every Kind ", &x, &title_row);
  });
  rig.Keys({MakeKey(Key::kTab), MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  EXPECT_EQ(title_row, (50 - 21) / 2);
}

// A step that waits 2 s on the printer while the user presses keys and resizes the terminal.
TEST(TerminalHost, KeysTypedDuringAWaitAreDroppedAndCancelStopsAJobBeforeItsNextStep) {
  for (const auto& [job, cancel] :
       {std::pair{false, MakeKey(Key::kEsc)}, std::pair{true, MakeKey(Key::kEsc)},
        std::pair{true, MakeChar("c", false, true)}}) {
    SCOPED_TRACE(KeyName(cancel) +
                 (job ? " in a job that stops between steps" : " in a dialog that does not"));
    Rig rig;
    ProbeDialog dlg(EveryKindTemplate());
    dlg.stops_between_steps = job;
    int title_row_in_wait = -1;
    dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 100); };
    dlg.timer = [&](ProbeDialog& d, int id) {
      if (id == 2) {
        d.EndDialog(ui::IDOK);
        return;
      }
      rig.Keys({MakeKey(Key::kTab), cancel, MakeKey(Key::kEnter)});
      rig.screen.Resize(120, 50);
      d.clock().Sleep(2000);
      int x = 0;
      rig.screen.Find(" Every Kind ", &x, &title_row_in_wait);
      d.SetOneShotTimer(2, 100);
    };
    const int result = dlg.DoModal(rig.host);
    EXPECT_EQ(title_row_in_wait, (50 - 21) / 2);  // redrawn for the new size during the wait
    EXPECT_EQ(rig.screen.KeysLeft(), 0u);
    if (job) {
      EXPECT_EQ(result, ui::IDCANCEL);
      EXPECT_EQ(Count(dlg.log, "cmd 2 clicked"), 1);
      EXPECT_EQ(Count(dlg.log, "timer 2 @2200"), 0);
    } else {
      // Esc, Tab and Enter went nowhere; the dialog went on to its next step.
      EXPECT_EQ(result, ui::IDOK);
      EXPECT_EQ(Count(dlg.log, "cmd 2 clicked"), 0);
      EXPECT_EQ(Count(dlg.log, "timer 2 @2200"), 1);
    }
  }
}

TEST(TerminalHost, TabPagesTakePartInFocusAndCtrlPageDownSwitchesTabs) {
  using K = ui::ControlKind;
  static const ui::Template parent_t{
      800,
      "Tabs",
      160,
      100,
      {{300, K::kTab, "", {5, 5, 150, 70}}, {1, K::kButton, "OK", {5, 80, 40, 14}, ui::kDefault}}};
  static const ui::Template page_t{801, "", 140, 50, {{10, K::kEdit, "", {5, 5, 60, 12}}}};
  Rig rig;
  ProbeDialog page(page_t);
  ProbeDialog dlg(parent_t);
  dlg.init = [&](ProbeDialog& d) {
    d.GetTab(300).InsertItem(0, "General");
    d.GetTab(300).InsertItem(1, "Buffer");
    d.GetTab(300).SetCurSel(0);
    d.CreatePage(page, 10, 20);
  };
  std::string typed;
  page.destroy = [&](ProbeDialog& p) { typed = p.GetEdit(10).GetText(); };
  dlg.destroy = [&](ProbeDialog& d) { EXPECT_EQ(d.GetTab(300).GetCurSel(), 1); };
  rig.Keys({MakeKey(Key::kTab)});  // from the tab row to the page's edit
  rig.Type("x");
  rig.Keys({MakeKey(Key::kPageDown, false, false, true), MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  EXPECT_EQ(rig.focus_at_key[0], 300);
  EXPECT_EQ(rig.focus_at_key[1], 10);
  EXPECT_EQ(typed, "x");
  EXPECT_EQ(Count(page.log, "cmd 10 change"), 1);
  EXPECT_EQ(Count(dlg.log, "cmd 300 selchange"), 1);
}

// A page's handler that sends the focus back to its edit (a refused check) is seen even when the
// page had that edit focused before the user moved on to the frame's button.
TEST(TerminalHost, FocusSentBackIntoAPageFromTheFramesButtonIsFollowed) {
  using K = ui::ControlKind;
  static const ui::Template parent_t{
      802,
      "Tabs",
      160,
      100,
      {{300, K::kTab, "", {5, 5, 150, 70}}, {1, K::kButton, "OK", {5, 80, 40, 14}, ui::kDefault}}};
  static const ui::Template page_t{803, "", 140, 50, {{10, K::kEdit, "", {5, 5, 60, 12}}}};
  Rig rig;
  ProbeDialog page(page_t);
  ProbeDialog dlg(parent_t);
  dlg.init = [&](ProbeDialog& d) {
    d.GetTab(300).InsertItem(0, "General");
    d.CreatePage(page, 10, 20);
  };
  // The first OK is refused, as a failed check does, with the focus sent to the page's edit.
  int oks = 0;
  dlg.command = [&](ProbeDialog&, int id, ui::Notify) {
    if (id != 1 || ++oks > 1) return false;
    page.GotoDlgCtrl(10);
    return true;
  };
  rig.Keys({MakeKey(Key::kTab), MakeKey(Key::kTab), MakeKey(Key::kEnter), MakeChar("y"),
            MakeKey(Key::kEsc)});
  dlg.DoModal(rig.host);
  // Tab row, page edit, OK; then the key after the refused OK lands in the edit again.
  EXPECT_EQ(rig.focus_at_key, (std::vector<int>{300, 10, 1, 10, 10}));
}

class TempFolder {
 public:
  TempFolder() {
    char tmpl[] = "/tmp/pelliset-browse-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempFolder() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  void File(const std::string& name) { std::ofstream(path_ + "/" + name) << "x"; }

 private:
  std::string path_;
};

TEST(TerminalHost, FileBrowserChoosesMarkedFilesInTheOrderMarked) {
  TempFolder dir;
  dir.File("a.bmp");
  dir.File("b.BMP");
  dir.File("c.txt");
  std::filesystem::create_directory(dir.path() + "/sub");
  Rig rig;
  rig.host.SetBrowseFolder(dir.path());
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<std::string> chosen;
  std::vector<std::string> cancelled{"not asked"};
  bool listing_ok = false;
  bool marks_shown = false;
  dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 10); };
  dlg.timer = [&](ProbeDialog& d, int) {
    // Rows: "..", "sub/", "a.bmp", "b.BMP" (c.txt does not match the filter).
    rig.Keys({MakeKey(Key::kEnd), MakeChar(" "), MakeKey(Key::kUp), MakeChar(" "),
              MakeKey(Key::kEnter)});
    rig.screen.SetKeyHook([&](const KeyEvent& k) {
      if (k.key == Key::kEnd) {
        listing_ok = rig.screen.Contains("sub/") && rig.screen.Contains("[ ] a.bmp") &&
                     !rig.screen.Contains("c.txt");
      }
      if (k.key == Key::kEnter) {
        marks_shown = rig.screen.Contains(" [x] a.bmp") && rig.screen.Contains(">[x] b.BMP") &&
                      rig.screen.Contains("2 marked: Enter chooses them");
        rig.screen.SetKeyHook(nullptr);
      }
    });
    chosen = d.FileOpenDialog("Image Files(*.bmp)|*.bmp||", true);
    rig.Type("sub");
    rig.Keys({MakeKey(Key::kEnter), MakeKey(Key::kEsc)});
    cancelled = d.FileOpenDialog("Image Files(*.bmp)|*.bmp||", false);
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_TRUE(listing_ok);
  EXPECT_TRUE(marks_shown);
  EXPECT_EQ(chosen, (std::vector<std::string>{dir.path() + "/b.BMP", dir.path() + "/a.bmp"}));
  EXPECT_TRUE(cancelled.empty());
}

// A translation's words on the message box buttons and in the file browser. The letter drawn
// answers, and the English one still does; scripts keep the English names.
TEST(TerminalHost, MessageBoxAndFileBrowserShowTheTranslation) {
  ui::Resources german;
  german.SetPack(ui::ParseResourcePack(
      "pelliset-pack 1\nhost button/yes = Ja\nhost button/no = Nein\n"
      "host button/cancel = Abbrechen\nhost file/open = Öffnen\nhost file/folder = Ordner:\n"
      "host file/path = Pfad:\nhost file/type = Dateityp:\n"
      "host file/keys = Enter öffnen  Esc abbrechen\n"));
  ASSERT_TRUE(german.HasPack());
  TempFolder dir;
  Rig rig(german);
  rig.host.SetBrowseFolder(dir.path());
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<int> answers;
  std::vector<std::string> seen;  // the box's and the browser's rows with text, at each key
  rig.screen.SetKeyHook([&](const KeyEvent&) {
    std::string rows = rig.screen.Contains("Öffnen") ? "|Öffnen" : "";  // the browser's title
    for (int y = 0; y < 40; ++y) {
      const std::string row = rig.screen.Row(y);
      for (const char* word : {"Ja", "Ordner:", "Pfad:", "Dateityp:", "Enter öffnen"}) {
        if (row.find(word) == std::string::npos) continue;
        const size_t first = row.find_first_not_of(" │");
        rows += "|" + row.substr(first, row.find_last_not_of(" │") + 1 - first);
        break;
      }
    }
    seen.push_back(rows);
  });
  dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 10); };
  dlg.timer = [&](ProbeDialog& d, int) {
    rig.Type("j");
    answers.push_back(d.MessageBox("?", "T", ui::MB_YESNOCANCEL));
    rig.Type("c");
    answers.push_back(d.MessageBox("?", "T", ui::MB_YESNOCANCEL));
    rig.Keys({MakeKey(Key::kEsc)});
    d.FileOpenDialog("Image Files(*.bmp)|*.bmp||", false);
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(answers, (std::vector<int>{ui::IDYES, ui::IDCANCEL}));
  const std::string box = "|[>Ja<]  [ Nein ]  [ Abbrechen ]";
  EXPECT_EQ(seen, (std::vector<std::string>{box, box,
                                            "|Öffnen|Ordner: " + dir.path() +
                                                "|Pfad:"
                                                "|Dateityp: Image Files(*.bmp)"
                                                "|Enter öffnen  Esc abbrechen"}));
}

TEST(TerminalHost, AClickIntoAnEditSelectsAllAsDrawnAndASecondClickPlacesTheCaret) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.GetEdit(14).SetText("9100"); };
  std::string at_ok;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 1) at_ok = d.GetEdit(14).GetText();
    return false;
  };
  // Edit 14 at units (40, 65) -> cell (10, 8) in the frame at (24, 9).
  const int x = 24 + 1 + 10;
  const int y = 9 + 1 + 8;
  std::vector<bool> reversed;  // the edit's first cell in reverse video as each digit arrives
  rig.screen.SetKeyHook([&](const KeyEvent& k) {
    if (k.key == Key::kChar) reversed.push_back(rig.screen.At(x, y).attrs & ui::kAttrReverse);
  });
  rig.Keys({ui::MakeMouse(ui::MouseAction::kPress, x + 1, y),
            ui::MakeMouse(ui::MouseAction::kRelease, x + 1, y)});
  rig.Type("19473");  // replaces "9100", as drawn
  rig.Keys({ui::MakeMouse(ui::MouseAction::kPress, x + 2, y),
            ui::MakeMouse(ui::MouseAction::kRelease, x + 2, y)});
  rig.Type("5");  // at the caret, between "19" and "473"
  rig.Keys({MakeKey(Key::kEnter)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(at_ok, "195473");
  EXPECT_EQ(reversed, (std::vector<bool>{true, false, false, false, false, false}));
}

TEST(TerminalHost, WideCharactersAreMeasuredCutScrolledAndTypedByCells) {
  using K = ui::ControlKind;
  // 20 x 8 cells of client area; the static text 5 x 2, the button 7, the list 6 x 3, the edit 6.
  static const ui::Template t{702,
                              "设置",
                              80,
                              64,
                              {{14, K::kEdit, "", {40, 24, 24, 12}},
                               {5, K::kStatic, "打印机的设置", {4, 0, 20, 16}},
                               {1, K::kButton, "打印", {40, 0, 28, 14}},
                               {11, K::kListBox, "", {4, 24, 22, 24}}}};
  // Cells: 2 for the ideographs, so the label wraps to 3 rows (it has 2) and the button's 4
  // cells and brackets fit its 7, though its 6 bytes would not.
  std::vector<int> cut;
  for (const ui::CutText& c : ui::FindCutTexts(t, ui::Resources())) cut.push_back(c.control_id);
  EXPECT_EQ(cut, (std::vector<int>{5}));

  platform::VirtualClock clock;
  ui::BufferScreen screen(30, 12);  // the 22 x 10 dialog at (4, 0), its client area at (5, 1)
  screen.SetIdle([&](uint32_t ms) { clock.Advance(ms); });
  ui::TerminalHost host(clock, screen);
  ProbeDialog dlg(t);
  dlg.init = [](ProbeDialog& d) {
    d.GetListBox(11).AddString("北京市");
    // A stray byte: one replacement character; a right-to-left override, which would turn the
    // rest of the row around: "?".
    d.GetListBox(11).AddString(
        "a\xFF"
        "b\xE2\x80\xAE"
        "c");
  };
  std::vector<std::string> edit_rows;  // the edit's cells and the caret as each key arrives
  std::string rows;                    // the dialog as Esc arrives
  screen.SetKeyHook([&](const KeyEvent& k) {
    std::string cells;
    for (int x = 15; x < 21; ++x) cells += screen.At(x, 4).glyph;
    edit_rows.push_back(cells + "|" + std::to_string(screen.CursorX() - 15));
    for (int y = 0; k.key == Key::kEsc && y < 7; ++y) rows += screen.Row(y) + "\n";
  });
  for (const char* c : {"東", "京", "都", "港", "区"}) screen.PushKey(MakeChar(c));
  for (Key k : {Key::kHome, Key::kEnd, Key::kLeft, Key::kLeft}) screen.PushKey(MakeKey(k));
  screen.PushKey(MakeChar("A"));
  screen.PushKey(MakeKey(Key::kEsc));
  std::string final_text;
  dlg.destroy = [&](ProbeDialog& d) { final_text = d.GetEdit(14).GetText(); };
  dlg.DoModal(host);
  EXPECT_EQ(final_text, "東京都A港区");
  EXPECT_EQ(edit_rows, (std::vector<std::string>{
                           "      |0",  // empty
                           "東    |2", "東京  |4",
                           "京都  |4",  // 東 scrolled out whole: the caret's cell must show
                           "都港  |4",
                           "港区  |4",  // typed
                           "東京都|0",  // Home
                           "港区  |4",  // End
                           "港区  |2",  // Left
                           "港区  |0",  // Left: the caret at the first character shown
                           "A港区 |1",  // A typed before 港
                       }));
  EXPECT_EQ(rows,
            "    ┌─────── 设置 ───────┐    \n"
            "    │ 打印     [打印]    │    \n"
            "    │ 机的               │    \n"
            "    │                    │    \n"
            "    │  北京    A港区     │    \n"
            "    │  a\uFFFDb?c             │    \n"
            "    │                    │    \n");
}

TEST(TerminalHost, KeyLineHelpAndSystemMenu) {
  Rig rig;
  rig.screen.Resize(80, 24);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.AppendSystemMenu(16, "&About Every Kind..."); };
  std::vector<std::string> seen;  // what the screen showed as each key arrived
  std::vector<std::string> help_rows;
  rig.screen.SetKeyHook([&](const KeyEvent&) {
    for (int y = 0; y < 24 && help_rows.empty(); ++y) {
      if (rig.screen.Row(y).find("Tab, Shift-Tab") == std::string::npos) continue;
      for (int row : {y, y + 4, y + 5}) {
        const std::string line = rig.screen.Row(row);
        help_rows.push_back(line.substr(line.find("│ ") + std::strlen("│ "), 42));
      }
    }
    std::string bottom = rig.screen.Row(23);
    bottom = bottom.substr(0, std::min(bottom.find("  F10"), bottom.find_last_not_of(' ') + 1));
    seen.push_back(bottom + "|" + (rig.screen.Contains("next, previous field") ? "help" : "") +
                   (rig.screen.Contains(">About Every Kind...") ? "about" : "") +
                   (rig.screen.Contains(">Close") ? "close" : ""));
  });
  rig.Keys({MakeKey(Key::kF1), MakeChar("c"),  // any key closes the help and does nothing else
            MakeKey(Key::kF10), MakeKey(Key::kDown), MakeKey(Key::kDown), MakeKey(Key::kEnter),
            MakeChar(" ", true), MakeKey(Key::kUp), MakeKey(Key::kEnter)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDCANCEL);  // Close, as the title bar's box
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "F1 Help  Tab Next  Enter OK  Esc Cancel|",
                      "Any key closes the help|help",
                      "F1 Help  Tab Next  Enter OK  Esc Cancel|",
                      "Up/Down Choose  Enter Open  Esc Close the menu|about",
                      "Up/Down Choose  Enter Open  Esc Close the menu|close",
                      "Up/Down Choose  Enter Open  Esc Close the menu|about",
                      "F1 Help  Tab Next  Enter OK  Esc Cancel|",
                      "Up/Down Choose  Enter Open  Esc Close the menu|about",
                      "Up/Down Choose  Enter Open  Esc Close the menu|close",
                  }));
  EXPECT_EQ(Count(dlg.log, "sys 16"), 1);
  EXPECT_EQ(Count(dlg.log, "cmd 1 clicked") + Count(dlg.log, "cmd 2 clicked"), 0);
  // The descriptions line up even where the keys are long: these take a line of their own.
  EXPECT_EQ(help_rows, (std::vector<std::string>{
                           "Tab, Shift-Tab      next, previous field  ",
                           "Enter, Alt-Down, F4                       ",
                           "                    open a drop-down list ",
                       }));
}

// Esc closes a box only where closing has an answer (Cancel, or OK alone): a Yes/No box's key
// line does not offer it.
TEST(TerminalHost, KeyLineOffersEscOnlyWhereABoxCanBeClosed) {
  Rig rig;
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<std::string> seen;
  rig.screen.SetKeyHook([&](const KeyEvent&) {
    const std::string bottom = rig.screen.Row(39);
    seen.push_back(bottom.substr(0, bottom.find_last_not_of(' ') + 1));
  });
  dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 10); };
  dlg.timer = [&](ProbeDialog& d, int) {
    rig.Type("y");
    d.MessageBox("?", "T", ui::MB_YESNO);
    rig.Type("c");
    d.MessageBox("?", "T", ui::MB_YESNOCANCEL);
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(seen, (std::vector<std::string>{"F1 Help  Tab Next  Enter Answer",
                                            "F1 Help  Tab Next  Enter Answer  Esc Close"}));
}

TEST(TerminalHost, KeyLineHelpAndFileBrowserFitAHandheldScreen) {
  using K = ui::ControlKind;
  static const ui::Template t{
      705,
      "Small",
      100,
      40,
      {{10, K::kEdit, "", {5, 5, 60, 12}}, {1, K::kButton, "OK", {5, 22, 40, 14}, ui::kDefault}}};
  TempFolder dir;
  Rig rig;
  rig.screen.Resize(32, 20);
  rig.host.SetBrowseFolder(dir.path());
  ProbeDialog dlg(t);
  std::vector<std::string> seen;  // the key line, and what else the screen showed, at each key
  rig.screen.SetKeyHook([&](const KeyEvent&) {
    std::string bottom = rig.screen.Row(19);
    bottom.erase(bottom.find_last_not_of(' ') + 1);
    std::string shown;
    for (const char* text : {"next, previous field", "the wheel scrolls", "Files of type: Image",
                             "Files(*.bmp)", "Ctrl-F type  Esc cancel"}) {
      if (rig.screen.Contains(text)) shown += std::string("|") + text;
    }
    seen.push_back(bottom + shown);
  });
  dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 10); };
  dlg.timer = [&](ProbeDialog& d, int) {
    rig.Keys({MakeKey(Key::kEsc)});
    d.FileOpenDialog("Image Files(*.bmp)|*.bmp||", false);
    d.EndDialog(ui::IDOK);
  };
  // The help is longer than the screen: it scrolls, and a key that does not scroll closes it.
  rig.Keys({MakeKey(Key::kF1), MakeKey(Key::kEnd), MakeChar("x")});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDOK);
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "F1 Help  Tab Next  Esc Cancel",
                      "Up/Down Scroll  Other keys close|next, previous field",
                      "Up/Down Scroll  Other keys close|the wheel scrolls",
                      "|Files of type: Image|Files(*.bmp)|Ctrl-F type  Esc cancel",
                  }));
}

TEST(TerminalHost, PageKeysAndTheWheelScrollADialogTallerThanTheScreen) {
  Rig rig;
  rig.screen.Resize(60, 12);  // 17 rows even squeezed; 11 above the key line
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.GotoDlgCtrl(1000); };  // a button: PgDn is free
  std::vector<bool> title;
  rig.screen.SetKeyHook(
      [&](const KeyEvent&) { title.push_back(rig.screen.Contains(" Every Kind ")); });
  rig.Keys({MakeKey(Key::kPageDown), MakeKey(Key::kPageUp),
            ui::MakeMouse(ui::MouseAction::kWheelDown, 1, 5), MakeKey(Key::kTab),
            MakeKey(Key::kEsc)});
  EXPECT_EQ(dlg.DoModal(rig.host), ui::IDCANCEL);
  // The Tab to OK, near the top, brings the view back to the focus.
  EXPECT_EQ(title, (std::vector<bool>{true, false, true, false, true}));
}

}  // namespace
