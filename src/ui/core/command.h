#pragma once

// The automation command language, one command a line (the scripted host queues the same
// lines). Blank lines and lines starting with '#' are no commands.
//
//   wait dialog TEMPLATE [SECONDS]   hold until dialog TEMPLATE is the active one
//   wait dialog TEMPLATE or messagebox [SECONDS]   ... or until a message box is up
//   wait messagebox [SECONDS]        hold until a message box is up
//   click ID                         press a button, toggle a check box, choose a radio button
//   select ID ROW | select ID "TEXT" choose a row (drop-down list, list box, list view) or a tab
//   extend ID ROW...                 add rows to a multi-selection
//   type ID "TEXT"                   replace the text keystroke by keystroke
//   slide ID POS                     move a slider
//   answer OK|Cancel|Yes|No          answer the message box
//   files "PATH"...                  answer the file-open dialog (no path: cancel)
//   snapshot                         report the active dialog
//   close                            title-bar close of the active dialog
//   sysmenu ID                       choose a system-menu entry of the active dialog
//
// ID is a control id of the active dialog or TEMPLATE:ID for a control of an embedded page.
// Quoted texts take the escapes \" \\ \n \r \t and \xHH (one byte).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class CommandKind {
  kWaitDialog,
  kWaitMessageBox,
  kClick,
  kSelect,
  kExtend,
  kType,
  kSlide,
  kAnswer,
  kFiles,
  kSnapshot,
  kClose,
  kSysMenu,
};

struct ControlRef {
  int template_id = 0;  // 0: the active dialog's own control (or a unique one on a shown page)
  int id = 0;
  bool operator==(const ControlRef&) const = default;
};

// Default for waits without SECONDS.
inline constexpr double kDefaultWaitSeconds = 30.0;
// Longest wait accepted.
inline constexpr double kMaxWaitSeconds = 86400.0;

struct Command {
  CommandKind kind = CommandKind::kSnapshot;
  ControlRef target;  // click, select, extend, type, slide
  int number = 0;     // wait dialog: template; slide: position; sysmenu: id; answer: IDxx
  double seconds = kDefaultWaitSeconds;  // waits
  std::vector<int> rows;                 // select (one row) and extend
  bool by_text = false;                  // select "TEXT"
  bool or_messagebox = false;            // wait dialog: a message box ends the wait too
  std::string text;                      // select "TEXT", type
  std::vector<std::string> paths;        // files
  std::string source;                    // the line as given, for messages
};

struct ParseResult {
  std::optional<Command> command;  // nullopt for blank or comment lines, and on error
  std::string error;               // non-empty when the line is not a valid command
};

ParseResult ParseCommand(std::string_view line);

}  // namespace ui
