#pragma once

// The window host: every dialog in a real window on Qt Widgets, every message box a QMessageBox,
// the file-open dialog a QFileDialog. Like the terminal host it is a front end of the LoopHost
// engine: the engine keeps the modal frames and the timers, and while it waits for the user Qt's
// event loop runs (Fetch), until a widget hands over a command or the next timer falls due.
// Widgets follow their controls before each wait (QtDialogWindow::Sync).
//
// While a handler waits on the printer the clock calls this host as its idle hook: the windows
// are brought up to date and repainted, and the user's input meanwhile is dropped, since replayed
// afterwards it would land in whatever dialog comes next; the exception is Cancel (Esc or a click
// on Cancel, or closing its window) in a dialog that stops between steps, kept and pressed before
// the next step when that dialog is still the active frame and nothing opened meanwhile.
//
// A QApplication must exist for the host's whole life.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/system/clock.h"
#include "ui/core/frame_stack.h"
#include "ui/core/loop_host.h"

class QDialog;
class QEvent;
class QObject;
class QWidget;

namespace ui {

class QtDialogWindow;

class QtHost : public LoopHost, private platform::IdleHook {
 public:
  // Installs itself as `clock`'s idle hook for its lifetime.
  QtHost(platform::Clock& clock, Resources resources = {});
  ~QtHost() override;

  int RunModal(Dialog& dialog) override;
  int MessageBox(std::string_view text, std::string_view caption, unsigned flags) override;
  std::vector<std::string> FileOpen(const FileOpenRequest& request) override;
  void Repaint(Dialog& dialog) override;
  bool CancelKeptFor(const Dialog& dialog) const override;

  // For tests and screenshots: the window of an open dialog, the widget of one of its controls,
  // the message box or file dialog up now (nullptr when there is none).
  QWidget* WindowOf(const Dialog& dialog) const;
  QWidget* WidgetOf(const Dialog& dialog, const Control& control) const;
  QDialog* ActiveMessageBox() const;
  QDialog* ActiveFileDialog() const;
  // Runs once each time the host waits for the user, after the windows are up to date, with the
  // longest wait (kForever: none): a test acts on the widgets there, as a user would. A turn that
  // returns true has let that time pass itself (a test in virtual time), and the host does not
  // wait.
  using UserTurn = std::function<bool(uint32_t timeout_ms)>;
  void SetUserTurn(UserTurn turn) { user_turn_ = std::move(turn); }
  static constexpr uint32_t kNoTimeout = kForever;

 protected:
  FetchStatus Fetch(uint32_t timeout_ms, Command* command) override;
  void Emit(const Event& event) override;

 private:
  struct Layer;
  struct Input {
    std::optional<Command> command;
    std::function<void()> direct;
  };
  class InputGate;

  void OnIdle() override;
  void Sync();
  // The window of the newest dialog layer, which new windows and boxes belong to; nullptr when
  // none is open.
  QWidget* TopWindow() const;
  void ReturnFocus();
  void Queue(Input input);
  // Whether `event` on `target`, arriving during a wait, is a Cancel to keep: Esc, a click on
  // Cancel or the window's close.
  bool IsCancelDuringWait(QObject* target, const QEvent& event);

  FrameStack<Layer> layers_;
  std::deque<Input> input_;
  std::unique_ptr<InputGate> gate_;
  UserTurn user_turn_;
  void* waiting_loop_ = nullptr;  // the QEventLoop of the current Fetch
  bool in_wait_ = false;
};

}  // namespace ui
