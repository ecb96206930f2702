// Timers in virtual time and modal nesting under the scripted host.

#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/scripted_host.h"

namespace {

using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

TEST(Timers, OneShotChainFiresInOrderAtItsTimes) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.SetTimer(1000, 100); };
  dlg.timer = [](ProbeDialog& d, int id) {
    d.KillTimer(id);
    if (id == 1000) {
      d.clock().Sleep(50);  // a stage's blocking work moves time on
      d.SetTimer(101, 100);
    } else if (id == 101) {
      d.SetTimer(9999, 100);
    } else {
      d.EndDialog(ui::IDOK);
    }
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"timer 1000 @100", "timer 101 @250",
                                               "timer 9999 @350", "destroy"}));
  EXPECT_EQ(host.EventLines(),
            (std::vector<std::string>{
                R"({"event":"dialog","template":500,"caption":"Every Kind","t":0.000})",
                R"({"event":"closed","template":500,"result":1,"t":0.350})"}));
  EXPECT_EQ(host.TimerCount(), 0u);
}

TEST(Timers, KillTimerStopsATimerAndTiesFireInArmingOrder) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    d.SetTimer(1, 100);
    d.SetTimer(7, 50);
    d.SetTimer(8, 50);
  };
  dlg.timer = [](ProbeDialog& d, int id) {
    d.KillTimer(id);
    if (id == 8) {
      d.KillTimer(1);
      d.SetOneShotTimer(3, 200);
    }
    if (id == 3) d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(dlg.log,
            (std::vector<std::string>{"timer 7 @50", "timer 8 @50", "timer 3 @250", "destroy"}));
}

TEST(Timers, RepeatingTimerRepeatsUntilKilledAndOneShotFiresOnce) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  int repeats = 0;
  dlg.init = [](ProbeDialog& d) {
    d.SetTimer(5, 40);
    d.SetOneShotTimer(6, 60);
  };
  dlg.timer = [&](ProbeDialog& d, int id) {
    if (id == 5 && ++repeats == 4) {
      d.KillTimer(5);
      d.EndDialog(ui::IDOK);
    }
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"timer 5 @40", "timer 6 @60", "timer 5 @80",
                                               "timer 5 @120", "timer 5 @160", "destroy"}));
}

TEST(Timers, TimersStopWithTheirDialogAndTimersOfEndedDialogsDoNotFire) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    d.SetTimer(1, 100);
    d.SetTimer(2, 100);
  };
  dlg.timer = [](ProbeDialog& d, int) { d.EndDialog(ui::IDOK); };  // timer 2 must not follow
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"timer 1 @100", "destroy"}));
  EXPECT_EQ(host.TimerCount(), 0u);
  dlg.SetTimer(9, 10);  // not open: ignored
  EXPECT_EQ(host.TimerCount(), 0u);
}

TEST(Modal, MessageBoxFromATimerHandlerKeepsOtherTimersRunningWithoutReentry) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  int ticks_during_box = 0;
  int answer = 0;
  int box_handler_entries = 0;
  dlg.init = [](ProbeDialog& d) {
    d.SetTimer(1, 100);  // repeating, and its handler does not kill it before the box
    d.SetTimer(2, 30);
  };
  dlg.timer = [&](ProbeDialog& d, int id) {
    if (id == 2 && host.MessageBoxActive() && ++ticks_during_box == 3) host.Queue("answer Yes");
    if (id == 1) {
      ++box_handler_entries;
      answer = d.MessageBox("Hello", "Cap", ui::MB_YESNO | ui::MB_ICONQUESTION);
      d.KillTimer(1);
      d.KillTimer(2);
      d.EndDialog(ui::IDOK);
    }
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(answer, ui::IDYES);
  EXPECT_EQ(box_handler_entries, 1);
  EXPECT_EQ(ticks_during_box, 3);
  EXPECT_EQ(
      host.EventLines(),
      (std::vector<std::string>{
          R"({"event":"dialog","template":500,"caption":"Every Kind","t":0.000})",
          R"({"event":"messagebox","caption":"Cap","text":"Hello","buttons":["Yes","No"],"t":0.100})",
          R"({"event":"dialog","template":500,"caption":"Every Kind","t":0.180})",
          R"({"event":"closed","template":500,"result":1,"t":0.180})"}));
  const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].flags, ui::MB_YESNO | ui::MB_ICONQUESTION);
}

