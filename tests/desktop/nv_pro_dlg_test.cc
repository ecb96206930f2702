// The NV job runner: the job engine driven step by step as the command line drives it, and the
// progress dialog driving it with timers under the scripted host, against scripted printers.

#include "nvimage/dialogs/nv_pro_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/nv_test_peer.h"
#include "fakes/test_services.h"
#include "nvimage/common_nv.h"
#include "nvimage/dialogs/nv_pro_template.h"
#include "nvimage/nv_job.h"
#include "protocol/common_util.h"
#include "session/nv_job_texts.h"
#include "ui/automation/scripted_host.h"

namespace {

using fakes::Bytes;
using fakes::Hex;
using fakes::TextZ;

const Bytes kMakerQuery = Hex("1D 49 42");
const Bytes kListQuery = Hex("1D 28 4C 04 00 30 40 4B 43");
const char kWriteFailed[] = " Failed to write data!\r\nPlease check your printer.";
const std::string kBrokenLink =
    "\n10.0.0.5:49664: input/output error; check the cable and the printer";

// A printer on a TCP link (its open writes nothing) and the NV engine over it.
struct Rig {
  Rig() {
    util.SetLinkSettings(
        {.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET10.0.0.5", .tcp_port = 49664});
  }
  // A later job of the same manager run: the link is up and the printer was identified.
  void OpenAndIdentified() {
    ASSERT_TRUE(util.OpenLink());
    nv.MarkIdentified();
  }
  void AddItem(const std::string& name, size_t length, uint8_t fill) {
    std::vector<nv::NvDownloadItem> items = nv.download_list();
    nv::NvDownloadItem& item = items.emplace_back();
    item.name = name;
    item.data = Bytes(length, fill);
    nv.SetDownloadList(std::move(items));
  }

  fakes::TestServices t;
  protocol::CCommonUtil util{t.services};
  nv::CCommonNv nv{&util, t.clock};
  fakes::Conversation& talk = t.conversation;
};

class RecordingSink : public jobs::JobProgress {
 public:
  void Show(int, const std::string&) override {}
  void Caption(int, const std::string& text) override { captions.push_back(text); }
  std::vector<std::string> captions;
};

// ------------------------------------------------------------------ the engine

TEST(NvJob, DownloadSharesSeventyStepsByItemSizeAndFillsTheBar) {
  Rig r;
  r.AddItem("a.bmp", 3000, 0xAA);
  r.AddItem("b.bmp", 1000, 0xBB);
  r.talk.Expect(kMakerQuery).Reply(TextZ("_KORVANE"), 20);
  r.talk.Expect(Bytes(3000, 0xAA)).Expect(Bytes(1000, 0xBB));
  RecordingSink sink;
  nv::NvJob job(r.nv, sink, nv::NvJobCode::kDownload, "", session::DesktopNvJobTexts());

  // Driven as a program without windows drives it: sleep, then run the next event.
  std::vector<std::string> steps;
  std::vector<uint64_t> step_ms;
  int next = 0;
  uint32_t delay_ms = 0;
  const auto arm = [&](int id, uint32_t ms) { next = id, delay_ms = ms; };
  job.runner().Start(arm);
  jobs::JobState state = jobs::JobState::kRunning;
  while (state == jobs::JobState::kRunning) {
    r.t.clock.Sleep(delay_ms);
    const uint64_t started = r.t.clock.NowMs();
    const int id = next;
    state = job.runner().RunEvent(id, arm);
    step_ms.push_back(r.t.clock.NowMs() - started);
    steps.push_back(std::to_string(id) + ": " + std::to_string(job.runner().position()) +
                    (state == jobs::JobState::kRunning
                         ? " -> " + std::to_string(next) + " in " + std::to_string(delay_ms)
                         : " end"));
  }
  EXPECT_EQ(state, jobs::JobState::kDone);
  // Open 5, maker 5 + 5, the job 5, items 52 and 17, the end of the download 5, the rest to 100.
  EXPECT_EQ(steps, (std::vector<std::string>{"1: 15 -> 1003 in 100", "1003: 20 -> 2000 in 100",
                                             "2000: 72 -> 2000 in 1000", "2000: 89 -> 2000 in 1000",
                                             "2000: 94 -> 9999 in 100", "9999: 100 end"}));
  // 5 steps of 2 ms; the link's 10 ms pause before a write and 52 or 17 steps of 2 ms; 5 steps
  // of 500 ms; 95..100.
  EXPECT_EQ(std::vector<uint64_t>(step_ms.begin() + 1, step_ms.end()),
            (std::vector<uint64_t>{10, 114, 44, 2500, 12}));
  EXPECT_EQ(sink.captions, (std::vector<std::string>{"a.bmp Downloading...", "b.bmp Downloading...",
                                                     "Finish download..."}));
  // The item delay between the two items (after 52 steps of 2 ms and the link's 10 ms pause).
  EXPECT_EQ(r.talk.WriteTimes()[2] - r.talk.WriteTimes()[1], 1114u);
  EXPECT_EQ(r.nv.identified(), 1);
  EXPECT_TRUE(r.talk.AllWritten());
}

TEST(NvJob, FailuresEndWithCancelAndTheirOwnText) {
  struct Row {
    const char* name;
    nv::NvJobCode job;
    std::function<void(Rig&)> setup;
    std::string message;
  };
  const Row rows[] = {
      {"port will not open", nv::NvJobCode::kReadKeyCodes,
       [](Rig& r) {
         r.t.devices.record.connect_ok = false;
         r.t.devices.record.open_failure_cause = platform::FailureCause::kBadAddress;
       },
       "Port open error!\n10.0.0.5:49664: not an IPv4 address; type four numbers, e.g. "
       "192.0.2.10"},
      {"another maker", nv::NvJobCode::kReadKeyCodes,
       [](Rig& r) { r.talk.Expect(kMakerQuery).Reply(TextZ("_KORVANF\x1b[2J"), 20); },
       "Printer model is not matched!\nThe printer says its maker is KORVANF[2J."},
      {"key code list garbled", nv::NvJobCode::kReadKeyCodes,
       [](Rig& r) {
         r.OpenAndIdentified();
         r.talk.Expect(kListQuery).Reply(Hex("41 42 43 44 00"), 20).Expect({0x18});
       },
       "Failed to read NV image address!\n10.0.0.5:49664: the answer was cut short or could not "
       "be understood; check that this is the printer's port"},
      {"delete not written", nv::NvJobCode::kDeleteImage,
       [](Rig& r) {
         r.OpenAndIdentified();
         r.talk.FailNextWrite();
       },
       kWriteFailed + kBrokenLink},
      {"download item not written", nv::NvJobCode::kDownload,
       [](Rig& r) {
         r.OpenAndIdentified();
         r.AddItem("a.bmp", 10, 0x00);
         r.talk.FailNextWrite();
       },
       kWriteFailed + kBrokenLink},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Rig r;
    row.setup(r);
    RecordingSink sink;
    nv::NvJob job(r.nv, sink, row.job, "10", session::DesktopNvJobTexts());
    EXPECT_EQ(job.runner().message(), "Download process is stoped...");
    int next = 0;
    const auto arm = [&next](int id, uint32_t) { next = id; };
    job.runner().Start(arm);
    jobs::JobState state = jobs::JobState::kRunning;
    for (int guard = 0; state == jobs::JobState::kRunning && guard < 10; ++guard) {
      state = job.runner().RunEvent(next, arm);
    }
    EXPECT_EQ(state, jobs::JobState::kFailed);
    EXPECT_EQ(job.runner().message(), row.message);
    EXPECT_TRUE(r.talk.AllWritten());
    EXPECT_TRUE(r.talk.Mismatches().empty());
  }
}

// ------------------------------------------------------------------ the dialog

// Records the steps and the bar; can close the dialog after one step, as the user would.
class ProbeDlg : public nv::CNvProDlg {
 public:
  ProbeDlg() : nv::CNvProDlg(session::DesktopNvJobTexts()) {}
  std::vector<int> steps;
  int bar = 0;
  int close_after = 0;
  ui::ScriptedHost* scripted = nullptr;

 protected:
  void OnTimer(int id) override {
    nv::CNvProDlg::OnTimer(id);
    steps.push_back(id);
    bar = GetProgress(nv::kNvProProgressId).GetPos();
    if (id == close_after) scripted->Queue("close");
  }
};

class NvProDlgTest : public ::testing::Test, public Rig {
 protected:
  int Run(nv::NvJobCode job, const std::string& key_code = "") {
    dlg_.SetEngine(&nv);
    dlg_.SetJobCode(job);
    dlg_.SetKeyCode(key_code);
    dlg_.scripted = &host_;
    return dlg_.DoModal(host_);
  }

  ui::ScriptedHost host_{t.clock};
  ProbeDlg dlg_;
};

TEST_F(NvProDlgTest, DeletingOneImageReadsTheListAgain) {
  talk.Expect(kMakerQuery).Reply(TextZ("_KORVANE"), 20);
  talk.Expect(Hex("1D 28 4C 04 00 30 42 31 30"));
  talk.Expect(kListQuery).Reply(Hex("37 72 40 31 31 41 42 00"), 20).Expect({0x06});
  nv::CCommonNvTestPeer::SetKeyCodes(nv, {"10", "11", "AB"});
  EXPECT_EQ(Run(nv::NvJobCode::kDeleteImage, "10"), ui::IDOK);
  EXPECT_EQ(dlg_.steps, (std::vector<int>{1, 1001, 1000, 9999}));
  EXPECT_EQ(dlg_.bar, 100);
  EXPECT_EQ(nv.key_codes(), (std::vector<std::string>{"11", "AB"}));
  EXPECT_TRUE(talk.AllWritten());
}

TEST_F(NvProDlgTest, UserCloseBetweenStepsEndsWithCancelAndSendsNothingMore) {
  talk.Expect(kMakerQuery).Reply(TextZ("_KORVANE"), 20);
  talk.Expect(Hex("1D 28 4C 04 00 30 42 31 30"));
  dlg_.close_after = 1001;
  EXPECT_EQ(Run(nv::NvJobCode::kDeleteImage, "10"), ui::IDCANCEL);
  EXPECT_EQ(dlg_.message(), "Download process is stoped...");
  EXPECT_EQ(dlg_.steps, (std::vector<int>{1, 1001}));
  // The list is not read again: any further byte would be a mismatch.
  EXPECT_TRUE(talk.AllWritten());
  EXPECT_TRUE(talk.Mismatches().empty());
}

TEST_F(NvProDlgTest, OnAnOpenIdentifiedLinkTheStartStepOnlyArmsTheJob) {
  OpenAndIdentified();
  // No open and no maker query: the list query is the first byte on the wire, at 100 ms (timer
  // 1) + 100 ms + the link's 10 ms pause before a write. A printer without images is a success.
  talk.Expect(kListQuery).Reply(Hex("37 72 40 00"), 20).Expect({0x06});
  EXPECT_EQ(Run(nv::NvJobCode::kReadKeyCodes), ui::IDOK);
  EXPECT_EQ(talk.WriteTimes()[0], 210u);
  EXPECT_EQ(t.devices.record.Count("Connect"), 1);
  EXPECT_TRUE(nv.key_codes().empty());
  EXPECT_TRUE(talk.AllWritten());
}

TEST_F(NvProDlgTest, PrintAllWithoutKeyCodesEndsWithTheWriteFailure) {
  OpenAndIdentified();
  EXPECT_EQ(Run(nv::NvJobCode::kPrintAll), ui::IDCANCEL);
  EXPECT_EQ(dlg_.message(), kWriteFailed);
  EXPECT_EQ(dlg_.steps, (std::vector<int>{1, 1004}));
  EXPECT_TRUE(talk.Written().empty());
}

}  // namespace
