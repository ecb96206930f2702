#pragma once

// The terminal host: dialogs drawn full-screen on a TerminalScreen (ncurses on a real terminal,
// a cell buffer in tests), driven by keys and mouse clicks.
//
// It is a front end of the LoopHost engine like the automation host: the modal frames, the
// timers and the commands are the engine's, and a key that presses a button, chooses a row, moves
// a slider or answers a message box becomes the same command the automation language has (click,
// select, extend, slide, answer, files, close), so a dialog gets exactly the notifications it gets
// under automation. Only what the command language cannot say is done here directly, with the
// same one-notification-per-keystroke rule: typing at a caret inside an edit or an IP address
// field, and taking one row out of a multi-selection.
//
// Keys (the active dialog): Tab / Shift-Tab move the focus in tab order (one stop per radio
// group); Enter presses the focused button, opens a focused drop-down list, else presses the
// default button; Space presses buttons and toggles check boxes and list rows; Esc = Cancel;
// Alt+letter (or the letter alone where the focus takes no text) uses a caption's & mnemonic;
// arrows, PgUp/PgDn, Home/End move in lists, drop-downs (Alt-Down / F4 open them), sliders,
// radio groups and tab rows; Ctrl-PgUp/PgDn switch tabs from anywhere; Shift with the arrows
// extends a multi-selection. Mouse: a click focuses and presses, chooses rows and tabs.
// An edit or editable drop-down list the focus arrives in (by Tab or Shift-Tab, a click, with its
// dialog, or sent back by a check that refused its value) has its whole text selected, drawn in
// reverse video: a typed character replaces it, Backspace or Delete clears it, and an arrow key,
// Home or End drops the selection and moves the caret.
// A dialog taller than the screen (once its blank rows are squeezed out) scrolls with the focus,
// with PgUp/PgDn where the focus does not use them and with the wheel outside lists. F1 shows
// the keys and the dialog's mnemonics, wrapped to the screen and scrolled by the arrows where
// they do not fit; F10 or Alt-Space opens the system menu (the dialog's own entries, such as
// About, and Close). The bottom line names the keys that work now, as many whole ones as fit.
//
// While a handler waits on the printer (a pause or a device read), the clock calls this host as
// its idle hook: the screen is redrawn when the terminal changes size, and the keys typed meanwhile
// are taken in and dropped, since replayed afterwards they would land in whatever dialog comes
// next. The one exception is Cancel (Esc, a click on Cancel, Enter or Space on a focused Cancel)
// in a dialog that stops between steps (Dialog::StopsBetweenSteps): it is kept and pressed before
// the next step, provided that dialog is still the active frame and nothing opened meanwhile.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/clock.h"
#include "ui/core/frame_stack.h"
#include "ui/core/loop_host.h"
#include "ui/terminal/terminal_render.h"
#include "ui/terminal/terminal_screen.h"

namespace ui {

class FileBrowser;

class TerminalHost : public LoopHost, private platform::IdleHook {
 public:
  // Installs itself as `clock`'s idle hook for its lifetime.
  TerminalHost(platform::Clock& clock, TerminalScreen& screen, Resources resources = {});
  ~TerminalHost() override;

  int RunModal(Dialog& dialog) override;
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  std::vector<std::string> FileOpen(const FileOpenRequest& request) override;
  void Repaint(Dialog& dialog) override;
  bool CancelKeptFor(const Dialog& dialog) const override;
  bool FitsScreen(const Template& layout) const override;

  // Where the file browser starts (default: the current folder).
  void SetBrowseFolder(std::string folder) { browse_folder_ = std::move(folder); }
  // Draws the current state now.
  void Redraw();
  // The line shown at the bottom (the last error or hint), "" when none.
  const std::string& Status() const { return status_; }
  // The control with the focus in the active dialog (nullptr: none or not a dialog on top).
  Control* FocusedControl();

 protected:
  FetchStatus Fetch(uint32_t timeout_ms, Command* command) override;
  void Emit(const Event& event) override;

