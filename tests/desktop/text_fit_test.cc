// Every deskutil dialog in every shipped language: no caption or text is cut in the terminal.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "desktop/shipped_languages.h"
#include "desktop/vmsm_templates.h"
#include "firmware/dialogs/firmware_template.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "ui/terminal/terminal_render.h"
#include "ui/terminal/terminal_text_fit.h"

namespace {

using namespace desktop;

// Texts are looked up by hand-written ids: the check is about what the user reads.
std::string CutTexts(const ui::Resources& res) {
  struct Case {
    const ui::Template& tmpl;
    std::map<int, std::string> texts;  // what the dialog sets when it opens
  };
  const Case cases[] = {
      {MainDialogTemplate(), {{1003, res.String(102)}, {1077, res.String(104) + " :"}}},
      {AboutTemplate(), {}},
      {VmsmTemplate(), {}},
      {VmsmTab1Template(), {}},
      {VmsmTab2Template(), {}},
      {VmsmTab3Template(), {}},
      {MsrAdvanceTemplate(), {{1081, res.String(236)}}},
      {MsrAdvanceTemplate(), {{1081, res.String(237)}}},
      {settings::VmsmProTemplate(), {}},
      {nv::NvProTemplate(), {}},
      {nv::NvManagerTemplate(), {}},
      {*nv::NvManagerTemplate().small_screen, {}},
      {nv::NvAddrTemplate(), {}},
      {firmware::FirmwareTemplate(), {}},
  };
  std::set<std::string> cut;  // the sentinel dialog is checked twice
  for (const Case& c : cases) {
    for (const ui::CutText& t : ui::FindCutTexts(c.tmpl, res, c.texts)) {
      cut.insert(std::to_string(t.template_id) + "/" + std::to_string(t.control_id) + " \"" +
                 t.text + "\" needs " + std::to_string(t.needed_cells) + ", has " +
                 std::to_string(t.cells));
    }
  }
  // The page names side by side on the tab row, each in its brackets or blanks, a blank apart.
  int tab_row = -1;
  for (int id : {243, 244, 245}) tab_row += ui::TextCells(ui::StripMnemonic(res.String(id))) + 3;
  const int tab_width = ui::ToCells(res.LaidOut(VmsmTemplate()).Find(vmsm_ctl::kTab)->rect).w;
  if (tab_row > tab_width) {
    cut.insert("page names need " + std::to_string(tab_row) + ", have " +
               std::to_string(tab_width));
  }
  std::string lines;
  for (const std::string& line : cut) lines += "\n  " + line;
  return lines;
}

TEST(DeskutilTextFit, NoTextIsCutInAnyShippedLanguage) {
  // Written out raw, so that the cut texts read as the user would see them.
  std::string cut = CutTexts(DesktopResources(std::nullopt));
  EXPECT_TRUE(cut.empty()) << "English:" << cut;
  for (const auto& language : desktop_test::kShippedLanguages) {
    cut = CutTexts(desktop_test::ShippedResources(language.id));
    EXPECT_TRUE(cut.empty()) << language.code << ":" << cut;
  }
}

}  // namespace
