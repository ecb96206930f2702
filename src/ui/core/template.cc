#include "ui/core/template.h"

namespace ui {

std::string_view KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStatic:
      return "static";
    case ControlKind::kGroupBox:
      return "group";
    case ControlKind::kButton:
      return "button";
    case ControlKind::kCheckBox:
      return "check";
    case ControlKind::kRadio:
      return "radio";
    case ControlKind::kEdit:
      return "edit";
    case ControlKind::kComboBox:
      return "combo";
    case ControlKind::kListBox:
      return "list";
    case ControlKind::kListView:
      return "listview";
    case ControlKind::kSlider:
      return "slider";
    case ControlKind::kProgress:
      return "progress";
    case ControlKind::kTab:
      return "tab";
    case ControlKind::kIpAddress:
      return "ipaddress";
    case ControlKind::kPicture:
      return "picture";
  }
  return "unknown";
}

const ControlTemplate* Template::Find(int control_id) const {
  for (const ControlTemplate& c : controls) {
    if (c.id == control_id) return &c;
  }
  return nullptr;
}

}  // namespace ui
