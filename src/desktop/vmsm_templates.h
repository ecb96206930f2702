#pragma once

// Dialog templates of the settings tab dialog (frame and three pages) and the MSR sentinel
// dialog, with the ids of their controls. A language pack addresses its captions by these
// numbers, so they never change.

#include "ui/core/template.h"

namespace desktop {

inline constexpr int kVmsmTemplateId = 133;
inline constexpr int kMsrAdvanceTemplateId = 137;
inline constexpr int kVmsmTab3TemplateId = 138;
inline constexpr int kVmsmTab1TemplateId = 140;
inline constexpr int kVmsmTab2TemplateId = 141;

const ui::Template& VmsmTemplate();
const ui::Template& VmsmTab1Template();
const ui::Template& VmsmTab2Template();
const ui::Template& VmsmTab3Template();
const ui::Template& MsrAdvanceTemplate();

namespace vmsm_ctl {

// ---- Frame (133).
inline constexpr int kSave = 1;  // IDOK
inline constexpr int kCancel = 2;
inline constexpr int kDefault = 1000;
inline constexpr int kTab = 1022;
// Where the pages sit inside the tab control, in dialog units.
inline constexpr int kPageOffsetX = 10;
inline constexpr int kPageOffsetY = 25;

// ---- Page 1 (140).
inline constexpr int kDensityList = 1092;
inline constexpr int kSpeedList = 1093;
inline constexpr int kCodePageList = 1094;
inline constexpr int kFontA = 1003;  // radio group "Default Font Type", index = FontType
inline constexpr int kFontB = 1004;
inline constexpr int kFontC = 1005;
inline constexpr int kDoubleByteOff = 1006;  // radio group "Double Byte Font Mode"
inline constexpr int kDoubleByteOn = 1015;
inline constexpr int kCodePageText = 1108;

// ---- Page 2 (141).
inline constexpr int kServiceList = 1007;
inline constexpr int kTearOffEdit = 1014;
inline constexpr int kBeepPaperList = 1008;
inline constexpr int kBeepLowBatList = 1107;
inline constexpr int kPowerOffEdit = 1100;
inline constexpr int kPowerSaveEdit = 1101;
inline constexpr int kMsrTriggerList = 1102;
inline constexpr int kAdvanceButton = 1000;

// ---- Page 3 (138).
inline constexpr int kBaudList = 1103;
inline constexpr int kParityList = 1104;
inline constexpr int kDataBitsList = 1105;
inline constexpr int kStopBitsList = 1106;
inline constexpr int kBluetoothCheck = 1091;
inline constexpr int kBleCheck = 1016;
inline constexpr int kSecurityList = 1012;
inline constexpr int kConnModeList = 1021;
inline constexpr int kPinEdit = 1014;
inline constexpr int kNameEdit = 1020;

// ---- MSR sentinel dialog (137).
inline constexpr int kMsrOk = 1;
inline constexpr int kMsrCancel = 2;
inline constexpr int kTrack1Start = 1072;
inline constexpr int kTrack1End = 1073;
inline constexpr int kTrack2Start = 1074;
inline constexpr int kTrack2End = 1075;
inline constexpr int kTrack3Start = 1076;
inline constexpr int kTrack3End = 1077;
inline constexpr int kModeNone = 1078;  // radio group "Sentinal Option", index = Sentinel
inline constexpr int kModeStatic = 1079;
inline constexpr int kModeDynamic = 1080;
inline constexpr int kHexCheck = 1081;

}  // namespace vmsm_ctl
}  // namespace desktop
