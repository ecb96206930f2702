#include "handheld/wizard_templates.h"

#include "protocol/settings_record.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "ui/core/constants.h"

namespace pda::wizard {
namespace {

using namespace ctl;

using enum ui::ControlKind;

// One line of text, one list or one button is one terminal row (8 units); rows start on the grid
// so that nothing straddles two. A group box of radio buttons is a row taller than its radios:
// its top and bottom borders take a row each, and the radios sit between them, clear of the
// borders and of the right-hand corner.
constexpr int Row(int n) { return n * 8; }
// 30 cells, 32 with the frame: a 32-column terminal shows a step whole.
constexpr int kWidth = 120;

// The three buttons along the bottom of a step: a back button (Prev, or Default on step 1), the
// forward button (Next, or Save on step 5) and Cancel.
void AddButtons(ui::Template& t, int row, int back_id, const char* back, const char* forward) {
  t.controls.push_back({back_id, kButton, back, {0, Row(row), 38, 8}, ui::kGroup});
  t.controls.push_back({ui::IDOK, kButton, forward, {41, Row(row), 38, 8}, ui::kDefault});
  t.controls.push_back({ui::IDCANCEL, kButton, "Cancel", {82, Row(row), 38, 8}});
}

ui::Template MakeStep1() {
  ui::Template t{kStep1TemplateId,
                 "<Step1-5> VMSM  Manager",
                 kWidth,
                 Row(10),
                 {
                     {1201, kStatic, "Printing Speed :", {0, Row(0), 68, 8}},
                     {kSpeedList, kComboBox, "", {68, Row(0), 52, 40}, ui::kGroup},
                     {1202, kStatic, "Printing density :", {0, Row(1), kWidth, 8}},
                     {kDensityList, kComboBox, "", {8, Row(2), 100, 80}},
                     {1203, kGroupBox, "Default Font Type", {0, Row(3), kWidth, Row(5)}},
                     {kFontA, kRadio, "12x24 A Font", {8, Row(4), 108, 8}, ui::kGroup},
                     {kFontB, kRadio, "9x 24 B Font", {8, Row(5), 108, 8}},
                     {kFontC, kRadio, "9x24 C Font", {8, Row(6), 108, 8}},
                 }};
  AddButtons(t, 9, kDefault, "Default", "Next");
  return t;
}

ui::Template MakeStep2() {
  ui::Template t{
      kStep2TemplateId,
      "<Step2-5> VMSM  Manager",
      kWidth,
      Row(13),
      {
          {1201, kStatic, "Default Code Page", {0, Row(0), kWidth, 8}},
          {kCodePageList, kComboBox, "", {0, Row(1), kWidth, 160}, ui::kGroup},
          {1202, kStatic, "MSR Trigger mode", {0, Row(2), kWidth, 8}},
          {kMsrList, kComboBox, "", {0, Row(3), kWidth, 80}},
          {kAdvance, kButton, "Advance..", {0, Row(4), 48, 8}},
          {1203, kGroupBox, "Service :", {0, Row(5), kWidth, Row(3)}},
          {kReceipt, kRadio, "Receipt", {8, Row(6), 48, 8}, ui::kGroup},
          {kBlackMark, kRadio, "Black Mark", {60, Row(6), 56, 8}},
          {1204, kStatic, "tear off position :\n<0~640 units>", {0, Row(9), 88, Row(2)}},
          {kTearOffEdit, kEdit, "", {88, Row(9), 32, 8}, ui::kGroup | ui::kNumber, 3},
      },
  };
  AddButtons(t, 12, kPrev, "Prev", "Next");
  return t;
}

ui::Template MakeStep3() {
  // The double-byte mode shows "On" left of "Off", but "Off" is the group's first radio (value 0).
  ui::Template t{
      kStep3TemplateId,
      "<Step3-5> VMSM  Manager",
      kWidth,
      Row(11),
      {
          {1201, kGroupBox, "Beeps for roll paper end", {0, Row(0), kWidth, Row(3)}},
          // The printer's value 0 sounds the beep: "True" is the group's first radio.
          {kBeepPaperTrue, kRadio, "True", {8, Row(1), 48, 8}, ui::kGroup},
          {kBeepPaperFalse, kRadio, "False", {64, Row(1), 48, 8}},
          {1202, kGroupBox, "Beep mode for low battery status", {0, Row(3), kWidth, Row(3)}},
          {kBeepLowBatOn, kRadio, "On", {8, Row(4), 48, 8}, ui::kGroup},
          {kBeepLowBatOff, kRadio, "Off", {64, Row(4), 48, 8}},
          {1203, kGroupBox, "Double byte character mode", {0, Row(6), kWidth, Row(3)}},
          {kDoubleByteOff, kRadio, "Off", {64, Row(7), 48, 8}, ui::kGroup},
          {kDoubleByteOn, kRadio, "On", {8, Row(7), 48, 8}},
      },
  };
  AddButtons(t, 10, kPrev, "Prev", "Next");
  return t;
}

ui::Template MakeStep4() {
  const uint32_t shown_only = ui::kDisabled;
  ui::Template t{
      kStep4TemplateId,
      "<Step4-5> VMSM  Manager",
      kWidth,
      Row(12),
      {
          // The lists end a cell short of the box's right-hand border, their arrows inside it.
          {1201, kGroupBox, "Serial Interface configuration", {0, Row(0), kWidth, Row(6)}},
          {1202, kStatic, "Baudrate :", {4, Row(1), 56, 8}},
          {kBaudList, kComboBox, "", {60, Row(1), 56, 80}, ui::kGroup | shown_only},
          {1203, kStatic, "Parity :", {4, Row(2), 56, 8}},
          {kParityList, kComboBox, "", {60, Row(2), 56, 40}, shown_only},
          {1204, kStatic, "Data Length :", {4, Row(3), 56, 8}},
          {kDataBitsList, kComboBox, "", {60, Row(3), 56, 40}, shown_only},
          {1205, kStatic, "Stop bits :", {4, Row(4), 56, 8}},
          {kStopBitsList, kComboBox, "", {60, Row(4), 56, 40}, shown_only},
          {1206, kStatic, "Auto Power Off Time\r\n<0~90 min>", {0, Row(6), 88, Row(2)}},
          {kPowerOffEdit, kEdit, "", {92, Row(6), 24, 8}, ui::kGroup | ui::kNumber, 3},
          {1207, kStatic, "Auto Power Saving\r\nTime <10~255 sec>", {0, Row(8), 88, Row(2)}},
          {kPowerSaveEdit, kEdit, "", {92, Row(8), 24, 8}, ui::kNumber, 3},
      },
  };
  AddButtons(t, 11, kPrev, "Prev", "Next");
  return t;
}

ui::Template MakeStep5() {
  ui::Template t{
      kStep5TemplateId,
      "<Step5-5> VMSM  Manager",
      kWidth,
      Row(15),
      {
          {kBtCheck, kCheckBox, "Enable to change BT Setting", {0, Row(0), kWidth, 8}, ui::kGroup},
          {kBleCheck, kCheckBox, "Enable BLE Mode", {0, Row(1), kWidth, 8}, ui::kDisabled},
          {1201, kGroupBox, "Authentication && Encryption", {0, Row(2), kWidth, Row(3)}},
          {kSecurityDisable, kRadio, "Disable", {8, Row(3), 48, 8}, ui::kGroup | ui::kDisabled},
          {kSecurityEnable, kRadio, "Enable", {64, Row(3), 48, 8}, ui::kDisabled},
          // Three radios side by side would need a cell more than the box has inside.
          {1202, kGroupBox, "Connection mode", {0, Row(5), kWidth, Row(4)}},
          {kMode1, kRadio, "Mode1", {8, Row(6), 40, 8}, ui::kGroup | ui::kDisabled},
          {kMode2, kRadio, "Mode2", {64, Row(6), 40, 8}, ui::kDisabled},
          {kMode3, kRadio, "Mode3", {8, Row(7), 40, 8}, ui::kDisabled},
          {1203, kStatic, "PIN code <Max 12 chars>", {0, Row(9), kWidth, 8}},
          {kPinEdit,
           kEdit,
           "",
           {0, Row(10), 56, 8},
           ui::kGroup | ui::kDisabled,
           static_cast<int>(protocol::kMaxBtPinChars)},
          {1204, kStatic, "Printer Name <Max 30 chars>", {0, Row(11), kWidth, 8}},
          {kNameEdit,
           kEdit,
           "",
           {0, Row(12), kWidth, 8},
           ui::kDisabled,
           static_cast<int>(protocol::kMaxBtNameChars)},
      },
  };
  AddButtons(t, 14, kPrev, "Prev", "Save");
  return t;
}

ui::Template MakeSentinel() {
  return ui::Template{
      kSentinelTemplateId,
      "MSR Sentinel Settings",
      kWidth,
      Row(14),
      {
          // The three radios side by side would need a cell more than the box has inside.
          {1201, kGroupBox, "Sentinel Option", {0, Row(0), kWidth, Row(4)}},
          {kSentinelNone, kRadio, "None", {8, Row(1), 36, 8}, ui::kGroup},
          {kSentinelStatic, kRadio, "Static", {64, Row(1), 44, 8}},
          {kSentinelDynamic, kRadio, "Dynamic", {8, Row(2), 48, 8}},
          {1202, kStatic, "Track1 Start", {0, Row(4), 56, 8}},
          {kTrack1Start, kEdit, "", {56, Row(4), 64, 8}, ui::kGroup},
          {1203, kStatic, "Track1 End", {0, Row(5), 56, 8}},
          {kTrack1End, kEdit, "", {56, Row(5), 64, 8}},
          {1204, kStatic, "Track2 Start", {0, Row(6), 56, 8}},
          {kTrack2Start, kEdit, "", {56, Row(6), 64, 8}},
          {1205, kStatic, "Track2 End", {0, Row(7), 56, 8}},
          {kTrack2End, kEdit, "", {56, Row(7), 64, 8}},
          {1206, kStatic, "Track3 Start", {0, Row(8), 56, 8}},
          {kTrack3Start, kEdit, "", {56, Row(8), 64, 8}},
          {1207, kStatic, "Track3 End", {0, Row(9), 56, 8}},
          {kTrack3End, kEdit, "", {56, Row(9), 64, 8}},
          {kHexCheck, kCheckBox, "ASCII", {0, Row(11), 64, 8}, ui::kGroup},
          {ui::IDOK, kButton, "OK", {24, Row(13), 36, 8}, ui::kDefault | ui::kGroup},
          {ui::IDCANCEL, kButton, "Cancel", {68, Row(13), 36, 8}},
      },
  };
}

ui::Template MakeProgress() {
  return ui::Template{
      kProgressTemplateId,
      "Virtual Memory Switch Manager",
      120,
      Row(5),
      {
          {settings::kVmsmProProgressId, kProgress, "", {4, Row(1), 112, 8}},
          {settings::kVmsmProTextId, kStatic, "0 %", {4, Row(2), 112, 8}, ui::kCentered},
          {ui::IDCANCEL, kButton, "Cancel", {40, Row(4), 40, 8}, ui::kDefault},
      },
  };
}

}  // namespace

const ui::Template& Step1Template() {
  static const ui::Template t = MakeStep1();
  return t;
}
const ui::Template& Step2Template() {
  static const ui::Template t = MakeStep2();
  return t;
}
const ui::Template& Step3Template() {
  static const ui::Template t = MakeStep3();
  return t;
}
const ui::Template& Step4Template() {
  static const ui::Template t = MakeStep4();
  return t;
}
const ui::Template& Step5Template() {
  static const ui::Template t = MakeStep5();
  return t;
}
const ui::Template& SentinelTemplate() {
  static const ui::Template t = MakeSentinel();
  return t;
}
const ui::Template& ProgressTemplate() {
  static const ui::Template t = MakeProgress();
  return t;
}

}  // namespace pda::wizard
