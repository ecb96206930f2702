#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The lists through which the settings dialogs show the record's fields, and the mapping between
// a list row and the value the printer keeps. Rows are in display order. The English texts are
// the ones the string table starts from.
namespace setting_lists {

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

// The text of `row` in `rows`, or nullopt when the record holds a value the list has no row for
// (a printer can report one), so a dialog never indexes past its list.
template <size_t N>
std::optional<std::string_view> RowText(const std::array<std::string_view, N>& rows, uint32_t row) {
  if (row >= N) return std::nullopt;
  return rows[row];
}

}  // namespace setting_lists
