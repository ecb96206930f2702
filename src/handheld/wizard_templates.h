#pragma once

// The settings wizard's dialogs: its five steps, the MSR sentinel dialog and the transfer's
// progress dialog, laid out for the handheld's small screen (each fits a terminal of 32 x 20 cells
// at 4 x 8 dialog units a cell). Labels and frames carry ids of their own (1201 up in each
// template) only so that a language pack can reach them.

#include "ui/core/template.h"

namespace pda::wizard {

inline constexpr int kStep1TemplateId = 136;
inline constexpr int kStep2TemplateId = 137;
inline constexpr int kStep4TemplateId = 138;
inline constexpr int kStep5TemplateId = 139;
inline constexpr int kSentinelTemplateId = 140;
inline constexpr int kStep3TemplateId = 144;
// The desktop's progress dialog is too wide for the handheld; this one has the same controls.
inline constexpr int kProgressTemplateId = 146;

// Control ids. Ids repeat across templates, as they do in the resources the texts come from.
namespace ctl {
// Buttons every step has (Next and Save are IDOK, Cancel IDCANCEL).
inline constexpr int kPrev = 1031;
inline constexpr int kDefault = 1056;
// Step 1.
inline constexpr int kSpeedList = 1022;
inline constexpr int kDensityList = 1023;
inline constexpr int kFontA = 1044;
inline constexpr int kFontB = 1040;
inline constexpr int kFontC = 1077;
// Step 2.
inline constexpr int kMsrList = 1028;
inline constexpr int kCodePageList = 1046;
inline constexpr int kReceipt = 1052;
inline constexpr int kBlackMark = 1053;
inline constexpr int kAdvance = 1058;
inline constexpr int kTearOffEdit = 1076;
// Step 3.
inline constexpr int kBeepPaperFalse = 1045;
inline constexpr int kBeepPaperTrue = 1042;
inline constexpr int kBeepLowBatOn = 1047;
inline constexpr int kBeepLowBatOff = 1038;
inline constexpr int kDoubleByteOff = 1048;
inline constexpr int kDoubleByteOn = 1040;
// Step 4.
inline constexpr int kBaudList = 1049;
inline constexpr int kParityList = 1023;
inline constexpr int kDataBitsList = 1024;
inline constexpr int kStopBitsList = 1025;
inline constexpr int kPowerOffEdit = 1033;
inline constexpr int kPowerSaveEdit = 1034;
// Step 5.
inline constexpr int kBtCheck = 1055;
inline constexpr int kBleCheck = 1078;
inline constexpr int kSecurityDisable = 1037;
inline constexpr int kSecurityEnable = 1038;
inline constexpr int kMode1 = 1039;
inline constexpr int kMode2 = 1040;
inline constexpr int kMode3 = 1041;
inline constexpr int kPinEdit = 1036;
inline constexpr int kNameEdit = 1032;
// Sentinel dialog.
inline constexpr int kSentinelNone = 1059;
inline constexpr int kSentinelStatic = 1060;
inline constexpr int kSentinelDynamic = 1061;
inline constexpr int kTrack1Start = 1020;
inline constexpr int kTrack1End = 1021;
inline constexpr int kTrack2Start = 1022;
inline constexpr int kTrack2End = 1023;
inline constexpr int kTrack3Start = 1024;
inline constexpr int kTrack3End = 1025;
inline constexpr int kHexCheck = 1062;
}  // namespace ctl

const ui::Template& Step1Template();
const ui::Template& Step2Template();
const ui::Template& Step3Template();
const ui::Template& Step4Template();
const ui::Template& Step5Template();
const ui::Template& SentinelTemplate();
const ui::Template& ProgressTemplate();

}  // namespace pda::wizard
