#pragma once

// Drawing the terminal host's frames on a TerminalScreen: dialogs at 4 x 8 dialog units per
// cell, centred, with their controls; message boxes and the file browser as overlays. While it
// draws, the renderer records where each control, row and tab landed (HitArea), so mouse clicks
// are resolved against exactly what the user sees.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/dialog.h"
#include "ui/terminal/terminal_screen.h"

namespace ui {

class FileBrowser;

struct CellRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  bool operator==(const CellRect&) const = default;
};

// Dialog units to cells, relative to the dialog's client area.
inline constexpr int kUnitsPerCellX = 4;
inline constexpr int kUnitsPerCellY = 8;
CellRect ToCells(const Rect& units);
// Outer size of a dialog window (client area plus the frame).
int DialogCellsWide(const Template& t);
int DialogCellsHigh(const Template& t);

// How many cells wide a slider's track is drawn in its cells `r` (clicks are read against it).
inline int SliderTrackCells(const CellRect& r) { return r.w < 3 ? 3 : r.w; }

// A caption without its '&' mnemonic marks ("&&" is a literal '&'); `mnemonic` gets the lower-
// case mnemonic letter (0 when none) and `index` the character index it is drawn at (-1).
std::string StripMnemonic(std::string_view caption, char* mnemonic = nullptr, int* index = nullptr);

// The text cut or padded with blanks to exactly `width` cells (never half a wide character).
std::string FitToCells(std::string_view text, int width);

// Text cut into lines of at most `width` cells at blanks (words longer than a line are cut);
// line feeds start new lines.
std::vector<std::string> WrapText(std::string_view text, int width);

// A one-line field showing `chars` (one character each) from character *first on, in `width`
// cells: moves *first so the character at `caret` shows whole, and returns the caret's cell.
int ScrollToCaret(const std::vector<std::string>& chars, int caret, int width, int* first);
// The character drawn `cell` cells right of character `first` (chars.size() past the end).
int CharAtCell(const std::vector<std::string>& chars, int first, int cell);

// What the host keeps per control beside the control's own state.
struct ControlView {
  int scroll = 0;     // lists: first row shown; edits: first character shown
  int cursor = 0;     // edits: character index of the caret; lists: caret row; IP: octet
  int anchor = -1;    // lists: start row of a Shift selection; edits: 0 while all is selected
  bool open = false;  // drop-down list: list shown
  int highlight = 0;  // open drop-down list: highlighted row
  int digits = 0;     // IP address: digits typed into the current octet
};
using ViewMap = std::map<const Control*, ControlView>;

struct HitArea {
  enum class What {
    kControl,
    kRow,
    kTab,
    kDropRow,
    kMessageButton,
    kBrowserRow,
    kBrowserPath,
    kMenuRow
  };
  What what = What::kControl;
  CellRect rect;
  Dialog* owner = nullptr;
  Control* control = nullptr;
  int index = -1;  // row, tab or button
};

struct MessageBoxView {
  std::string caption;
  std::string text;
  unsigned flags = 0;
  int focus = 0;  // index of the focused button
};

class TerminalRenderer {
 public:
  // `texts` (null: English) give the message box buttons and the file browser their words.
  explicit TerminalRenderer(TerminalScreen& screen, const Resources* texts = nullptr)
      : screen_(screen), texts_(texts) {}