 private:
  struct Layer;
  struct Focus {
    Dialog* owner = nullptr;
    Control* control = nullptr;
  };
  enum class Result { kNone, kCommand, kApplied };

  Result HandleKey(const KeyEvent& key, Command* command);
  Result DialogKey(Dialog& top, const KeyEvent& key, Command* command);
  Result ControlKey(Dialog& top, Focus f, const KeyEvent& key, Command* command);
  Result MessageBoxKey(Layer& layer, const KeyEvent& key, Command* command);
  Result BrowserKey(Layer& layer, const KeyEvent& key, Command* command);
  Result Mouse(Layer& layer, const KeyEvent& key, Command* command);
  Result MenuKey(Dialog& top, const KeyEvent& key, Command* command);
  Result MenuChoose(Dialog& top, int index, Command* command);
  Result ScrollDialog(Dialog& top, int rows);
  // The dialog's mnemonics that reach a control: letter and caption without its mark.
  std::vector<std::pair<char, std::string>> Mnemonics(Dialog& top);
  std::string KeyLine();
  std::vector<std::string> HelpLines();
  Result DialogMouse(Dialog& top, const KeyEvent& key, Command* command);

  Focus CurrentFocus(Dialog& top);
  void SetFocus(Dialog& top, Dialog& owner, Control& control, bool by_keyboard);
  // The focus has just come to `control` (by Tab, by the program, or with its dialog): an edit or
  // editable drop-down selects its whole text, so that typing replaces it.
  void Entered(Control& control);
  std::vector<Focus> TabStops(Dialog& top, const Focus& current);
  void MoveFocus(Dialog& top, int step);
  Result Mnemonic(Dialog& top, char letter, Command* command, bool* found);
  Result PressDefault(Dialog& top, Command* command);
  Result Escape(Dialog& top, Command* command);

  // Commands, as the automation language would give them.
  Result Click(Dialog& owner, Control& c, Command* command);
  Result Select(Dialog& owner, Control& c, int row, Command* command);
  Result Extend(Dialog& owner, Control& c, std::vector<int> rows, Command* command);
  Result Slide(Dialog& owner, Control& c, int pos, Command* command);
  // Direct user changes the commands cannot express.
  Result ChangeText(Dialog& owner, Control& c, const std::string& text);
  Result Deselect(Dialog& owner, Control& c, int row);

  Result EditKey(Dialog& owner, Control& c, ControlView& v, const KeyEvent& key);
  Result IpKey(Dialog& owner, IpAddress& ip, ControlView& v, const KeyEvent& key);
  Result ListKey(Dialog& owner, Control& c, ControlView& v, const KeyEvent& key, Command* command);
  Result ComboKey(Dialog& owner, ComboBox& cb, ControlView& v, const KeyEvent& key,
                  Command* command);

  void PurgeStale();
  void Hint(std::string text) { status_ = std::move(text); }

  // Waits on the printer: see the top of this file.
  void OnIdle() override;
  bool IsCancelPress(Dialog& top, const KeyEvent& key);
  // The Cancel kept from a wait, as a command, when its dialog is still the active frame.
  Result TakeKeptCancel(Command* command);

  TerminalScreen& screen_;
  TerminalRenderer renderer_;
  FrameStack<Layer> layers_;
  ViewMap views_;
  struct SeenFocus {
    int id = -1;
    unsigned moves = 0;  // Dialog::FocusMoves()
  };
  std::map<const Dialog*, SeenFocus> seen_focus_;  // each dialog's focus when last looked at
  std::map<const Dialog*, Dialog*> focus_owner_;   // top-level dialog -> dialog holding the focus
  std::string status_;
  std::string browse_folder_;
  bool help_open_ = false;
  int help_first_ = 0;   // the first help line shown
  int menu_focus_ = -1;  // the open system menu's highlighted entry; -1: closed
  // A scroll position the user chose, kept while the focus stays where it was.
  std::optional<int> top_row_;
  const Dialog* top_row_dialog_ = nullptr;
  const Control* top_row_focus_ = nullptr;
};

}  // namespace ui
