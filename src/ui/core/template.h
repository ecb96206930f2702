#pragma once

// Dialog templates as data, like a resource script: the dialog's id, caption and size in dialog
// units, and its controls in tab order. English texts live here; a resource pack can override the
// captions, and whether a control starts visible and enabled, by (template id, control id) when
// the dialog is created.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class ControlKind {
  kStatic,     // text label
  kGroupBox,   // frame with a caption
  kButton,     // push button
  kCheckBox,   // two-state check box
  kRadio,      // radio button; a group runs from a kGroup-styled radio to the next kGroup control
  kEdit,       // single-line text edit
  kComboBox,   // drop-down list (kEditable: the text can also be typed)
  kListBox,    // list box (kMultiSelect: several rows may be selected)
  kListView,   // report-style list view with columns (multi-selection unless kSingleSelect)
  kSlider,     // track bar
  kProgress,   // progress bar
  kTab,        // tab control; its pages are child dialogs (Dialog::CreatePage)
  kIpAddress,  // four-octet address entry
  kPicture,    // picture frame holding an RGB image
};

// The name used for a kind in automation output ("combo", "listview"...).
std::string_view KindName(ControlKind kind);

// Control styles; combine with |.
enum Style : uint32_t {
  kNoStyle = 0,
  kHidden = 1u << 0,        // created invisible
  kDisabled = 1u << 1,      // created disabled
  kGroup = 1u << 2,         // starts a radio group (and a tab group)
  kNumber = 1u << 3,        // edit accepts digits only
  kSorted = 1u << 4,        // list box / drop-down list keeps its rows sorted
  kMultiSelect = 1u << 5,   // list box allows several selected rows
  kSingleSelect = 1u << 6,  // list view allows one selected row only
  kDefault = 1u << 7,       // default push button (Enter presses it)
  kReadOnly = 1u << 8,      // edit cannot be typed into
  kPassword = 1u << 9,      // edit shows bullets (automation still reports the text)
  kEditable = 1u << 10,     // drop-down list with an edit field
  kCentered = 1u << 11,     // static text centred
};

// A rectangle in dialog units (x, y of the top-left corner, width, height).
struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  bool operator==(const Rect&) const = default;
};

struct ControlTemplate {
  int id = -1;  // -1 for labels nobody addresses; ids need not be unique among -1 labels
  ControlKind kind = ControlKind::kStatic;
  std::string caption;  // English caption (button text, label text, initial edit text)
  Rect rect;
  uint32_t styles = kNoStyle;
  int text_limit = 0;  // edits: maximum characters typed by the user; 0 = no limit
};

struct Template {
  int id = 0;
  std::string caption;  // English window title
  int width = 0;        // dialog units
  int height = 0;
  std::vector<ControlTemplate> controls;  // in tab order
  // The same dialog laid out for a small screen (same id, controls and tab order; other size and
  // rectangles), for a host whose screen the dialog does not fit; nullptr when there is none.
  const Template* small_screen = nullptr;

  // The control with this id, or nullptr.
  const ControlTemplate* Find(int control_id) const;
};

}  // namespace ui
