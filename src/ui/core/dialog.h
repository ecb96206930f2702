#pragma once

// ui::Dialog, the base class of every dialog of the system, in the framework's manner:
//
//   class CExampleDlg : public ui::Dialog {
//    public:
//     CExampleDlg() : ui::Dialog(kExampleTemplate) {}
//    protected:
//     bool OnInitDialog() override { GetEdit(1014).SetText("0"); SetTimer(1, 100); return true; }
//     void OnCommand(int id, ui::Notify code) override {
//       if (id == 1000 && code == ui::Notify::kClicked) { ... return; }
//       ui::Dialog::OnCommand(id, code);  // IDOK -> OnOK, IDCANCEL -> OnCancel
//     }
//     void OnTimer(int id) override { KillTimer(id); ... }
//   };
//   int result = dlg.DoModal(host);  // IDOK / IDCANCEL / EndDialog's value
//
// Controls exist only while the dialog is open (from just before OnInitDialog until just after
// OnDestroy). Values that outlive a run belong in the dialog's own members, as with the
// framework's dialogs. Everything here runs on the one UI thread.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/clock.h"
#include "ui/core/constants.h"
#include "ui/core/controls.h"
#include "ui/core/host.h"
#include "ui/core/template.h"

namespace ui {

struct SystemMenuEntry {
  int id = 0;
  std::string text;
};

class Dialog {
 public:
  // The template must outlive the dialog (templates are static data).
  explicit Dialog(const Template& tmpl);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally under `host` (which may already be running other dialogs: the new
  // one goes on top). Returns IDOK, IDCANCEL, the value given to EndDialog, or -1 when this
  // dialog is open already.
  int DoModal(Host& host);

  // Ends the modal run with `result` once the current handler returns. Has no effect on a
  // dialog that is not open or on an embedded page.
  void EndDialog(int result);

  const Template& GetTemplate() const { return *template_; }
  int TemplateId() const { return template_->id; }
  bool IsOpen() const { return host_ != nullptr; }
  bool HasEnded() const { return ended_; }
  int Result() const { return result_; }
  // The host running this dialog, or nullptr when it is not open.
  Host* host() const { return host_; }

  // Window title; starts as the template caption (through the resources).
  void SetWindowText(std::string_view text) { window_text_ = std::string(text); }
  const std::string& GetWindowText() const { return window_text_; }

  // ---- Controls, by id. Missing ids or wrong kinds are programming errors: the accessors then
  // return a detached stand-in control (so the program does not crash), record the id in
  // AccessFaults() and write one line to standard error.
  Control* FindControl(int id) const;  // nullptr when absent
  Control& GetControl(int id);
  Static& GetStatic(int id);
  GroupBox& GetGroupBox(int id);
  Button& GetButton(int id);
  CheckBox& GetCheckBox(int id);
  RadioButton& GetRadio(int id);
  Edit& GetEdit(int id);
  ComboBox& GetComboBox(int id);
  ListBox& GetListBox(int id);
  ListView& GetListView(int id);
  Slider& GetSlider(int id);
  ProgressBar& GetProgress(int id);
  TabControl& GetTab(int id);
  IpAddress& GetIpAddress(int id);
  PictureFrame& GetPicture(int id);
  // All controls in tab order.
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
  const std::vector<int>& AccessFaults() const { return access_faults_; }

  // The framework's shorthand on controls by id (no notification is sent).
  void SetDlgItemText(int id, std::string_view text) { GetControl(id).SetText(text); }
  std::string GetDlgItemText(int id) { return GetControl(id).GetText(); }
  void EnableDlgItem(int id, bool enabled) { GetControl(id).Enable(enabled); }
  void ShowDlgItem(int id, bool visible) { GetControl(id).Show(visible); }
  // Check boxes and radio buttons.
  void CheckDlgButton(int id, bool checked);
  bool IsDlgButtonChecked(int id) const;
  // Radio groups: `first_id` is any radio of the group. The group is the run of radio buttons
  // from the kGroup-styled radio up to the next control with kGroup or that is not a radio.
  // Index of the checked radio within the group, or -1 when none is checked.
  int GetRadioIndex(int first_id) const;
  // Checks the radio at `index` of the group and unchecks the others (-1: none checked).
  void SetRadioIndex(int first_id, int index);
  // Checks `check_id` and unchecks the other radios of its group.
  void CheckRadioButton(int check_id);
  // The radios of the group containing `id`, in tab order.
  std::vector<RadioButton*> RadioGroup(int id) const;
  // Keyboard moves in a group, among the radios that can take the focus. The group is one tab
  // stop: `focused` when it is one of them, else the checked radio, else the first (nullptr when
  // none can take the focus). An arrow goes `step` radios on, round the group's end.
  RadioButton* RadioTabStop(int id, const Control* focused) const;
  RadioButton* RadioStep(int id, int step) const;

  // Focus (the terminal host shows it; the edit checks move it to the offending edit).
  void GotoDlgCtrl(int id) {
    focus_id_ = id;
    ++focus_moves_;
  }
  int GetFocusId() const { return focus_id_; }
  // How many times GotoDlgCtrl was called. A call that sends the focus to the control holding it
  // already counts too, so a host can tell that a check sent the focus back to its edit.
  unsigned FocusMoves() const { return focus_moves_; }

  // Whether the user can see the control: its own flag, and for a page also the page's.
  bool IsControlShown(const Control& control) const;
  // Whether the focus can rest on the control: numbered, shown, enabled and not a label or frame.
  bool CanFocus(const Control& control) const {
    return control.id() != -1 && IsControlShown(control) && control.IsEnabled() &&
           control.CanHoldFocus();
  }

  // ---- Edit checks with the framework's own messages. Each reads edit `id`. On success the
  // value is stored and true returned. Otherwise the framework's message box is shown (caption:
  // the application title, OK button, exclamation icon), focus goes to the edit, the value is
  // left as it was and false is returned.
  // Unsigned decimal (blanks around it allowed) within [min, max]. Not a number (empty
  // included): "Enter a positive integer."; outside the range (overflow included): "Enter an
  // integer between %1 and %2." with min and max.
  bool ReadUIntRange(int id, uint32_t min, uint32_t max, uint32_t* value);
  // The same check without the message box and the focus move: "" when the value is in range
  // (then stored), otherwise the message ReadUIntRange would show.
  std::string CheckUIntRange(int id, uint32_t min, uint32_t max, uint32_t* value);
  // Signed decimal within [min, max]; not a number: "Enter an integer.".
  bool ReadIntRange(int id, int32_t min, int32_t max, int32_t* value);
  // Text of at most `max_chars` characters (UTF-8 code points); longer: "Enter no more than %1
  // characters.".
  bool ReadTextMax(int id, size_t max_chars, std::string* value);

  // ---- Timers (the host's clock). SetTimer repeats every `ms` until KillTimer, like a window
  // timer; the chains of one-shot stages kill their own timer first thing in OnTimer.
  // SetOneShotTimer fires once. Both replace a timer of the same id. Ignored while not open.
  void SetTimer(int id, uint32_t ms);
  void SetOneShotTimer(int id, uint32_t ms);
  void KillTimer(int id);

  // ---- Modal helpers, through the host. Not open: MessageBox returns IDCANCEL (IDNO for Yes/No)
  // and FileOpenDialog returns nothing.
  // Empty caption: the application title.
  int MessageBox(std::string_view text, std::string_view caption = {}, unsigned flags = MB_OK);
  std::vector<std::string> FileOpenDialog(std::string_view filter, bool multiple);

  // The string table entry in the installed language ("" when unknown or not open).
  std::string LoadString(int id) const;
  // The host's clock. Only while open.
  platform::Clock& clock() const;
  // Asks the host to repaint now (the framework's UpdateWindow).
  void UpdateWindow();

  // ---- System menu: entries appended here are offered by the host (automation: `sysmenu ID`);
  // choosing one calls OnSysCommand.
  void AppendSystemMenu(int id, std::string_view text);
  const std::vector<SystemMenuEntry>& SystemMenu() const { return system_menu_; }

  // ---- Embedded pages (tab control pages). Creates `page`'s controls from its own template as
  // a child of this open dialog at (x, y) dialog units, calls its OnInitDialog, and keeps it until
  // this dialog closes (then the page gets OnDestroy before this dialog does). The page object
  // belongs to the caller and must outlive the run. Returns false when this dialog is not open or
  // the page is open already.
  bool CreatePage(Dialog& page, int x, int y);
  // Pages show or hide as a whole; a hidden page's controls cannot be used.
  void ShowWindow(bool visible) { visible_ = visible; }
  bool IsWindowVisible() const { return visible_; }
  Dialog* Parent() const { return parent_; }
  const std::vector<Dialog*>& Pages() const { return pages_; }
  // This dialog and its pages, depth first.
  std::vector<Dialog*> Family();
  // Position of a page inside its parent, in dialog units.
  int PageX() const { return page_x_; }
  int PageY() const { return page_y_; }

  // ---- Overridables.
  // After the controls exist, before the dialog is shown. The return value is kept for the
  // framework's habit and ignored.
  virtual bool OnInitDialog() { return true; }
  // A control of this dialog notified something. Default: IDOK clicked -> OnOK, IDCANCEL clicked
  // -> OnCancel (not on pages).
  virtual void OnCommand(int id, Notify code);
  virtual void OnTimer(int id) { (void)id; }
  // Default: EndDialog(IDOK).
  virtual void OnOK();
  // Default: EndDialog(IDCANCEL).
  virtual void OnCancel();
  // Title-bar close (and Escape-like closes by the host). Default: OnCancel().
  virtual void OnClose();
  // Just before the controls go away.
  virtual void OnDestroy() {}
  // A system-menu entry was chosen.
  virtual void OnSysCommand(int id) { (void)id; }
  // True for a dialog that runs a job in steps and may be stopped between two of them: a Cancel
  // pressed while one of its steps waits on the printer is kept for it and stops the job before
  // the next step. Hosts drop other keys typed during such a wait.
  virtual bool StopsBetweenSteps() const { return false; }

  // ---- For hosts only: open and close the dialog's window state.
  // Builds the controls from the template with the resources' captions, control states (a pack
  // may show, hide, enable or disable them) and layout (a pack may move and size the controls
  // and the dialog, for longer texts) and attaches to `host`.
  void HostOpen(Host& host, Dialog* parent);
  // Calls OnDestroy on pages then this dialog, detaches the pages, drops the controls.
  void HostClose();

 private:
  template <typename T>
  T& Typed(int id, ControlKind kind);
  void RecordFault(int id);
  std::unique_ptr<Control> MakeControl(const ControlTemplate& ct, std::string caption);

  const Template* english_;  // as compiled in
  // english_, its small-screen layout, or laid_out_ while a pack lays this dialog out anew.
  const Template* template_;
  Template laid_out_;
  Host* host_ = nullptr;
  Dialog* parent_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Control>> stand_ins_;
  std::vector<int> access_faults_;
  std::vector<Dialog*> pages_;
  std::vector<SystemMenuEntry> system_menu_;
  std::string window_text_;
  bool ended_ = false;
  int result_ = 0;
  bool visible_ = true;
  int focus_id_ = -1;
  unsigned focus_moves_ = 0;
  int page_x_ = 0;
  int page_y_ = 0;
};

}  // namespace ui
