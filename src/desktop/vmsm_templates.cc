#include "desktop/vmsm_templates.h"

#include "protocol/settings_record.h"

using protocol::kMaxBtPinChars;

namespace desktop {
namespace {

using namespace vmsm_ctl;

using enum ui::ControlKind;

// Labels and frames carry ids of their own (from 1201 up in each template) only so that a
// language pack can translate them; no code addresses them.

const ui::Template kVmsm{kVmsmTemplateId,
                         "Virtual Memory Switch Manager",
                         320,
                         245,
                         {
                             {vmsm_ctl::kTab, kTab, "", {7, 7, 306, 210}},
                             {kSave, kButton, "Save", {7, 222, 60, 14}, ui::kDefault},
                             {kDefault, kButton, "Default", {120, 222, 60, 14}},
                             {kCancel, kButton, "Cancel", {253, 222, 60, 14}},
                         }};

const ui::Template kTab1{kVmsmTab1TemplateId,
                         "Printer Setting 1",
                         286,
                         178,
                         {
                             {1201, kStatic, "Printing Density", {5, 7, 90, 10}},
                             {kDensityList, kComboBox, "", {100, 5, 150, 100}, ui::kGroup},
                             {1202, kStatic, "Printing Speed", {5, 25, 90, 10}},
                             {kSpeedList, kComboBox, "", {100, 23, 150, 60}},
                             {1203, kStatic, "Default Code Page", {5, 43, 90, 10}},
                             {kCodePageList, kComboBox, "", {100, 41, 150, 160}},
                             {kCodePageText, kStatic, "(KOREA C-5601)", {100, 58, 150, 10}},
                             {1204, kGroupBox, "Default Font Type", {5, 72, 256, 58}},
                             {kFontA, kRadio, "Font A ( 12 x 24 )", {15, 84, 110, 10}, ui::kGroup},
                             {kFontB, kRadio, "Font B ( 9 x 17 ) ", {15, 96, 110, 10}},
                             {kFontC, kRadio, "Font C ( 9 x 24 )", {15, 108, 110, 10}},
                             {1205, kGroupBox, "Double Byte Font Mode", {5, 134, 256, 30}},
                             {kDoubleByteOff, kRadio, "Off", {15, 147, 50, 10}, ui::kGroup},
                             {kDoubleByteOn, kRadio, "On", {80, 147, 50, 10}},
                         }};

const ui::Template kTab2{
    kVmsmTab2TemplateId,
    "Printer Setting 2",
    286,
    178,
    {
        {1201, kStatic, "Printer Service", {5, 7, 145, 10}},
        {kServiceList, kComboBox, "", {152, 5, 80, 60}, ui::kGroup},
        {1202, kStatic, "tear off position", {5, 23, 145, 10}},
        {kTearOffEdit, kEdit, "", {152, 21, 28, 12}, ui::kNumber},
        {1203, kStatic, "units (0 <-288 ->640)", {184, 23, 100, 10}},
        {1204, kStatic, "Beep For Roll Paper End", {5, 39, 145, 10}},
        {kBeepPaperList, kComboBox, "", {152, 37, 80, 60}},
        {1205, kStatic, "Beep Mode For Low Battery End", {5, 55, 145, 10}},
        {kBeepLowBatList, kComboBox, "", {152, 53, 80, 60}},
        {1206, kStatic, "Auto Power Off Time (Not Connected)", {5, 71, 145, 10}},
        {kPowerOffEdit, kEdit, "", {152, 69, 28, 12}, ui::kNumber},
        {1207, kStatic, "min (0~90 ex> 30)", {184, 71, 100, 10}},
        {1208, kStatic, "Auto Power Saving Time (Connected)", {5, 87, 145, 10}},
        {kPowerSaveEdit, kEdit, "", {152, 85, 28, 12}, ui::kNumber},
        {1209, kStatic, "sec (0, 10~255 ex> 100)", {184, 87, 100, 10}},
        {1210, kGroupBox, "MSR Configuration", {5, 105, 256, 60}},
        {1211, kStatic, "MSR Trigger", {12, 120, 65, 10}},
        {kMsrTriggerList, kComboBox, "", {80, 118, 170, 100}},
        {kAdvanceButton, kButton, "Advance", {80, 140, 60, 14}},
    }};

const ui::Template kTab3{
    kVmsmTab3TemplateId,
    "Printer interface",
    286,
    178,
    {
        {1201, kGroupBox, "Serial Interface Configuration", {5, 3, 256, 52}},
        {1202, kStatic, "Baud Rate", {12, 16, 50, 10}},
        {kBaudList, kComboBox, "", {65, 14, 60, 100}, ui::kGroup | ui::kDisabled},
        {1203, kStatic, "Data Bits", {135, 16, 50, 10}},
        {kDataBitsList, kComboBox, "", {190, 14, 60, 60}, ui::kDisabled},
        {1204, kStatic, "Parity", {12, 34, 50, 10}},
        {kParityList, kComboBox, "", {65, 32, 60, 60}, ui::kDisabled},
        {1205, kStatic, "Stop Bits", {135, 34, 50, 10}},
        {kStopBitsList, kComboBox, "", {190, 32, 60, 60}, ui::kDisabled},
        {kBluetoothCheck, kCheckBox, "Enable Bluetooth Setting", {5, 66, 120, 10}, ui::kGroup},
        {kBleCheck, kCheckBox, "Enable BLE Mode", {135, 66, 120, 10}, ui::kDisabled},
        {1206, kStatic, "Authentication && Encryption", {8, 84, 110, 10}},
        {kSecurityList, kComboBox, "", {120, 82, 80, 60}, ui::kDisabled},
        {1207, kStatic, "Connection Mode", {8, 102, 110, 10}},
        {kConnModeList, kComboBox, "", {120, 100, 80, 60}, ui::kDisabled},
        {1208, kStatic, "PIN Code", {8, 120, 110, 10}},
        {kPinEdit, kEdit, "", {120, 118, 80, 12}, ui::kDisabled, static_cast<int>(kMaxBtPinChars)},
        {1209, kStatic, "Printer Name", {8, 138, 110, 10}},
        {kNameEdit,
         kEdit,
         "",
         {120, 136, 130, 12},
         ui::kDisabled,
         static_cast<int>(protocol::kMaxBtNameChars)},
    }};

const ui::Template kMsrAdvance{
    kMsrAdvanceTemplateId,
    "Advanced MSR Settings",
    250,
    172,
    {
        {1201, kGroupBox, "Sentinal Option", {7, 5, 236, 28}},
        {kModeNone, kRadio, "None", {15, 17, 50, 10}, ui::kGroup},
        {kModeStatic, kRadio, "Static Sentinal", {75, 17, 75, 10}},
        {kModeDynamic, kRadio, "Dynamic Sentinal", {155, 17, 80, 10}},
        {1202, kStatic, "Track1 Start Code", {7, 42, 70, 10}},
        {kTrack1Start, kEdit, "", {80, 40, 160, 12}, ui::kGroup},
        {1203, kStatic, "Track1 End Code", {7, 58, 70, 10}},
        {kTrack1End, kEdit, "", {80, 56, 160, 12}},
        {1204, kStatic, "Track2 Start Code", {7, 74, 70, 10}},
        {kTrack2Start, kEdit, "", {80, 72, 160, 12}},
        {1205, kStatic, "Track2 End Code", {7, 90, 70, 10}},
        {kTrack2End, kEdit, "", {80, 88, 160, 12}},
        {1206, kStatic, "Track3 Start Code", {7, 106, 70, 10}},
        {kTrack3Start, kEdit, "", {80, 104, 160, 12}},
        {1207, kStatic, "Track3 End Code", {7, 122, 70, 10}},
        {kTrack3End, kEdit, "", {80, 120, 160, 12}},
        {kHexCheck, kCheckBox, "ASCII (ex: \"START(1)\")", {7, 138, 160, 10}},
        {kMsrOk, kButton, "OK", {130, 152, 50, 14}, ui::kDefault},
        {kMsrCancel, kButton, "Cancel", {190, 152, 50, 14}},
    }};

}  // namespace

const ui::Template& VmsmTemplate() { return kVmsm; }
const ui::Template& VmsmTab1Template() { return kTab1; }
const ui::Template& VmsmTab2Template() { return kTab2; }
const ui::Template& VmsmTab3Template() { return kTab3; }
const ui::Template& MsrAdvanceTemplate() { return kMsrAdvance; }

}  // namespace desktop
