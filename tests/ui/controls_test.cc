// Templates becoming controls, typed access, and what user input does to each kind.

#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/scripted_host.h"

namespace {

using ui::ControlKind;
using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

TEST(Template, ControlsAreCreatedInTabOrderWithTheirStyles) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  std::vector<int> ids;
  dlg.init = [&](ProbeDialog& d) {
    for (const auto& c : d.Controls()) ids.push_back(c->id());
    EXPECT_EQ(d.GetWindowText(), "Every Kind");
    EXPECT_FALSE(d.GetButton(29).IsVisible());
    EXPECT_FALSE(d.GetButton(29).IsEnabled());
    EXPECT_EQ(d.GetEdit(13).GetText(), "30");
    EXPECT_EQ(d.GetEdit(13).GetLimitText(), 3);
    EXPECT_EQ(d.GetIpAddress(26).GetText(), "10.0.0.1");
    EXPECT_EQ(d.GetControl(1000).rect(), (ui::Rect{150, 25, 40, 14}));
    EXPECT_TRUE(d.AccessFaults().empty());
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(ids, (std::vector<int>{-1, 10, 11, 12, 13, 14, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29,
                                   1000, 1, 2}));
  EXPECT_TRUE(dlg.Controls().empty());  // controls live only while the dialog is open
}

TEST(Template, WrongKindOrMissingIdGivesAStandInAndIsRecorded) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    d.GetEdit(10).SetText("x");  // 10 is a drop-down list
    d.GetButton(4242).Enable(false);
    EXPECT_EQ(d.GetComboBox(10).GetText(), "");
    d.EndDialog(ui::IDOK);
  };
  dlg.DoModal(host);
  EXPECT_EQ(dlg.AccessFaults(), (std::vector<int>{10, 4242}));
}

TEST(Controls, RadioGroupsRunToTheNextGroupStart) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    EXPECT_EQ(d.RadioGroup(22).size(), 3u);
    EXPECT_EQ(d.GetRadioIndex(20), -1);
    d.SetRadioIndex(20, 2);
    EXPECT_TRUE(d.IsDlgButtonChecked(22));
    d.CheckRadioButton(21);
    EXPECT_EQ(d.GetRadioIndex(20), 1);
    EXPECT_FALSE(d.IsDlgButtonChecked(22));
    EXPECT_FALSE(d.IsDlgButtonChecked(23));  // the check box is not part of the group
  };
  host.Queue({"click 22", "click 23", "click 1"});
  dlg.DoModal(host);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"cmd 22 clicked", "cmd 23 clicked", "cmd 1 clicked",
                                               "destroy"}));
}

TEST(Controls, UserInputUpdatesControlsAndNotifiesOnce) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  struct Seen {
    int combo = -2;
    std::string combo_text;
    bool check = false;
    int radio = -2;
    int slider = -1;
    std::string ip;
  } seen;
  dlg.init = [](ProbeDialog& d) {
    auto& combo = d.GetComboBox(10);
    combo.AddString("Zulu");
    combo.AddString("alpha");
    combo.AddString("Mike");
    combo.SetCurSel(0);
    d.GetSlider(24).SetRange(0, 100);
  };
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 10) {
      seen.combo = d.GetComboBox(10).GetCurSel();
      seen.combo_text = d.GetComboBox(10).GetText();
    }
    if (id == 23) seen.check = d.GetCheckBox(23).GetCheck();
    if (id == 21) seen.radio = d.GetRadioIndex(20);
    if (id == 24) seen.slider = d.GetSlider(24).GetPos();
    if (id == 26) seen.ip = d.GetIpAddress(26).GetText();
    return false;
  };
  host.Queue({"select 10 \"Zulu\"", "click 23", "click 21", "slide 24 40",
              "type 26 \"192.168.1.20\"", "click 1"});
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(host.ErrorCount(), 0);
  EXPECT_EQ(seen.combo, 2);  // sorted without regard to case: alpha, Mike, Zulu
  EXPECT_EQ(seen.combo_text, "Zulu");
  EXPECT_TRUE(seen.check);
  EXPECT_EQ(seen.radio, 1);
  EXPECT_EQ(seen.slider, 40);
  EXPECT_EQ(seen.ip, "192.168.1.20");
  // One change per keystroke of the address.
  EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), "cmd 26 change"), 12);
}