  // Starts a frame (clears the screen and the hit areas).
  void Begin();
  // Draws a dialog window with its shown pages. The focused control (`focus_owner`, `focus_id`)
  // is marked when `active`; inactive dialogs are drawn dimmed behind the active one.
  //
  // Dialogs get every row but the last (the key line). A dialog taller than that first loses
  // rows no control draws on (blank rows between controls, the insides of group boxes beside
  // their contents), the largest gaps first, so nothing overlaps and nothing is cut; one too
  // wide likewise loses columns no control covers (margins); one that is still too large
  // scrolls: `top_row` is the dialog row shown at the top (the user
  // scrolled), nullopt follows the focus.
  void DrawDialog(Dialog& dialog, bool active, const Dialog* focus_owner, int focus_id,
                  ViewMap& views, std::optional<int> top_row = std::nullopt);
  void DrawMessageBox(const MessageBoxView& box);
  void DrawFileBrowser(FileBrowser& browser);
  // A box of text lines over everything (the key help), closed by any key. A screen too small
  // for all of them shows them from `*first`, which is kept within the lines.
  void DrawHelp(std::string_view title, const std::vector<std::string>& lines, int* first);
  // Whether the last help drawn had more lines than it showed, and how many it showed.
  bool HelpScrolls() const { return help_scrolls_; }
  int HelpRows() const { return help_rows_; }
  // The system menu: `entries` under the dialog's title bar, `focus` highlighted; each row is a
  // kMenuRow hit area with its index.
  void DrawMenu(const std::vector<std::string>& entries, int focus);
  // A line at the bottom of the screen (errors, hints), drawn over the key line.
  void DrawStatus(std::string_view text);
  // The key line at the bottom: the keys that work now.
  void DrawKeyLine(std::string_view text);
  void End();

  // Rows a dialog may use (the screen less the key line).
  int DialogRows() const;
  // Whether a dialog of this template fits the screen without being compressed or scrolled.
  bool Fits(const Template& t) const;
  // Whether the last dialog drawn had to scroll (it does not fit even compressed).
  bool LastDialogScrolls() const { return last_scrolls_; }

  const std::vector<HitArea>& Hits() const { return hits_; }
  // The top-most hit area at a cell, or nullptr.
  const HitArea* HitAt(int x, int y) const;
  // Where the last dialog drawn was placed (outer frame).
  const CellRect& LastDialogRect() const { return last_dialog_; }

 private:
  void Frame(const CellRect& r, std::string_view title, uint32_t attrs, uint32_t title_attrs);
  void Fill(const CellRect& r, uint32_t attrs);
  void PutClipped(int x, int y, int width, std::string_view text, uint32_t attrs);
  void PutCaption(int x, int y, int width, std::string_view caption, uint32_t attrs);
  void DrawControl(Dialog& owner, Control& c, int ox, int oy, bool active, bool focused,
                   ControlView& view);
  // The text of an edit or of an editable drop-down's field in `width` cells from `r`'s corner,
  // scrolled to keep the caret in sight; reverse video while all of it is selected.
  void DrawEditText(const CellRect& r, int width, bool password, const std::string& text,
                    uint32_t base, bool focused, ControlView& view);
  void DrawDropDown(Dialog& owner, ComboBox& combo, int ox, int oy, ControlView& view);
  void DrawFamily(Dialog& d, int ox, int oy, bool active, const Dialog* focus_owner, int focus_id,
                  ViewMap& views, std::vector<std::pair<Dialog*, Control*>>* popups,
                  std::vector<std::pair<int, int>>* popup_origins);
  void AddHit(HitArea::What what, const CellRect& r, Dialog* owner, Control* c, int index);
  // Builds rows_ for `dialog` so its client area fits `client_rows` where it can; returns the
  // rows it keeps.
  int CompressRows(Dialog& dialog, int client_rows);
  int CompressCols(Dialog& dialog, int client_cols);
  // A screen row / column of the uncompressed layout -> the one it is drawn on.
  int MapRow(int row) const;
  int MapCol(int col) const;
  const Resources& Texts() const;

  TerminalScreen& screen_;
  const Resources* texts_;
  std::vector<HitArea> hits_;
  CellRect last_dialog_;
  bool last_scrolls_ = false;
  bool cursor_set_ = false;
  bool help_scrolls_ = false;
  int help_rows_ = 0;
  int client_y_ = 0;       // screen row of the drawn dialog's client area
  int client_x_ = 0;       // and its column
  std::vector<int> rows_;  // client row -> drawn client row (empty: unchanged)
  std::vector<int> cols_;  // client column -> drawn client column (empty: unchanged)
};

}  // namespace ui
