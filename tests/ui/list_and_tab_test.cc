// List view multi-selection, list boxes, and tab pages addressed as TEMPLATE:ID.

#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/scripted_host.h"

namespace {

using ui::ControlKind;
using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

void FillImages(ProbeDialog& d) {
  auto& lv = d.GetListView(12);
  lv.SetExtendedStyle(ui::ListView::kGridLines | ui::ListView::kFullRowSelect);
  lv.InsertColumn(0, "No.", 42, ui::ColumnAlign::kCenter);
  lv.InsertColumn(1, "Name", 115, ui::ColumnAlign::kCenter);
  for (int i = 0; i < 4; ++i) {
    const int row = lv.InsertItem(i, std::to_string(i + 1));
    lv.SetItemText(row, 1, "img" + std::to_string(i + 1) + ".bmp");
  }
}

TEST(ListView, SelectThenExtendGivesAMultiSelectionWithOneNotificationPerRow) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<int> changed_rows;
  std::vector<int> final_rows;
  dlg.init = FillImages;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify code) {
    if (id == 12 && code == ui::Notify::kItemChanged) {
      changed_rows.push_back(d.GetListView(12).ChangedRow());
    }
    return false;
  };
  dlg.destroy = [&](ProbeDialog& d) { final_rows = d.GetListView(12).GetSelectedRows(); };
  host.Queue({"select 12 3", "select 12 0", "extend 12 2 3", "click 1"});
  dlg.DoModal(host);
  EXPECT_EQ(host.ErrorCount(), 0);
  EXPECT_EQ(changed_rows, (std::vector<int>{3, 0, 2, 3}));
  EXPECT_EQ(final_rows, (std::vector<int>{0, 2, 3}));  // select replaced row 3, extend added
}

TEST(ListView, SelectByTextMatchesTheFirstColumnAndRowsFollowDeletion) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = FillImages;
  std::vector<int> after_delete;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id != 1000) return false;
    auto& lv = d.GetListView(12);
    // Remove the selected rows from the last to the first, as the image manager does.
    const auto rows = lv.GetSelectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) lv.DeleteItem(*it);
    after_delete.clear();
    for (int r = 0; r < lv.GetItemCount(); ++r)
      after_delete.push_back(std::stoi(lv.GetItemText(r, 0)));
    return true;
  };
  host.Queue({"select 12 \"1\"", "extend 12 2", "click 1000", "click 1"});
  dlg.DoModal(host);
  EXPECT_EQ(host.ErrorCount(), 0);
  EXPECT_EQ(after_delete, (std::vector<int>{2, 4}));
}

TEST(ListView, SingleSelectionStyleRefusesExtend) {
  static const ui::Template t{600,
                              "Single",
                              100,
                              100,
                              {{12, ControlKind::kListView, "", {0, 0, 90, 60}, ui::kSingleSelect},
                               {1, ControlKind::kButton, "OK", {0, 70, 40, 14}}}};
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(t);
  dlg.init = [](ProbeDialog& d) {
    d.GetListView(12).InsertItem(0, "a");
    d.GetListView(12).InsertItem(1, "b");
    d.GetListView(12).SetSelected(0, true);
    d.GetListView(12).SetSelected(1, true);
    EXPECT_EQ(d.GetListView(12).GetSelectedRows(), (std::vector<int>{1}));
  };
  host.Queue({"extend 12 0", "click 1"});
  dlg.DoModal(host);
  ASSERT_EQ(host.ErrorCount(), 1);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kError)[0].text,
            "extend 12 0: control 12 is of kind listview; extend needs a list box or list view "
            "with multi-selection");
}

TEST(ListBox, ExtendOnAMultiSelectListBox) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<int> sel;
  dlg.init = [](ProbeDialog& d) {
    for (const char* s : {"10", "12", "14"}) d.GetListBox(11).AddString(s);
  };
  dlg.destroy = [&](ProbeDialog& d) { sel = d.GetListBox(11).GetSelItems(); };
  host.Queue({"select 11 \"12\"", "extend 11 2", "extend 11 7", "click 1"});
  dlg.DoModal(host);
  EXPECT_EQ(sel, (std::vector<int>{1, 2}));
  ASSERT_EQ(host.ErrorCount(), 1);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kError)[0].text, "extend 11 7: control 11 has no row 7");
}

// A frame with a tab control and two pages whose control ids repeat.
const ui::Template kFrame{133,
                          "Frame",
                          300,
                          200,
                          {{1022, ControlKind::kTab, "", {5, 5, 290, 170}},
                           {1, ControlKind::kButton, "Save", {200, 180, 40, 14}},
                           {2, ControlKind::kButton, "Cancel", {250, 180, 40, 14}}}};
