#include "desktop/desktop_resources.h"

#include <utility>

#include "desktop/resource_ids.h"
#include "desktop/vmsm_tab_strings.h"
#include "desktop/vmsm_templates.h"
#include "firmware/dialogs/firmware_template.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "settings/dialogs/vmsm_pro_dlg.h"
#include "settings/dialogs/vmsm_pro_template.h"

namespace desktop {
using ui::ControlKind;

ui::StringTable DesktopStringTable() {
  ui::StringTable table{
      {kStrAboutMenu, "&About Pelliset"},
      {kStrDescription,
       "Reads and writes the printer's settings, stores logo images in its NV memory and sends "
       "firmware.\r\nChoose the interface and the port, then open a manager."},
      {kStrTitle, "TMQ-D550 Pelliset for PC V1.0.0"},
      {kStrPort, "Port"},
      {kStrAppCaption, "Pelliset"},
      {kStrVmsmSaveFailed,
       "Failed to save VMSM configuration!\r\nPlease check your printer state."},
      {kStrVmsmSetDone, "Success to set VMSM configuration! \r\nPlease reset printer power."},
      {kStrNoUsbPrinter, "Not connected USB printer!"},
      {kStrNone, "NONE"},
      {kStrTcpPortLabel, "TCP Port :"},
      {kStrSettingsNotSaved, "Settings could not be saved: %1"},
      {kStrCommSettingNotSaved, "The communication setting could not be saved: %1"},
  };
  settings::AddTransferStrings(table);
  AddVmsmTabStrings(table);
  return table;
}

const ui::Template& MainDialogTemplate() {
  static const ui::Template t{
      kMainTemplateId,
      "Pelliset",
      250,
      204,
      {
          {kCommunicationFrame, ControlKind::kGroupBox, "Communication", {7, 6, 236, 104}},
          {kInterfaceLabel, ControlKind::kStatic, "Interface :", {14, 20, 62, 8}},
          {kInterfaceList, ControlKind::kComboBox, "", {80, 18, 156, 80}, ui::kGroup},
          {kPortLabel, ControlKind::kStatic, "Port :", {14, 36, 62, 8}},
          // Editable: a device path that is not listed can be typed.
          {kPortList, ControlKind::kComboBox, "", {80, 34, 156, 120}, ui::kEditable},
          // The address entry and the TCP port edit share the places of the Port and Baud Rate
          // lists; the interface layout shows one of each pair.
          {kIpAddressEdit, ControlKind::kIpAddress, "", {80, 34, 156, 12}, ui::kHidden},
          {kBaudRateLabel, ControlKind::kStatic, "Baud Rate :", {14, 52, 62, 8}},
          {kBaudRateList, ControlKind::kComboBox, "", {80, 50, 156, 100}},
          {kTcpPortEdit, ControlKind::kEdit, "", {80, 50, 156, 12}, ui::kHidden | ui::kNumber, 5},
          {kDataBitsLabel, ControlKind::kStatic, "Data Bits :", {14, 70, 48, 8}},
          {kDataBitsList, ControlKind::kComboBox, "", {64, 68, 52, 40}},
          {kStopBitsLabel, ControlKind::kStatic, "Stop Bits :", {124, 70, 56, 8}},
          {kStopBitsList, ControlKind::kComboBox, "", {184, 68, 52, 40}},
          {kParityLabel, ControlKind::kStatic, "Parity :", {14, 88, 48, 8}},
          {kParityList, ControlKind::kComboBox, "", {64, 86, 52, 50}},
          {kFlowControlLabel, ControlKind::kStatic, "Flow Control :", {124, 88, 56, 8}},
          {kFlowControlList, ControlKind::kComboBox, "", {184, 86, 52, 40}},
          {kDescriptionFrame, ControlKind::kGroupBox, "Description", {7, 114, 236, 50}},
          {kDescriptionText, ControlKind::kStatic, "", {14, 126, 222, 34}},
          {kVmsmButton,
           ControlKind::kButton,
           "Virtual Memory Switch Manager",
           {7, 170, 132, 14},
           ui::kGroup},
          {kNvButton, ControlKind::kButton, "NV Image Manager", {143, 170, 100, 14}},
          // Created hidden and disabled: the firmware download is for service technicians, whose
          // pack (examples/service.pack, deskutil --pack) shows and enables it.
          {kFirmwareButton,
           ControlKind::kButton,
           "Firmware Manager",
           {7, 186, 116, 14},
           ui::kHidden | ui::kDisabled},
          {kExitButton, ControlKind::kButton, "Exit", {183, 186, 60, 14}, ui::kDefault},
      },
  };
  return t;
}

const ui::Template& AboutTemplate() {
  static const ui::Template t{
      kAboutTemplateId,
      "About Pelliset",
      220,
      62,
      {
          {kAboutProductText, ControlKind::kStatic, "Pelliset ", {40, 10, 170, 8}},
          {kAboutLineText,
           ControlKind::kStatic,
           "Settings, logo images and firmware for TMQ-D550 printers",
           {40, 22, 170, 18}},  // two rows: the line is longer than the box is wide
          {kAboutOkButton,
           ControlKind::kButton,
           "OK",
           {163, 41, 50, 14},
           ui::kGroup | ui::kDefault},
      },
  };
  return t;
}

std::vector<const ui::Template*> DesktopTemplates() {
  return {&MainDialogTemplate(),    &AboutTemplate(),
          &VmsmTemplate(),          &VmsmTab1Template(),
          &VmsmTab2Template(),      &VmsmTab3Template(),
          &MsrAdvanceTemplate(),    &settings::VmsmProTemplate(),
          &nv::NvManagerTemplate(), &nv::NvAddrTemplate(),
          &nv::NvProTemplate(),     &firmware::FirmwareTemplate()};
}

ui::Resources DesktopResources(std::optional<ui::ResourcePack> pack) {
  ui::Resources resources(DesktopStringTable());
  resources.SetPack(std::move(pack));
  resources.SetAppTitle(resources.String(kStrAppCaption));
  return resources;
}

}  // namespace desktop
