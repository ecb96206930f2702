#include "test_dialogs.h"

namespace ui_test {

using ui::ControlKind;

const ui::Template& EveryKindTemplate() {
  static const ui::Template t{
      500,
      "Every Kind",
      200,
      150,
      {
          {-1, ControlKind::kStatic, "Label :", {5, 5, 40, 8}},
          {10, ControlKind::kComboBox, "", {50, 5, 60, 80}, ui::kSorted},
          {11, ControlKind::kListBox, "", {5, 20, 60, 40}, ui::kMultiSelect},
          {12, ControlKind::kListView, "", {70, 20, 100, 40}},
          {13, ControlKind::kEdit, "30", {5, 65, 30, 12}, ui::kNumber, 3},
          {14, ControlKind::kEdit, "", {40, 65, 60, 12}},
          {20, ControlKind::kRadio, "A", {5, 80, 30, 10}, ui::kGroup},
          {21, ControlKind::kRadio, "B", {40, 80, 30, 10}},
          {22, ControlKind::kRadio, "C", {75, 80, 30, 10}},
          {23, ControlKind::kCheckBox, "Check", {110, 80, 40, 10}, ui::kGroup},
          {24, ControlKind::kSlider, "", {5, 95, 80, 12}},
          {25, ControlKind::kProgress, "", {90, 95, 80, 12}},
          {26, ControlKind::kIpAddress, "10.0.0.1", {5, 110, 60, 12}},
          {27, ControlKind::kPicture, "", {70, 110, 30, 30}},
          {28, ControlKind::kGroupBox, "Group", {110, 105, 80, 40}},
          {29, ControlKind::kButton, "Hidden", {150, 5, 40, 14}, ui::kHidden | ui::kDisabled},
          {1000, ControlKind::kButton, "Go", {150, 25, 40, 14}},
          {1, ControlKind::kButton, "OK", {150, 45, 40, 14}, ui::kDefault},
          {2, ControlKind::kButton, "Cancel", {150, 65, 40, 14}},
      }};
  return t;
}

}  // namespace ui_test