TEST(Modal, DialogRunFromAButtonHandlerGoesOnTopAndTheParentBecomesActiveAgain) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  static const ui::Template progress_tmpl{
      136,
      "Progress",
      100,
      40,
      {{1020, ui::ControlKind::kProgress, "", {5, 5, 90, 10}},
       {2, ui::ControlKind::kButton, "Cancel", {30, 20, 40, 14}}}};
  ProbeDialog main(EveryKindTemplate());
  ProbeDialog progress(progress_tmpl);
  int child_result = 0;
  progress.init = [](ProbeDialog& d) { d.SetTimer(1, 100); };
  progress.timer = [](ProbeDialog& d, int id) {
    d.KillTimer(id);
    d.GetProgress(1020).SetPos(d.GetProgress(1020).GetPos() + 50);
    if (d.GetProgress(1020).GetPos() >= 100) {
      d.EndDialog(ui::IDOK);
    } else {
      d.SetTimer(1, 100);
    }
  };
  main.command = [&](ProbeDialog&, int id, ui::Notify) {
    if (id != 1000) return false;
    child_result = progress.DoModal(host);
    return true;
  };
  host.Queue({"click 1000", "wait dialog 500", "click 1"});
  EXPECT_EQ(main.DoModal(host), ui::IDOK);
  EXPECT_EQ(child_result, ui::IDOK);
  EXPECT_EQ(host.ErrorCount(), 0);
  EXPECT_EQ(host.EventLines(),
            (std::vector<std::string>{
                R"({"event":"dialog","template":500,"caption":"Every Kind","t":0.000})",
                R"({"event":"dialog","template":136,"caption":"Progress","t":0.000})",
                R"({"event":"closed","template":136,"result":1,"t":0.200})",
                R"({"event":"dialog","template":500,"caption":"Every Kind","t":0.200})",
                R"({"event":"closed","template":500,"result":1,"t":0.200})"}));
}

TEST(Modal, CancelBeforeTheFirstTimerStopsTheChain) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.SetTimer(1, 100); };
  host.Queue("click 2");
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"cmd 2 clicked", "destroy"}));
}

TEST(Modal, InputWaitingAfterABlockingHandlerBeatsTheTimerThatFellDueMeanwhile) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.SetTimer(1, 100); };
  dlg.timer = [&](ProbeDialog& d, int id) {
    d.KillTimer(id);
    d.SetTimer(id + 1, 100);
    if (id == 1) {
      d.clock().Sleep(500);   // a blocking exchange; the next stage falls due at 200
      host.Queue("click 2");  // the user pressed Cancel meanwhile
    }
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"timer 1 @100", "cmd 2 clicked", "destroy"}));
  EXPECT_EQ(host.ErrorCount(), 0);
}

TEST(Modal, EndOfInputClosesDialogsAndForcesThoseThatRefuse) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  // Plain dialog: title-bar close means Cancel.
  ProbeDialog plain(EveryKindTemplate());
  EXPECT_EQ(plain.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(host.ErrorCount(), 0);

  // A dialog that asks before closing and is answered No at the end of input: it cannot stay
  // open forever, so it is ended with Cancel and the script is told.
  class Stubborn : public ProbeDialog {
   public:
    using ProbeDialog::ProbeDialog;
    int asked = 0;
    void OnClose() override {
      ++asked;
      if (MessageBox("Quit?", "Q", ui::MB_YESNO) == ui::IDYES) EndDialog(ui::IDCANCEL);
    }
  } stubborn(EveryKindTemplate());
  EXPECT_EQ(stubborn.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(stubborn.asked, 1);
  EXPECT_EQ(host.ErrorCount(), 1);
}

TEST(Modal, PerpetualPollingTimerDoesNotHangTheScriptedHost) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  host.SetIdleLimitMs(2000);
  ProbeDialog dlg(EveryKindTemplate());
  int polls = 0;
  dlg.init = [](ProbeDialog& d) { d.SetTimer(100, 200); };
  dlg.timer = [&](ProbeDialog& d, int id) {
    d.KillTimer(id);
    ++polls;
    d.SetTimer(100, 200);
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(polls, 10);  // 200..2000; the poll at 2200 would pass the idle limit
}

TEST(Modal, WaitThatTimesOutIsAnErrorAndTheScriptGoesOn) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  host.Queue({"wait dialog 999 1.5", "click 1"});
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  ASSERT_EQ(host.ErrorCount(), 1);
  const auto errors = host.EventsOf(ui::EventKind::kError);
  EXPECT_EQ(errors[0].text, "timed out: wait dialog 999 1.5");
  EXPECT_EQ(errors[0].ms, 1500u);
}

TEST(Modal, WaitForADialogOrAMessageBoxEndsOnTheMessageBox) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  int answer = 0;
  dlg.init = [](ProbeDialog& d) { d.SetTimer(1, 200); };
  dlg.timer = [&](ProbeDialog& d, int) {
    d.KillTimer(1);
    answer = d.MessageBox("Port open error!");
  };
  host.Queue({"wait dialog 999 or messagebox 5", "answer OK", "click 1"});
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(host.ErrorCount(), 0);
  EXPECT_EQ(answer, ui::IDOK);
  EXPECT_LT(clock.TickCount(), 1000u);  // no time-out was waited out
}

TEST(Modal, RunningAnOpenDialogAgainIsRefused) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  int nested = 0;
  dlg.init = [&](ProbeDialog& d) {
    nested = d.DoModal(host);
    d.EndDialog(ui::IDOK);
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(nested, -1);
}

}  // namespace