const ui::Template kPage1{140,
                          "",
                          270,
                          140,
                          {{1003, ControlKind::kRadio, "Font A", {5, 5, 60, 10}, ui::kGroup},
                           {1004, ControlKind::kRadio, "Font B", {5, 20, 60, 10}},
                           {1014, ControlKind::kEdit, "", {5, 35, 40, 12}, ui::kNumber}}};
const ui::Template kPage2{141,
                          "",
                          270,
                          140,
                          {{1014, ControlKind::kEdit, "0", {5, 5, 40, 12}, ui::kNumber},
                           {1000, ControlKind::kButton, "Advance", {5, 25, 40, 14}}}};

class Frame : public ProbeDialog {
 public:
  Frame(ProbeDialog& p1, ProbeDialog& p2) : ProbeDialog(kFrame), p1_(p1), p2_(p2) {}
  bool OnInitDialog() override {
    auto& tab = GetTab(1022);
    tab.DeleteAllItems();
    tab.InsertItem(0, "Printer Setting 1");
    tab.InsertItem(1, "Printer Setting 2");
    CreatePage(p1_, 10, 25);
    CreatePage(p2_, 10, 25);
    p2_.ShowWindow(false);
    return true;
  }
  void OnCommand(int id, ui::Notify code) override {
    if (id == 1022 && code == ui::Notify::kSelChange) {
      const int sel = GetTab(1022).GetCurSel();
      p1_.ShowWindow(sel == 0);
      p2_.ShowWindow(sel == 1);
      return;
    }
    ProbeDialog::OnCommand(id, code);
  }

 private:
  ProbeDialog& p1_;
  ProbeDialog& p2_;
};

TEST(TabPages, PagesAreAddressedByTemplateAndHiddenPagesRefuseInput) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog page1(kPage1);
  ProbeDialog page2(kPage2);
  Frame frame(page1, page2);
  std::string page2_text;
  page2.destroy = [&](ProbeDialog& d) { page2_text = d.GetEdit(1014).GetText(); };
  host.Queue({
      "type 141:1014 \"5\"",  // page 2 hidden: refused
      "click 1004",           // only page 1 is shown: plain id finds it
      "select 1022 1",
      "type 141:1014 \"42\"",
      "type 1014 \"7\"",  // now page 2's edit, the only shown 1014
      "click 140:1003",   // page 1 hidden now
      "snapshot",
      "click 1",
  });
  EXPECT_EQ(frame.DoModal(host), ui::IDOK);
  std::vector<std::string> errors;
  for (const auto& e : host.EventsOf(ui::EventKind::kError)) errors.push_back(e.text);
  EXPECT_EQ(errors, (std::vector<std::string>{"type 141:1014 \"5\": control 1014 is hidden",
                                              "click 140:1003: control 1003 is hidden"}));
  EXPECT_EQ(page2_text, "7");
  EXPECT_EQ(page1.log, (std::vector<std::string>{"cmd 1004 clicked", "destroy"}));
  EXPECT_EQ(std::count(page2.log.begin(), page2.log.end(), "cmd 1014 change"), 3);
  // Pages are destroyed before their frame, and are closed again afterwards.
  EXPECT_EQ(frame.log.back(), "destroy");
  EXPECT_FALSE(page1.IsOpen());
  EXPECT_FALSE(page2.IsOpen());

  const auto snaps = host.EventsOf(ui::EventKind::kSnapshot);
  ASSERT_EQ(snaps.size(), 1u);
  const std::string& json = snaps[0].json;
  EXPECT_NE(json.find(R"({"template":133,"id":1022,"kind":"tab","text":"","enabled":true,)"
                      R"("visible":true,"items":["Printer Setting 1","Printer Setting 2"],)"
                      R"("selection":[1]})"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find(R"({"template":140,"id":1004,"kind":"radio","text":"Font B",)"
                      R"("enabled":true,"visible":false,"checked":true})"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find(R"({"template":141,"id":1014,"kind":"edit","text":"7","enabled":true,)"
                      R"("visible":true})"),
            std::string::npos)
      << json;
}

TEST(TabPages, AnIdOnSeveralShownPagesMustBeQualified) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog page1(kPage1);
  ProbeDialog page2(kPage2);
  ProbeDialog frame(kFrame);  // shows both pages at once
  frame.init = [&](ProbeDialog& d) {
    EXPECT_TRUE(d.CreatePage(page1, 10, 25));
    EXPECT_TRUE(d.CreatePage(page2, 10, 25));
    EXPECT_FALSE(d.CreatePage(page2, 10, 25));  // already open
  };
  host.Queue({"type 1014 \"1\"", "type 140:1014 \"2\"", "click 1"});
  frame.DoModal(host);
  const auto errors = host.EventsOf(ui::EventKind::kError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text,
            "type 1014 \"1\": control 1014 is on several pages; name it as TEMPLATE:ID");
  EXPECT_EQ(page1.log, (std::vector<std::string>{"cmd 1014 change", "destroy"}));
}

}  // namespace
