#pragma once

// String-table ids and English texts of the settings tab dialog, its three pages and the MSR
// sentinel dialog. A language pack translates them by id, so the numbers never change.

#include <span>
#include <string_view>

#include "ui/core/string_table.h"

namespace desktop::vmsm_tab {

// ---- List rows and captions.
inline constexpr int kStrReceipt = 105;        // "Receipt"
inline constexpr int kStrPrintDensity = 106;   // "print density"
inline constexpr int kStrFirstCodePage = 107;  // rows 0..29 of the code page list: 107..136
inline constexpr int kStrCodePageReserved = 128;
inline constexpr int kStrCodePageVietnamese = 137;
inline constexpr int kStrCodePageKhmer = 138;
inline constexpr int kStrCodePageLatin2 = 139;
inline constexpr int kStrInvalidHexFormat = 150;  // "Invalid HEXA Format!!"
inline constexpr int kStrSentinelLength = 151;    // "Sentinel length is over 10 ..."
inline constexpr int kStrParityOdd = 152;
inline constexpr int kStrParityEven = 153;
inline constexpr int kStrSpeedFull = 154;     // "90mm/s"
inline constexpr int kStrSpeedHalf = 155;     // "50mm/s"
inline constexpr int kStrSentinelByte = 156;  // "00 and 1F cannot be part of a sentinel code!"
inline constexpr int kStrInvalidValue = 157;  // "Invalid value!"
inline constexpr int kStrBlackMark = 160;
inline constexpr int kStrOn = 164;
inline constexpr int kStrOff = 170;
inline constexpr int kStrDisable = 179;
inline constexpr int kStrEnable = 180;
inline constexpr int kStrParityNone = 235;
inline constexpr int kStrSentinelAscii = 236;  // caption of the entry format check box
inline constexpr int kStrSentinelHex = 237;
inline constexpr int kStrVmsmManager = 238;  // window title and message caption
inline constexpr int kStrMode1 = 240;
inline constexpr int kStrMode2 = 241;
inline constexpr int kStrMode3 = 242;
inline constexpr int kStrTab1 = 243;
inline constexpr int kStrTab2 = 244;
inline constexpr int kStrTab3 = 245;
// Added after the original table (resource_ids.h keeps the count).
inline constexpr int kStrRestoreDefaultsQuestion = 248;
inline constexpr int kStrMaxBytes = 251;  // %1: the limit

// The string id of each code page row (rows 32..35 share the "Reserved" text).
int CodePageStringId(int row);
inline constexpr int kCodePageRowCount = 37;

// The string id of each MSR trigger row, row = Msr (command, 1, 2, 3, 1+2, 2+3, 1+2+3 auto, not
// used).
inline constexpr int kMsrTriggerStringIds[8] = {148, 142, 143, 145, 144, 146, 149, 147};

struct VmsmTabString {
  int id;
  std::string_view text;
};

// Every id above with its English text, in id order.
std::span<const VmsmTabString> VmsmTabStrings();

}  // namespace desktop::vmsm_tab

namespace desktop {
// Adds the English texts of these dialogs to a program's string table.
void AddVmsmTabStrings(ui::StringTable& table);
}  // namespace desktop
