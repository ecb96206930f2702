#pragma once

// What a dialog asks of the program's host: modal runs, message boxes, the file-open dialog,
// timers, and the clock and texts they run on. The dialogs never know which host they run under
// (the scripted host in tests, the automation host on a pipe, the terminal host on a terminal).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/ascii_case.h"
#include "platform/system/clock.h"
#include "ui/core/constants.h"
#include "ui/core/string_table.h"

namespace ui {

class Dialog;

struct FileOpenRequest {
  // The framework's filter form: "Description|pattern|Description|pattern||", e.g.
  // "Image Files(*.bmp)|*.bmp||".
  std::string filter;
  bool multiple = false;  // several files may be chosen
  std::string title;      // empty: the host's usual "Open"
};

// Button names of a message box in the order shown ("OK", "Cancel", "Yes", "No"); every host
// offers the same buttons for the same flags.
inline std::vector<std::string> MessageBoxButtons(unsigned flags) {
  switch (flags & MB_BUTTONMASK) {
    case MB_OKCANCEL:
      return {"OK", "Cancel"};
    case MB_YESNOCANCEL:
      return {"Yes", "No", "Cancel"};
    case MB_YESNO:
      return {"Yes", "No"};
    default:
      return {"OK"};
  }
}

// Whether closing a message box (Esc, the close box) has an answer to give: Cancel, or OK when
// that is its only button. A Yes/No box must be answered.
inline bool CanCloseBox(unsigned flags) {
  const unsigned buttons = flags & MB_BUTTONMASK;
  return buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL || buttons == MB_OK;
}

// What the button named `name` shows people: its "button/ok"... host text. Scripts still answer
// by the names above.
inline std::string ButtonText(const Resources& texts, std::string name) {
  return texts.Host("button/" + platform::AsciiLower(name));
}

class Host {
 public:
  virtual ~Host() = default;

  // Runs `dialog` modally on top of whatever runs now: creates its controls from its template
  // (captions through the resources), calls OnInitDialog, lets the user and the timers work on it
  // until EndDialog, then calls OnDestroy and removes its controls and timers. Returns the value
  // given to EndDialog, or -1 when the dialog is already open. Call through Dialog::DoModal.
  virtual int RunModal(Dialog& dialog) = 0;

  // Shows a message box and waits for the answer: IDOK, IDCANCEL, IDYES or IDNO. `flags` is one
  // of MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL combined with an MB_ICON... value. Timers of
  // the open dialogs keep running while it waits.
  virtual int MessageBox(std::string_view text, std::string_view caption, unsigned flags) = 0;

  // Shows the file-open dialog; returns the chosen paths in the order chosen, empty when the user
  // cancelled. At most one path unless request.multiple.
  virtual std::vector<std::string> FileOpen(const FileOpenRequest& request) = 0;

  // Arms (or re-arms, replacing) timer `id` of `dialog`: it fires `ms` from now, and then every
  // `ms` when `repeat`. Ignored for a dialog that is not open. Killing an unknown timer is
  // harmless. A timer never fires again while its own handler still runs (a handler that shows a
  // message box is not re-entered), and timers of a dialog that has ended do not fire.
  virtual void SetTimer(Dialog& dialog, int id, uint32_t ms, bool repeat) = 0;
  virtual void KillTimer(Dialog& dialog, int id) = 0;

  // The framework's UpdateWindow: hosts that draw repaint the dialog now. Default: nothing.
  virtual void Repaint(Dialog& dialog) { (void)dialog; }
  // Whether the user pressed Cancel in `dialog` while a handler of it waited on the printer, and
  // the host keeps that Cancel to press it next. Hosts that take no input during waits: false.
  virtual bool CancelKeptFor(const Dialog& dialog) const {
    (void)dialog;
    return false;
  }

  // Whether a dialog of this template fits the host's screen whole. A dialog with a small-screen
  // layout opens in it where it would not. Default: yes (windows are sized to their dialogs).
  virtual bool FitsScreen(const Template& layout) const {
    (void)layout;
    return true;
  }

  // The clock timers and time stamps run on (a VirtualClock under the scripted host).
  virtual platform::Clock& clock() = 0;
  virtual const Resources& resources() const = 0;
};

}  // namespace ui
