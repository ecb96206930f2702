// Every deskutil dialog in every shipped language: no caption or text is cut in the terminal.

#include <gtest/gtest.h>

#include <string>

#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"
#include "desktop/vmsm_templates.h"
#include "firmware/dialogs/firmware_template.h"
#include "nvimage/dialogs/nv_manager_templates.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "ui/terminal/terminal_text_fit.h"

namespace {

using namespace desktop;

// Texts are looked up by hand-written ids: the check is about what the user reads.
std::vector<std::string> CutTexts(const ui::Resources& res) {
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
      {VmsmProTemplate(), {}},
      {NvProTemplate(), {}},
      {NvManagerTemplate(), {}},
      {NvAddrTemplate(), {}},
      {FirmwareTemplate(), {}},
  };
  std::vector<std::string> cut;
  for (const Case& c : cases) {
    for (const ui::CutText& t : ui::FindCutTexts(c.tmpl, res, c.texts)) {
      cut.push_back(std::to_string(t.template_id) + "/" + std::to_string(t.control_id) + " \"" +
                    t.text + "\" needs " + std::to_string(t.needed_cells) + ", has " +
                    std::to_string(t.cells));
    }
  }
  return cut;
}

TEST(DeskutilTextFit, NoTextIsCutInEnglishOrGerman) {
  EXPECT_EQ(CutTexts(DesktopResources(std::nullopt)), std::vector<std::string>{});
  auto german =
      LoadLanguagePack(0x0407, {{std::string(PELLISET_BINARY_DIR) + "/share/locale"},
                                {std::string(PELLISET_SOURCE_DIR) + "/src/desktop/lang"}});
  ASSERT_TRUE(german.has_value());
  EXPECT_EQ(CutTexts(DesktopResources(std::move(german))), std::vector<std::string>{});
}

}  // namespace
