#pragma once

// Numbers the dialogs of the system share with the framework: dialog results, message box
// buttons and icons, the notifications controls send to their dialog, and the system-menu
// command of the About entry. The values are those the dialogs' own code was written against.

#include <cstdint>

namespace ui {

// Dialog and message box results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Message box buttons (low nibble) and icons (second nibble); combine one of each with |.
inline constexpr unsigned MB_OK = 0x00;
inline constexpr unsigned MB_OKCANCEL = 0x01;
inline constexpr unsigned MB_YESNOCANCEL = 0x03;
inline constexpr unsigned MB_YESNO = 0x04;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_BUTTONMASK = 0x0F;
inline constexpr unsigned MB_ICONMASK = 0xF0;
// The second button (No of Yes/No) has the focus when the box opens, for questions whose Yes
// cannot be undone.
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;

// The system-menu command the main dialogs give their About entry.
inline constexpr int IDM_ABOUTBOX = 16;

// What happened to a control by the user's hand. Controls changed by the program send nothing.
enum class Notify {
  kClicked,      // button pressed, check box toggled, radio button chosen
  kSelChange,    // drop-down list, list box or tab control selection changed
  kEditChange,   // text of an edit, editable drop-down list or IP address control changed
  kItemChanged,  // list view row selection changed (ListView::ChangedRow says which row)
  kScroll,       // slider moved
};

}  // namespace ui
