#include "nvimage/dialogs/nv_manager_templates.h"

#include "ui/core/constants.h"

namespace nv {
namespace {

using namespace nv_ctl;

using enum ui::ControlKind;

// Labels and frames carry ids of their own (1201 up) only so that a pack can translate them.

// The manager on a terminal of 80 x 24: the same controls in the same tab order, packed into
// 78 x 21 cells so that nothing scrolls sideways and the preview stays whole.
const ui::Template& NvManagerSmallTemplate() {
  static const ui::Template t{
      kNvManagerTemplateId,
      "NV Image Manager",
      312,
      168,
      {
          {kPreview, kPicture, "", {4, 0, 100, 88}},
          {kImageList, kListView, "", {112, 0, 196, 56}},
          {kAddImage, kButton, "Add Image", {112, 56, 52, 8}},
          {kRemoveImage, kButton, "Remove", {168, 56, 40, 8}},
          {kReset, kButton, "Reset", {212, 56, 36, 8}},
          {kDownload, kButton, "Download", {252, 56, 48, 8}},
          {kAutoAddressing, kCheckBox, "Auto Addressing", {112, 64, 80, 8}},
          {1201, kGroupBox, "Change Color Range", {4, 96, 100, 32}},
          {1202, kStatic, "Brightness ", {8, 104, 44, 8}},
          {kBrightness, kSlider, "", {52, 104, 48, 8}},
          {1203, kStatic, "0", {52, 112, 4, 8}},
          {1204, kStatic, "100", {88, 112, 12, 8}},
          {kStatus, kStatic, "", {4, 160, 240, 8}},
          {1205, kGroupBox, "NV Image List", {112, 80, 196, 72}},
          {kKeyList, kListBox, "", {120, 88, 100, 56}},
          {kRefresh, kButton, "Refresh", {228, 88, 72, 8}},
          {kPrintAll, kButton, "Print All", {228, 96, 72, 8}},
          {kPrint, kButton, "Print", {228, 104, 72, 8}},
          {kRemoveKey, kButton, "Remove", {228, 112, 72, 8}},
          {kRemoveAll, kButton, "Remove All", {228, 120, 72, 8}},
          {kExit, kButton, "Exit", {260, 160, 48, 8}},
      },
  };
  return t;
}

}  // namespace

const ui::Template& NvManagerTemplate() {
  static const ui::Template t{
      kNvManagerTemplateId,
      "NV Image Manager",
      440,
      280,
      {
          {kPreview, kPicture, "", {7, 7, 180, 120}},
          {kImageList, kListView, "", {194, 7, 239, 98}},
          {kAddImage, kButton, "Add Image", {194, 110, 56, 14}},
          {kRemoveImage, kButton, "Remove", {255, 110, 56, 14}},
          {kReset, kButton, "Reset", {316, 110, 56, 14}},
          {kDownload, kButton, "Download", {377, 110, 56, 14}},
          {kAutoAddressing, kCheckBox, "Auto Addressing", {194, 130, 90, 10}},
          {1201, kGroupBox, "Change Color Range", {7, 134, 180, 44}},
          {1202, kStatic, "Brightness ", {14, 148, 44, 10}},
          {kBrightness, kSlider, "", {60, 146, 116, 14}},
          {1203, kStatic, "0", {60, 164, 12, 8}},
          {1204, kStatic, "100", {160, 164, 16, 8}},
          {kStatus, kStatic, "", {7, 186, 180, 10}},
          {1205, kGroupBox, "NV Image List", {194, 146, 239, 106}},
          {kKeyList, kListBox, "", {201, 158, 120, 88}},
          {kRefresh, kButton, "Refresh", {330, 158, 96, 14}},
          {kPrintAll, kButton, "Print All", {330, 176, 96, 14}},
          {kPrint, kButton, "Print", {330, 194, 96, 14}},
          {kRemoveKey, kButton, "Remove", {330, 212, 96, 14}},
          {kRemoveAll, kButton, "Remove All", {330, 230, 96, 14}},
          {kExit, kButton, "Exit", {373, 260, 60, 14}},
      },
      &NvManagerSmallTemplate(),
  };
  return t;
}

const ui::Template& NvAddrTemplate() {
  static const ui::Template t{
      kNvAddrTemplateId,
      "NV Image Manager",
      160,
      56,
      {
          {1201, kStatic, "Address Code : ", {7, 10, 64, 10}},
          {kAddressCode, kEdit, "00", {74, 8, 40, 12}, ui::kNoStyle, 2},
          {ui::IDOK, kButton, "OK", {20, 34, 56, 14}, ui::kDefault},
          {ui::IDCANCEL, kButton, "Cancel", {84, 34, 56, 14}},
      },
  };
  return t;
}
}  // namespace nv
