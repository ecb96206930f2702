#include "ui/core/host_texts.h"

namespace ui {
namespace {

// The help's rows are "help/N/keys" and "help/N/does", N counting from 1 in the order shown.
constexpr HostTextEntry kHostTexts[] = {
    {"keyline/help", "F1 Help"},
    {"keyline/next", "Tab Next"},
    {"keyline/ok", "Enter OK"},
    {"keyline/cancel", "Esc Cancel"},
    {"keyline/menu", "F10 Menu"},
    {"keyline/scroll", "PgUp/PgDn Scroll"},
    {"keyline/answer", "Enter Answer"},
    {"keyline/close", "Esc Close"},
    {"keyline/menu-choose", "Up/Down Choose"},
    {"keyline/menu-open", "Enter Open"},
    {"keyline/menu-close", "Esc Close the menu"},
    {"keyline/help-scroll", "Up/Down Scroll"},
    {"keyline/help-close", "Other keys close"},
    {"keyline/help-any-key", "Any key closes the help"},
    {"help/title", "Keys"},
    {"help/1/keys", "Tab, Shift-Tab"},
    {"help/1/does", "next, previous field"},
    {"help/2/keys", "Enter"},
    {"help/2/does", "the focused button, else the default one"},
    {"help/3/keys", "Space"},
    {"help/3/does", "press a button, tick a box, choose a row"},
    {"help/4/keys", "Arrows"},
    {"help/4/does", "move in lists, drop-downs, sliders, options, tabs"},
    {"help/5/keys", "Enter, Alt-Down, F4"},
    {"help/5/does", "open a drop-down list"},
    {"help/6/keys", "PgUp, PgDn"},
    {"help/6/does", "a page in a list; scroll a dialog taller than the screen"},
    {"help/7/keys", "Ctrl-PgUp, PgDn"},
    {"help/7/does", "previous, next tab page"},
    {"help/8/keys", "Esc"},
    {"help/8/does", "Cancel"},
    {"help/9/keys", "F10, Alt-Space"},
    {"help/9/does", "the system menu (About, Close)"},
    {"help/10/keys", "Mouse"},
    {"help/10/does", "click to focus and press; the wheel scrolls"},
    {"menu/close", "Close"},
    {"hint/read-only", "This field cannot be changed."},
    {"hint/digits-only", "Only digits can be typed here."},
    {"hint/max-chars", "No more than %1 characters fit here."},
    {"hint/address", "An address is four numbers from 0 to 255."},
    {"hint/address-part", "Each part of an address is at most 255."},
    {"file/open", "Open"},
    {"file/folder", "Folder:"},
    {"file/path", "Path:"},
    {"file/type", "Files of type:"},
    {"file/none", "(no matching files)"},
    {"file/keys", "Enter open/choose  Tab path  Ctrl-F type  Esc cancel"},
    {"file/keys-mark", "Enter open/choose  Space mark  Tab path  Ctrl-F type  Esc cancel"},
    {"file/keys-marked", "%1 marked: Enter chooses them  Space mark/unmark  Esc cancel"},
    // A message box's buttons as drawn; "button/" and the answer's name in lower case.
    {"button/ok", "OK"},
    {"button/cancel", "Cancel"},
    {"button/yes", "Yes"},
    {"button/no", "No"}};

}  // namespace

std::span<const HostTextEntry> HostTexts() { return kHostTexts; }

}  // namespace ui
