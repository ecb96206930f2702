// The automation host on string streams: a whole session, and the program's host choice.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/automation_host.h"
#include "ui/host_choice.h"

namespace {

using ui::ControlKind;
using ui_test::ProbeDialog;

const ui::Template kMain{102,
                         "Main",
                         200,
                         100,
                         {{1006, ControlKind::kComboBox, "", {5, 5, 80, 60}},
                          {1000, ControlKind::kButton, "Go", {5, 30, 40, 14}},
                          {1, ControlKind::kButton, "Exit", {50, 30, 40, 14}}}};
const ui::Template kProgress{136,
                             "Progress",
                             100,
                             40,
                             {{1020, ControlKind::kProgress, "", {5, 5, 90, 10}},
                              {2, ControlKind::kButton, "Cancel", {30, 20, 40, 14}}}};

struct Program {
  ProbeDialog main{kMain};
  ProbeDialog progress{kProgress};
  Program() {
    main.init = [](ProbeDialog& d) {
      d.GetComboBox(1006).AddString("Serial");
      d.GetComboBox(1006).AddString("TCP/IP");
      d.GetComboBox(1006).SetCurSel(0);
    };
    main.command = [this](ProbeDialog& d, int id, ui::Notify) {
      if (id != 1000) return false;
      if (progress.DoModal(*d.host()) == ui::IDOK) {
        d.MessageBox("Done!", "Pelliset", ui::MB_OK | ui::MB_ICONINFORMATION);
      }
      return true;
    };
    progress.init = [](ProbeDialog& d) { d.SetTimer(1, 100); };
    progress.timer = [](ProbeDialog& d, int id) {
      d.KillTimer(id);
      auto& bar = d.GetProgress(1020);
      bar.SetPos(bar.GetPos() + 50);
      if (bar.GetPos() >= 100) {
        d.EndDialog(ui::IDOK);
      } else {
        d.SetTimer(1, 100);
      }
    };
  }
};

TEST(Automation, SessionProducesExactlyTheExpectedEvents) {
  std::istringstream in(
      "# a script\n"
      "wait dialog 102\n"
      "select 1006 \"TCP/IP\"\n"
      "snapshot\n"
      "click 1000\n"
      "wait messagebox\n"
      "answer OK\n"
      "\n"
      "frobnicate\n"
      "click 4242");  // no line end on the last line
  std::ostringstream out;
  platform::VirtualClock clock(5000);
  ui::StreamLineSource source(in);
  ui::AutomationHost host(clock, source, out);
  Program program;
  const int result = program.main.DoModal(host);
  EXPECT_EQ(result, ui::IDCANCEL);  // end of input closed it
  EXPECT_EQ(host.ExitCode(0), 1);
  EXPECT_EQ(host.ExitCode(3), 3);
  EXPECT_EQ(
      out.str(),
      R"({"event":"dialog","template":102,"caption":"Main","t":0.000}
{"event":"snapshot","template":102,"caption":"Main","focus":1006,"controls":[)"
      R"({"template":102,"id":1006,"kind":"combo","text":"TCP/IP","enabled":true,)"
      R"("visible":true,"items":["Serial","TCP/IP"],"selection":[1]},)"
      R"({"template":102,"id":1000,"kind":"button","text":"Go","enabled":true,"visible":true},)"
      R"({"template":102,"id":1,"kind":"button","text":"Exit","enabled":true,"visible":true}],)"
      R"("t":0.000}
{"event":"dialog","template":136,"caption":"Progress","t":0.000}
{"event":"closed","template":136,"result":1,"t":0.200}
{"event":"dialog","template":102,"caption":"Main","t":0.200}
{"event":"messagebox","caption":"Pelliset","text":"Done!","buttons":["OK"],"t":0.200}
{"event":"dialog","template":102,"caption":"Main","t":0.200}
{"event":"error","message":"line 9: unknown command 'frobnicate'","t":0.200}
{"event":"error","message":"click 4242: dialog 102 has no control 4242","t":0.200}
{"event":"closed","template":102,"result":2,"t":0.200}
)");
}

TEST(Automation, EndOfInputClosesARunningChain) {
  std::istringstream in("click 1000\n");
  std::ostringstream out;
  platform::VirtualClock clock;
  ui::StreamLineSource source(in);
  ui::AutomationHost host(clock, source, out);
  Program program;
  EXPECT_EQ(program.main.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(host.ErrorCount(), 0);
  // Closed (title bar) before its first timer: no stage ran and no message box followed.
  EXPECT_EQ(program.progress.log, (std::vector<std::string>{"destroy"}));
  EXPECT_TRUE(out.str().find("messagebox") == std::string::npos) << out.str();
  EXPECT_EQ(host.ExitCode(0), 0);
}

TEST(Automation, WaitStillHoldingWhenTheProgramEndsFailsTheScript) {
  // The progress dialog ends itself by its timers; the dialog waited for never comes and the
  // commands after the wait are never applied, so the run must not count as a success.
  struct Case {
    const char* script;
    int errors;
  };
  const Case cases[] = {
      {"wait dialog 999 60\nclick 1\n", 1},
      {"wait messagebox 60\n", 1},
      {"wait dialog 136 60\n", 0},  // met at once; end of input then closes it
  };
  for (const Case& c : cases) {
    std::istringstream in(c.script);
    std::ostringstream out;
    platform::VirtualClock clock;
    ui::StreamLineSource source(in);
    ui::AutomationHost host(clock, source, out);
    Program program;
    program.progress.DoModal(host);
    host.FinishScript();
    EXPECT_EQ(host.ErrorCount(), c.errors) << c.script << out.str();
    EXPECT_EQ(host.ExitCode(0), c.errors == 0 ? 0 : 1) << c.script;
    if (c.errors > 0) {
      EXPECT_NE(out.str().find("the program ended while waiting"), std::string::npos);
    }
  }
}

TEST(Automation, OverlongLineIsAnErrorAndSkipped) {
  std::string script(ui::kMaxCommandLine + 10, 'x');
  script += "\nclick 1\n";
  std::istringstream in(script);
  std::ostringstream out;
  platform::VirtualClock clock;
  ui::StreamLineSource source(in);
  ui::AutomationHost host(clock, source, out);
  Program program;
  EXPECT_EQ(program.main.DoModal(host), ui::IDOK);
  EXPECT_EQ(host.ErrorCount(), 1);
  EXPECT_NE(out.str().find("line 1: longer than 65536 characters; skipped"), std::string::npos);
}

TEST(Automation, FdLineSourceReadsLinesAndTimesOut) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ui::FdLineSource source(fds[0]);
  std::string line;
  EXPECT_EQ(source.ReadLine(&line, 0), ui::LineSource::Status::kTimeout);
  const std::string data = "click 1\r\nsnapshot";
  ASSERT_EQ(write(fds[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
  EXPECT_EQ(source.ReadLine(&line, 0), ui::LineSource::Status::kLine);
  EXPECT_EQ(line, "click 1\r");  // the parser drops the CR
  EXPECT_EQ(source.ReadLine(&line, 0), ui::LineSource::Status::kTimeout);  // no line end yet
  close(fds[1]);
  EXPECT_EQ(source.ReadLine(&line, 0), ui::LineSource::Status::kLine);
  EXPECT_EQ(line, "snapshot");
  EXPECT_EQ(source.ReadLine(&line, 0), ui::LineSource::Status::kEnd);
  close(fds[0]);
}

TEST(HostChoice, ByTheStandardStreamsTheDisplayAndTheUsersChoice) {
  struct Case {
    ui::InputKind in;
    bool out_tty;
    ui::HostChoice choice;
  };
  const Case cases[] = {
      {ui::InputKind::kPipeOrFile, false, ui::HostChoice::kAutomation},
      {ui::InputKind::kPipeOrFile, true, ui::HostChoice::kAutomation},
      {ui::InputKind::kTerminal, true, ui::HostChoice::kTerminal},
      {ui::InputKind::kTerminal, false, ui::HostChoice::kNoTerminal},
      {ui::InputKind::kOther, true, ui::HostChoice::kNone},
      {ui::InputKind::kOther, false, ui::HostChoice::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ui::ChooseHost(c.in, c.out_tty), c.choice);
  }
  // With a display and the window host built: windows when started from a desktop (input is
  // neither a terminal nor commands), and --gui / --terminal force a host where one can run.
  using P = ui::HostPreference;
  using H = ui::HostChoice;
  const ui::InputKind other = ui::InputKind::kOther;
  const ui::InputKind pipe = ui::InputKind::kPipeOrFile;
  const ui::InputKind tty = ui::InputKind::kTerminal;
  EXPECT_EQ(ui::ChooseHost(other, false, true, true), H::kWindow);
  EXPECT_EQ(ui::ChooseHost(pipe, false, true, true), H::kAutomation);
  EXPECT_EQ(ui::ChooseHost(tty, true, true, true), H::kTerminal);
  EXPECT_EQ(ui::ChooseHost(tty, false, true, true), H::kNoTerminal);   // `deskutil | less`
  EXPECT_EQ(ui::ChooseHost(other, false, true, false), H::kNoWindow);  // module not installed
  EXPECT_EQ(ui::ChooseHost(other, false, false, true), H::kNone);
  EXPECT_EQ(ui::ChooseHost(tty, true, true, true, P::kWindow), H::kWindow);
  EXPECT_EQ(ui::ChooseHost(tty, true, false, true, P::kWindow), H::kNoWindow);
  EXPECT_EQ(ui::ChooseHost(pipe, false, true, false, P::kWindow), H::kNoWindow);
  EXPECT_EQ(ui::ChooseHost(pipe, false, true, true, P::kTerminal), H::kNoTerminal);
  EXPECT_EQ(ui::ChooseHost(tty, true, true, true, P::kTerminal), H::kTerminal);
  EXPECT_NE(ui::HostChoiceMessage(H::kNoWindow, "deskutil").find("deskutil"), std::string::npos);
  EXPECT_EQ(ui::HostChoiceMessage(ui::HostChoice::kAutomation, "deskutil"), "");
  EXPECT_EQ(ui::HostChoiceMessage(ui::HostChoice::kTerminal, "deskutil"), "");
  EXPECT_NE(ui::HostChoiceMessage(ui::HostChoice::kNone, "pdautil").find("pdautil < script.txt"),
            std::string::npos);
  EXPECT_EQ(ui::HostChoiceMessage(H::kNoTerminal, "deskutil"),
            "deskutil: the dialogs are drawn in the terminal only when standard input and standard "
            "output are both a terminal; do not redirect them. A script of commands is read from "
            "standard input without --terminal (for example: deskutil < script.txt).");
}

}  // namespace
