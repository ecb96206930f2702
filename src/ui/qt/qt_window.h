#pragma once

// One dialog, with its embedded pages, in a window: a native widget per control, placed from the
// template's dialog units, kept in step with the controls (Sync), and the user's actions handed
// on, as the terminal host does, either as a command of the automation language (a click, a
// chosen row, a moved slider) or as a direct change the command language cannot say (typing,
// taking one row out of a selection), one notification for each.

#include <QSize>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "ui/core/command.h"
#include "ui/core/dialog.h"
#include "ui/qt/qt_units.h"

class QScrollArea;
class QWidget;

namespace ui {

class QtDialogWindow {
 public:
  struct Sink {
    std::function<void(Command)> command;
    // A change to apply from the host's loop (never from inside a Qt signal).
    std::function<void(std::function<void()>)> direct;
  };

  QtDialogWindow(Dialog& dialog, Sink sink);
  ~QtDialogWindow();
  QtDialogWindow(const QtDialogWindow&) = delete;
  QtDialogWindow& operator=(const QtDialogWindow&) = delete;

  // The widgets follow the controls: texts, states, rows, positions, pictures, and the widgets
  // of pages created since the last call.
  void Sync();
  QWidget* window() const { return window_.get(); }
  Dialog& dialog() const { return dialog_; }
  // The widget of a control of this dialog or its pages, or nullptr.
  QWidget* WidgetOf(const Control& control) const;

 private:
  void Build(Dialog& owner, int page_x, int page_y);
  QWidget* Make(Dialog& owner, Control& c);
  void SyncOne(Dialog& owner, Control& c, QWidget* w);
  void Send(Command command);
  // A list's selection as the user left it, turned into select / extend / deselect.
  void RowsChanged(Dialog& owner, Control& c, const std::set<int>& now);
  // Tab follows the templates as on the terminal: a dialog's controls in template order, each
  // page's right after the tab row it sits on.
  void SetTabOrder();
  class WindowKeys;
  // The next (`step` 1) or previous (-1) page of the window's tab control, round the end; false
  // when the window has none.
  bool StepTabPage(int step);
  // Each radio group is one Tab stop, as on the terminal (Dialog::RadioTabStop).
  void SetRadioTabStops();
  // The widget with the focus tells its dialog (GotoDlgCtrl), so that the program's own focus
  // moves (to an edit that failed its check) can be told from it and followed (FollowFocus).
  void NoteFocus(QWidget* focused);
  // The control whose widget is `focused` or holds it; nullptr for none of this window's.
  const Control* ControlHolding(const QWidget* focused) const;
  void FollowFocus();
  // The window at `size`, or smaller with the controls in a scroll area when the screen is smaller.
  void FitToScreen(QSize size);

  Dialog& dialog_;
  Sink sink_;
  DialogUnits units_;
  std::unique_ptr<WindowKeys> window_keys_;  // before window_: the widgets go first
  std::unique_ptr<QWidget> window_;
  // What the controls sit on: the window, or inside `scroll_` when the dialog is larger than the
  // screen (a large font or scale).
  QWidget* content_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  std::map<const Control*, QWidget*> widgets_;
  std::map<const Control*, Dialog*> owners_;
  std::set<const Dialog*> built_;
  // Where each dialog's focus was when last looked at, and how often it had been moved by then.
  struct SeenFocus {
    int id = -1;
    unsigned moves = 0;
  };
  std::map<const Dialog*, SeenFocus> seen_focus_;
  size_t menu_entries_ = 0;  // system-menu entries given to the window so far
  bool syncing_ = false;
};

// A caption with the framework's & mnemonics as a label shows it: "&&" is one '&', a single
// '&' goes.
QString LabelText(const std::string& caption);

}  // namespace ui