TEST(Controls, CommandsThatCannotBeAppliedAreErrors) {
  struct Case {
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"click 4242", "click 4242: dialog 500 has no control 4242"},
      {"click 29", "click 29: control 29 is hidden"},
      {"click 13",
       "click 13: control 13 is of kind edit; click needs a button, check box or radio button"},
      {"select 10 5", "select 10 5: control 10 has no such row"},
      {"select 10 \"Nope\"", "select 10 \"Nope\": control 10 has no such row"},
      {"slide 24 101", "slide 24 101: position outside the slider's range 0 to 100"},
      {"type 25 \"1\"",
       "type 25 \"1\": control 25 is of kind progress; type needs an edit, an editable "
       "drop-down list or an IP address"},
      {"answer OK", "answer OK: no message box is up"},
      {"files \"/a.bmp\"", "files \"/a.bmp\": no file dialog is up"},
      {"sysmenu 16", "sysmenu 16: dialog 500 has no system-menu entry 16"},
      {"click 600:1", "click 600:1: dialog 500 has no page 600"},
  };
  for (const Case& c : cases) {
    platform::VirtualClock clock;
    ui::ScriptedHost host(clock);
    ProbeDialog dlg(EveryKindTemplate());
    dlg.init = [](ProbeDialog& d) { d.GetComboBox(10).AddString("One"); };
    host.Queue({c.line, "click 1"});
    EXPECT_EQ(dlg.DoModal(host), ui::IDOK) << c.line;
    const auto errors = host.EventsOf(ui::EventKind::kError);
    ASSERT_EQ(errors.size(), 1u) << c.line;
    EXPECT_EQ(errors[0].text, c.message);
  }
}

TEST(Controls, DisabledControlRefusesInput) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.EnableDlgItem(1000, false); };
  host.Queue({"click 1000", "click 1"});
  dlg.DoModal(host);
  ASSERT_EQ(host.ErrorCount(), 1);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kError)[0].text, "click 1000: control 1000 is disabled");
  EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), "cmd 1000 clicked"), 0);
}

TEST(Controls, ItemListsKeepSelectionsOnTheirRows) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    auto& lb = d.GetListBox(11);
    for (const char* s : {"a", "b", "c", "d"}) lb.AddString(s);
    lb.SetSel(1, true);
    lb.SetSel(3, true);
    lb.DeleteString(0);
    EXPECT_EQ(lb.GetSelItems(), (std::vector<int>{0, 2}));
    lb.InsertString(0, "z");
    EXPECT_EQ(lb.GetSelItems(), (std::vector<int>{1, 3}));
    EXPECT_EQ(lb.FindStringExact(-1, "D"), 3);
    EXPECT_EQ(lb.FindStringExact(3, "z"), 0);  // search wraps
    EXPECT_EQ(lb.DeleteString(9), -1);
    EXPECT_EQ(lb.GetItemText(9), "");
    auto& combo = d.GetComboBox(10);
    combo.AddString("x");
    combo.SetCurSel(0);
    EXPECT_EQ(combo.SetCurSel(5), -1);
    EXPECT_EQ(combo.GetCurSel(), -1);
    auto& progress = d.GetProgress(25);
    progress.SetRange(0, 100);
    progress.SetPos(119);
    EXPECT_EQ(progress.GetPos(), 100);
    d.EndDialog(ui::IDOK);
  };
  dlg.DoModal(host);
}

TEST(Controls, PictureFrameRefusesInconsistentImages) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    auto& pic = d.GetPicture(27);
    EXPECT_TRUE(pic.SetImage({2, 1, {255, 0, 0, 0, 0, 255}}));
    const std::string digest = pic.Digest();
    EXPECT_FALSE(pic.SetImage({2, 2, {1, 2, 3}}));
    EXPECT_FALSE(pic.SetImage({-1, 0, {}}));
    EXPECT_FALSE(pic.SetImage({ui::PictureFrame::kMaxSide + 1, 0, {}}));
    EXPECT_EQ(pic.GetImage().width, 2);
    EXPECT_EQ(pic.Digest(), digest);
    EXPECT_TRUE(pic.SetImage({2, 1, {255, 0, 0, 0, 0, 254}}));
    EXPECT_NE(pic.Digest(), digest);
    d.EndDialog(ui::IDOK);
  };
  dlg.DoModal(host);
}

TEST(Controls, IpAddressReadsWhatItCan) {
  const std::pair<const char*, const char*> cases[] = {
      {"192.168.1.20", "192.168.1.20"},
      {"300.1.2.3", "255.1.2.3"},
      {"1.2", "1.2.0.0"},
      {"a.b.c.d", "0.0.0.0"},
      {"", "0.0.0.0"},
      {"1.2.3.4.5", "1.2.3.4"},
  };
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [&](ProbeDialog& d) {
    for (const auto& [in, out] : cases) {
      d.GetIpAddress(26).SetText(in);
      EXPECT_EQ(d.GetIpAddress(26).GetText(), out) << in;
    }
    d.EndDialog(ui::IDOK);
  };
  dlg.DoModal(host);
}

TEST(Controls, SystemMenuEntryReachesOnSysCommand) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.AppendSystemMenu(ui::IDM_ABOUTBOX, "&About Pelliset"); };
  host.Queue({"sysmenu 16", "close"});
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"sys 16", "destroy"}));
  EXPECT_EQ(host.ErrorCount(), 0);
}

}  // namespace
