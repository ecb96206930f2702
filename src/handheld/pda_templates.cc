#include "handheld/pda_templates.h"

namespace pda {
using ui::ControlKind;

// The address edit and the TCP port edit lie over the port and baud lists: the "TCP/IP
// Comunication" box shows one of each pair. 120 units wide (30 cells) so that, with its frame,
// the dialog fills a 32-column terminal exactly; 122 would round up to a cell too many.
const ui::Template& MainDialogTemplate() {
  static const ui::Template t{
      kMainTemplateId,
      "Pelliset",
      120,
      130,
      {
          {kCommunicationFrame, ControlKind::kGroupBox, "Communication Setting", {2, 2, 116, 66}},
          {kTcpCheck, ControlKind::kCheckBox, "TCP/IP Comunication", {6, 16, 106, 10}, ui::kGroup},
          {kPortLabel, ControlKind::kStatic, "Port :", {6, 32, 44, 8}},
          {kPortList, ControlKind::kComboBox, "", {52, 32, 60, 80}, ui::kEditable},
          {kIpAddressEdit, ControlKind::kEdit, "", {52, 32, 60, 8}, ui::kHidden},
          {kBaudRateLabel, ControlKind::kStatic, "Baudrate :", {6, 48, 44, 8}},
          {kBaudRateList, ControlKind::kComboBox, "", {52, 48, 60, 80}},
          {kTcpPortEdit, ControlKind::kEdit, "", {52, 48, 60, 8}, ui::kHidden},
          {kVmsmButton,
           ControlKind::kButton,
           "Virtual Memory Switch Manager",
           {0, 76, 120, 14},
           ui::kGroup},
          {kNvButton, ControlKind::kButton, "NV Manager", {0, 94, 120, 14}},
          {kExitButton, ControlKind::kButton, "Exit", {0, 112, 120, 14}, ui::kDefault},
      },
  };
  return t;
}

ui::Resources HandheldResources() { return ui::Resources(ui::StringTable(), "Pelliset"); }

}  // namespace pda
