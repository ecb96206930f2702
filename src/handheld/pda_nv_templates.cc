#include "handheld/pda_nv_templates.h"

#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "ui/core/constants.h"

namespace pda {
namespace {

using namespace nv::nv_ctl;

using enum ui::ControlKind;

// One line of text or one button is one terminal row (8 units); rows start on the grid so that
// nothing straddles two.
constexpr int Row(int n) { return n * 8; }

}  // namespace

const ui::Template& PdaNvProTemplate() {
  // No title of its own: the job names itself when it starts.
  static const ui::Template t{
      kPdaNvProTemplateId,
      "",
      120,
      Row(4),
      {
          {nv::kNvProGroupId, kStatic, "Processing...", {4, Row(1), 112, 8}},
          {nv::kNvProProgressId, kProgress, "", {4, Row(2), 112, 8}},
      },
  };
  return t;
}

const ui::Template& PdaNvTemplate() {
  // Labels carry ids of their own (1201 up) only so that a pack can translate them.
  static const ui::Template t{
      kPdaNvTemplateId,
      "NV Image Manager",
      120,
      Row(16),
      {
          {1201, kStatic, "Image File List", {0, Row(0), 120, 8}},
          {kImageList, kListBox, "", {0, Row(1), 120, Row(5)}},
          {kAddImage, kButton, "Add Image", {0, Row(6), 44, 8}},
          {kRemoveImage, kButton, "Remove", {48, Row(6), 32, 8}},
          {kReset, kButton, "Reset", {84, Row(6), 32, 8}},
          {kAutoAddressing, kCheckBox, "Auto addressing", {0, Row(7), 76, 8}},
          {kDownload, kButton, "Download", {80, Row(7), 40, 8}},
          {1202, kStatic, "Address", {0, Row(8), 60, 8}},
          {kKeyList, kListBox, "", {0, Row(9), 60, Row(5)}, ui::kSorted},
          {kRefresh, kButton, "Refresh", {68, Row(9), 52, 8}},
          {kPrintAll, kButton, "Print All", {68, Row(10), 52, 8}},
          {kPrint, kButton, "Print", {68, Row(11), 52, 8}},
          {kRemoveKey, kButton, "Remove", {68, Row(12), 52, 8}},
          {kRemoveAll, kButton, "Remove All", {68, Row(13), 52, 8}},
          {kExit, kButton, "Exit", {80, Row(15), 40, 8}},
      },
  };
  return t;
}

const ui::Template& PdaNvAddrTemplate() {
  static const ui::Template t{
      kPdaNvAddrTemplateId,
      "NV Address",
      100,
      Row(4),
      {
          {1201, kStatic, "Address Code :", {4, Row(1), 56, 8}},
          {kAddressCode, kEdit, "00", {64, Row(1), 16, 8}, ui::kNoStyle, 2},
          {ui::IDOK, kButton, "OK", {8, Row(3), 40, 8}, ui::kDefault},
          {ui::IDCANCEL, kButton, "Cancel", {56, Row(3), 40, 8}},
      },
  };
  return t;
}
}  // namespace pda
