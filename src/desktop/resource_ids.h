#pragma once

// Resource ids of the desktop program: its dialog templates, their controls and its string table.
// A language pack addresses its translations by these numbers, so they never change.

namespace desktop {

// ---- Dialog templates.
inline constexpr int kAboutTemplateId = 100;
inline constexpr int kMainTemplateId = 102;

// ---- Main dialog controls.
inline constexpr int kExitButton = 1;  // IDOK
inline constexpr int kVmsmButton = 1000;
inline constexpr int kNvButton = 1001;
inline constexpr int kFirmwareButton = 1002;
inline constexpr int kDescriptionText = 1003;
inline constexpr int kInterfaceList = 1006;
inline constexpr int kPortList = 1007;
inline constexpr int kBaudRateList = 1008;
inline constexpr int kParityList = 1009;
inline constexpr int kStopBitsList = 1010;
inline constexpr int kDataBitsList = 1011;
inline constexpr int kFlowControlList = 1012;
inline constexpr int kIpAddressEdit = 1074;
inline constexpr int kTcpPortEdit = 1075;
inline constexpr int kPortLabel = 1077;
inline constexpr int kBaudRateLabel = 1084;
// Labels and frames that carry ids so that a language pack can translate them.
inline constexpr int kInterfaceLabel = 1078;
inline constexpr int kDataBitsLabel = 1079;
inline constexpr int kStopBitsLabel = 1080;
inline constexpr int kParityLabel = 1081;
inline constexpr int kFlowControlLabel = 1082;
inline constexpr int kDescriptionFrame = 1083;
inline constexpr int kCommunicationFrame = 1085;

// ---- About box controls.
inline constexpr int kAboutOkButton = 1;
inline constexpr int kAboutProductText = 1090;
inline constexpr int kAboutLineText = 1091;

// ---- String table.
inline constexpr int kStrAboutMenu = 101;
inline constexpr int kStrDescription = 102;
inline constexpr int kStrTitle = 103;
inline constexpr int kStrPort = 104;
inline constexpr int kStrAppCaption = 168;
inline constexpr int kStrVmsmSaveFailed = 169;
inline constexpr int kStrVmsmSetDone = 171;
inline constexpr int kStrNoUsbPrinter = 172;
inline constexpr int kStrNone = 234;
// Texts added after the original table take the ids after it.
inline constexpr int kStrTcpPortLabel = 247;
// 248 and 251 are the settings tab dialog's (vmsm_tab_strings.h).
inline constexpr int kStrSettingsNotSaved = 249;     // %1: why
inline constexpr int kStrCommSettingNotSaved = 250;  // %1: why

// The range the table and its translations may use.
inline constexpr int kFirstStringId = 101;
inline constexpr int kLastStringId = 251;

}  // namespace desktop
