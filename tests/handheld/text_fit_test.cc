// Every pdautil dialog (English, its only language): no caption or text is cut in the terminal.

#include <gtest/gtest.h>

#include <string>

#include "handheld/pda_templates.h"
#include "handheld/wizard_templates.h"
#include "nvimage/dialogs/pda_nv_templates.h"
#include "ui/terminal/terminal_text_fit.h"

namespace {

TEST(PdautilTextFit, NoTextIsCut) {
  struct Case {
    const ui::Template& tmpl;
    std::map<int, std::string> texts;  // what the dialog sets when it opens
  };
  const Case cases[] = {
      {pda::MainDialogTemplate(), {{1069, "Port :"}, {1066, "Baudrate :"}}},
      {pda::MainDialogTemplate(), {{1069, "IP :"}, {1066, "Port :"}}},
      {wizard::Step1Template(), {}},
      {wizard::Step2Template(), {}},
      {wizard::Step3Template(), {}},
      {wizard::Step4Template(), {}},
      {wizard::Step5Template(), {}},
      {wizard::SentinelTemplate(), {{1062, "ASCII"}}},
      {wizard::SentinelTemplate(), {{1062, "HEXA"}}},
      {wizard::ProgressTemplate(), {}},
      {PdaNvProTemplate(), {}},
      {PdaNvTemplate(), {}},
      {PdaNvAddrTemplate(), {}},
  };
  const ui::Resources res = pda::HandheldResources();
  std::vector<std::string> cut;
  for (const Case& c : cases) {
    for (const ui::CutText& t : ui::FindCutTexts(c.tmpl, res, c.texts)) {
      cut.push_back(std::to_string(t.template_id) + "/" + std::to_string(t.control_id) + " \"" +
                    t.text + "\" needs " + std::to_string(t.needed_cells) + ", has " +
                    std::to_string(t.cells));
    }
  }
  // Texts of the handheld's Parts that are longer than its 30-cell client area is wide, cut by
  // a cell or a few whatever the layout; anything else cut is a fault.
  EXPECT_EQ(cut, (std::vector<std::string>{
                     "102/1001 \"Virtual Memory Switch Manager\" needs 31, has 30",
                     "102/1001 \"Virtual Memory Switch Manager\" needs 31, has 30",
                     "144/1202 \"Beep mode for low battery status\" needs 36, has 30",
                     "138/1201 \"Serial Interface configuration\" needs 34, has 30",
                     "139/1055 \"Enable to change BT Setting\" needs 31, has 30",
                     "139/1201 \"Authentication && Encryption\" needs 31, has 30",
                 }));
}

}  // namespace
