#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/setting_schema.h"

// The lists through which the settings dialogs show the record's fields, and the mapping between
// a list row and the value the printer keeps. Rows are in display order. The English texts are
// the ones the string table starts from.
namespace settings::setting_lists {

// Print density: the list runs from the darkest to the lightest print, which is not the order of
// the printer's values.
struct DensityRow {
  uint32_t value;           // the record's Density
  uint32_t percent;         // 150 .. 80
  std::string_view suffix;  // appended to the "print density" caption
};
inline constexpr std::array<DensityRow, 8> kDensityRows = {{
    {3, 150, " 150%"},
    {5, 140, " 140%"},
    {0, 130, " 130%"},
    {1, 120, " 120%"},
    {2, 110, " 110%"},
    {4, 100, " 100%"},
    {6, 90, "  90%"},
    {7, 80, "  80%"},
}};
inline constexpr std::string_view kDensityCaption = "print density";
// The row showing `density`; nullopt for a value outside 0..7.
std::optional<size_t> DensityRowOf(uint32_t density);
// The record value of a row; nullopt for a row past the list.
std::optional<uint32_t> DensityOfRow(size_t row);
// Percentage of a record value (0 for a value outside 0..7).
uint32_t DensityPercent(uint32_t density);

// Printing speed, row = Speed.
inline constexpr std::array<std::string_view, 2> kSpeedRows = {"90mm/s", "50mm/s"};

// Default code page, row = CodePage.
inline constexpr std::array<std::string_view, 37> kCodePageRows = {
    "PC437 - USA, Standard Europe",
    "Katakana",
    "PC850 - Multilingual",
    "PC860 - Portuguese",
    "PC863 - Canadian-French",
    "PC865 - Nordic",
    "WPC1252 - Latin I",
    "PC866 - Cyrillic #2",
    "PC852 - Latin 2",
    "PC858 - Euro",
    "PC862 - Hebrew DOS code",
    "PC864 - Arabic",
    "Thai character code 42",
    "WPC1253 - Greek",
    "WPC1254 - Turkish",
    "WPC1257 - Baltic",
    "Farsi",
    "WPC1251 - Cyrillic",
    "PC737 - Greek",
    "PC775 - Baltic",
    "Thai character code 14",
    "Reserved",
    "WPC1255 - Hebrew new code",
    "Thai character code 11",
    "Thai character code 18",
    "PC855 - Cyrillic",
    "PC857 - Turkish",
    "PC928 - Greek",
    "Thai character code 16",
    "WPC1256 - Arabic",
    "WPC1258 - Vietnamese",
    "KHMER",
    "Reserved",
    "Reserved",
    "Reserved",
    "Reserved",
    "WPC1250 - Latin 2",
};

// MSR trigger mode, row = Msr.
inline constexpr std::array<std::string_view, 8> kMsrTriggerRows = {
    "Track 1/2/3 read mode command",      "Track 1 read mode AUTO trigger",
    "Track 2 read mode AUTO trigger",     "Track 3 read mode AUTO trigger",
    "Track 1/2 read mode AUTO trigger",   "Track 2/3 read mode AUTO trigger",
    "Track 1/2/3 read mode AUTO trigger", "Not used MSR trigger",
};

// Flow control, shown as "1" and "2": row 0 is value 1, any other row value 2; value 1 shows row
// 0, any other value row 1.
inline constexpr std::array<std::string_view, 2> kFlowcontrolRows = {"1", "2"};
uint32_t FlowcontrolOfRow(size_t row);
size_t FlowcontrolRowOf(uint32_t flowcontrol);

// Serial baud rate, as both programs list it. A rate the list does not offer shows row 3
// ("19200").
inline constexpr std::array<setting_schema::ValueWord, 7> kBaudRates = {{
    {"2400", 2400},
    {"4800", 4800},
    {"9600", 9600},
    {"19200", 19200},
    {"38400", 38400},
    {"57600", 57600},
    {"115200", 115200},
}};
size_t BaudrateRowOf(uint32_t baudrate);
// The rate the list shows for `baudrate`: itself when listed, otherwise 19200.
uint32_t ShownBaudrate(uint32_t baudrate);
// Data bits: 7 shows row 0 ("7"), anything else row 1 ("8").
inline constexpr std::array<std::string_view, 2> kDatabitRows = {"7", "8"};
size_t DatabitRowOf(uint32_t databit);
// Parity, row = Parity.
inline constexpr std::array<std::string_view, 3> kParityRows = {"None", "Odd", "Even"};

// ---- The handheld program's lists. Its texts are fixed (it has no string table to translate),
// and some read differently from the desktop's.

// Print density, in the rows of kDensityRows.
inline constexpr std::array<std::string_view, 8> kHandheldDensityRows = {
    "print density 150%", "print density 140%", "print density 130%", "print density 120%",
    "print density 110%", "print density 100%", "print density 90%",  "print density 80%",
};
// Printing speed, row = Speed: the handheld names the full speed differently.
inline constexpr std::array<std::string_view, 2> kHandheldSpeedRows = {"100mm/s", "50mm/s"};
// Default code page, row = CodePage; the last row's text is cut short on the handheld.
inline constexpr std::array<std::string_view, 37> kHandheldCodePageRows = [] {
  std::array<std::string_view, 37> rows = kCodePageRows;
  rows[36] = "WPC1250 ";
  return rows;
}();

// MSR trigger mode. Which list a printer gets depends on the open-check value of its
// identification: from "9" (39h) on the list above, below it the older modes; the values "P" (50h)
// and 60h mark readers that have one fixed mode, shown as a single row.
enum class MsrTriggerList { kOlder, kCurrent, kEncryptionOnly, kIcCard };
inline constexpr uint8_t kOpenCheckCurrentMsr = 0x39;
inline constexpr uint8_t kOpenCheckEncryptionOnly = 0x50;
inline constexpr uint8_t kOpenCheckIcCard = 0x60;
MsrTriggerList MsrTriggerListOf(uint8_t open_check);
// Older printers, row = Msr. Value 5 has no known meaning; its row keeps the place so that a
// printer reporting it shows it and gets it back unchanged.
inline constexpr std::array<std::string_view, 9> kOlderMsrTriggerRows = {
    "Track 1/2 read mode command",
    "Track 2/3 read mode command",
    "Track 1 read mode AUTO trigger",
    "Track 2 read mode AUTO trigger",
    "Track 1/2 read mode AUTO trigger",
    "MSR trigger mode 5",
    "Track 3 read mode AUTO trigger",
    "Track 2/3 read mode AUTO trigger",
    "Not used MSR trigger",
};
inline constexpr std::string_view kEncryptionOnlyMsrRow = "Only Encription MSR";
inline constexpr std::string_view kIcCardMsrRow = "IC card mode";
// The rows the handheld wizard lists for a printer: one row for the fixed-mode readers.
std::vector<std::string_view> HandheldMsrTriggerRows(uint8_t open_check);

// The text of `row` in `rows`, or nullopt when the record holds a value the list has no row for
// (a printer can report one), so a dialog never indexes past its list.
template <size_t N>
std::optional<std::string_view> RowText(const std::array<std::string_view, N>& rows, uint32_t row) {
  if (row >= N) return std::nullopt;
  return rows[row];
}

}  // namespace settings::setting_lists
