// The handheld NV manager and its job texts against the virtual printer, in virtual time.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fakes/nv_test_peer.h"
#include "fakes/sim_services.h"
#include "handheld/pda_nv_dlg.h"
#include "nvimage/bmp_files.h"
#include "nvimage/nv_job.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"
#include "ui/automation/scripted_host.h"

namespace {

const char kKey[] = "Software\\Korvane\\Pelliset\\NV";

class PdaNvTest : public ::testing::Test, protected fakes::SimServices {
 protected:
  PdaNvTest() {
    util.SetLinkSettings(
        {.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET127.0.0.1", .tcp_port = 9100});
  }
  std::string Bmp(const std::string& name, int width = 16, int height = 8) {
    const std::string path = dir.File(name);
    nv_test::WriteFilled(path, width, height, nv_test::kBlack);
    return path;
  }
  void Hold(const std::string& code) {
    model.state().nv_images[{static_cast<uint8_t>(code[0]), static_cast<uint8_t>(code[1])}] =
        sim::NvImage{8, 1, {0xFF}};
  }
  std::vector<std::string> PrinterCodes() {
    std::vector<std::string> codes;
    for (const auto& [code, image] : model.state().nv_images) {
      codes.push_back(std::string{static_cast<char>(code[0]), static_cast<char>(code[1])});
    }
    return codes;
  }

  platform_test::TempDir dir;
  protocol::CCommonUtil util{services};
  nv::CCommonNv nv{&util, clock};
};

// ------------------------------------------------------------------ the job texts

class StatusLine : public jobs::JobProgress {
 public:
  void Show(int position, const std::string&) override { last = position; }
  void Caption(int, const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
  int last = 0;
};

using PdaNvJobTest = PdaNvTest;

TEST_F(PdaNvJobTest, EveryStepOfADownloadNamesItselfAndFailuresUseTheHandheldTexts) {
  StatusLine line;
  // Runs a job to its end as the progress dialog would; the message after Cancel, "OK" after OK.
  auto run = [&](nv::NvJobCode job_code) {
    nv::NvJob job(nv, line, job_code, "10", pda::HandheldNvJobTexts());
    return job.runner().RunToEnd() ? std::string("OK") : job.runner().message();
  };
  std::vector<nv::NvDownloadItem> items(2);
  items[0].name = "a.bmp";
  items[1].name = "b.bmp";
  for (nv::NvDownloadItem& item : items) item.data = {0x1D, 0x28, 0x4C};
  nv.SetDownloadList(items);
  EXPECT_EQ(run(nv::NvJobCode::kDownload), "OK");
  EXPECT_EQ(line.texts,
            (std::vector<std::string>{"Open Port..", "Check Printer...", "Check Printer...",
                                      "Download Start....", "a.bmp Downloading...",
                                      "b.bmp Downloading...", "Finish Downloading...."}));
  // Open 5, identification 5 + 5 + 5, the job 5, two halves of 70, the end 5.
  EXPECT_EQ(line.last, 100);

  struct Row {
    const char* name;
    nv::NvJobCode job;
    std::function<void()> setup;
    std::string message;
  };
  const Row rows[] = {
      {"another model", nv::NvJobCode::kReadKeyCodes, [&] { model.config().model = "TMQ-P440"; },
       "Printer Model name not matched...!!\nThe printer says it is a TMQ-P440."},
      {"no version", nv::NvJobCode::kReadKeyCodes,
       [&] { model.faults().silent_for = {sim::Command::kVersion}; },
       "Failed to get Printer version..!!\nno answer from the printer at 127.0.0.1:9100; check "
       "that it is switched on and set to this interface, and that no other program is using it"},
      // The model and version queries (3 bytes each) pass; the printer closes the connection
      // inside the first item, which the write still hands over whole.
      {"item not written", nv::NvJobCode::kDownload, [&] { model.faults().drop_after_bytes = 7; },
       "Failed to write data!\r\nPlease Check your printer!\n127.0.0.1:9100: the printer closed "
       "the connection; what was sent after that is lost"},
      // The printer closes the connection as the print arrives; nothing answers a print, so the
      // close is the only sign it was lost.
      {"print, printer gone", nv::NvJobCode::kPrintImage,
       [&] { model.faults().drop_after_bytes = 7; },
       " Failed to write data!\r\nPlease Check your printer!\n127.0.0.1:9100: the printer "
       "closed the connection; what was sent after that is lost"},
      {"print all without images", nv::NvJobCode::kPrintAll, [] {},
       " Failed to write data!\r\nPlease Check your printer!"},
      {"port refused", nv::NvJobCode::kReadKeyCodes, [&] { devices.line().open_fails = true; },
       "Port Open Error!!!\n127.0.0.1:9100: connection refused; check the port number (most "
       "printers use 9100)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    model.config() = {};
    model.faults() = {};
    devices.line().open_fails = false;
    util.dev().Close();
    nv.ForgetIdentification();
    nv.SetDownloadList(items);
    row.setup();
    EXPECT_EQ(run(row.job), row.message);
  }
}

// ------------------------------------------------------------------ the manager

class PdaNvManagerTest : public PdaNvTest {
 protected:
  // Opens the manager the way the main dialog does: the key code list has just been read (in
  // the order `as_read`, when given: the virtual printer lists its codes sorted).
  void Run(std::vector<std::string> commands, std::vector<std::string> as_read = {}) {
    ASSERT_TRUE(util.OpenLink());
    ASSERT_NE(protocol::ResultNumber(nv.ReadKeyCodes()), 109u);
    if (!as_read.empty()) nv::CCommonNvTestPeer::SetKeyCodes(nv, as_read);
    for (const std::string& c : commands) ASSERT_TRUE(host.Queue(c)) << c;
    manager.DoModal(host);
  }
  std::vector<std::string> Events(ui::EventKind kind) const {
    std::vector<std::string> seen;
    for (const ui::Event& e : host.EventsOf(kind)) {
      seen.push_back(kind == ui::EventKind::kDialog
                         ? std::to_string(e.template_id) + " " + e.caption
                         : e.caption + ": " + e.text);
    }
    return seen;
  }
  std::string Stored(const std::string& name) {
    return platform::ReadString(registry, kKey, name).value_or("<missing>");
  }

  ui::ScriptedHost host{clock, ui::Resources({}, "TMQ-D550 Pelliset")};
  pda::CPdaNvDlg manager{nv, registry};
};

TEST_F(PdaNvManagerTest, AddsRemovesAndDownloadsAutoAddressed) {
  Hold("B1");
  Hold("A0");
  Hold("10");
  Run({"wait dialog 154", "click 1043", "files \"" + Bmp("a.bmp") + "\"", "click 1043",
       "files \"" + Bmp("z.bmp") + "\"", "select 1041 1", "click 1044", "answer Yes", "snapshot",
       "click 1047", "click 1046", "wait dialog 154 10", "snapshot", "click 1"},
      {"B1", "10", "A0"});
  EXPECT_EQ(Events(ui::EventKind::kMessageBox),
            std::vector<std::string>{"Pelliset: Do you want to remove all of selection?"});
  EXPECT_EQ(PrinterCodes(), (std::vector<std::string>{"10", "11", "A0", "B1"}));
  // The download and the reading of the list again, each in the handheld's progress window.
  std::vector<std::string> progress;
  for (const std::string& d : Events(ui::EventKind::kDialog)) {
    if (d.starts_with("153")) progress.push_back(d);
  }
  EXPECT_EQ(progress,
            (std::vector<std::string>{"153 Download Image....", "153 Get Nv Address list"}));
  const auto snapshots = host.EventsOf(ui::EventKind::kSnapshot);
  EXPECT_NE(snapshots[0].json.find("\"items\":[\"a.bmp\"]"), std::string::npos);
  EXPECT_NE(snapshots[0].json.find("\"items\":[\"10\",\"A0\",\"B1\"]"), std::string::npos);
  EXPECT_NE(snapshots[1].json.find("\"items\":[\"10\",\"11\",\"A0\",\"B1\"]"), std::string::npos);
  EXPECT_EQ(Stored("image001"), dir.File("a.bmp") + ",000");
  EXPECT_EQ(Stored("image002"), "<missing>");
  EXPECT_EQ(platform::ReadDword(registry, kKey, "Count"), 1u);
  EXPECT_EQ(host.ErrorCount(), 0);
}

TEST_F(PdaNvManagerTest, RefusalsCarryTheHandheldTextsAndCaptions) {
  Hold("10");
  const std::string a = Bmp("a.bmp"), b = Bmp("b.bmp");
  // The second file goes away while the first image's key code is asked for.
  bool removed = false;
  host.SetEventCallback([&](const ui::Event& e, ui::ScriptedHost&) {
    if (e.kind == ui::EventKind::kDialog && e.template_id == 155 && !removed) {
      removed = std::remove(b.c_str()) == 0;
    }
  });
  Run({"wait dialog 154", "click 1044", "answer OK", "click 1046", "answer OK", "click 1052",
       "answer OK", "click 1043", "files \"" + a + "\"", "click 1043", "files \"" + b + "\"",
       // First image: too short, held by the printer, then free.
       "click 1046", "wait dialog 155", "type 1060 \"7\"", "click 1", "answer OK",
       "type 1060 \"10\"", "click 1", "answer OK", "type 1060 \"AB\"", "click 1",
       // Second image: its file is gone; it is named and left out.
       "wait dialog 155", "type 1060 \"AC\"", "click 1", "answer OK", "wait dialog 154 10",
       // A second download given up at its first key code.
       "click 1046", "wait dialog 155", "click 2", "answer OK", "click 1"});
  EXPECT_EQ(Events(ui::EventKind::kMessageBox),
            (std::vector<std::string>{
                "NV Manager Utility: Without a bmpfile being selected.",
                "Pelliset: Without a bitmap file being selected.",
                "NV Manager Utility: Please select address!",
                "TMQ-D550 Pelliset: Enter an address code of two characters.",
                "TMQ-D550 Pelliset: Exists address!",
                "TMQ-D550 Pelliset: b.bmp: No such file or directory",
                "NV Manager Utility: Cancel to download image.",
            }));
  EXPECT_EQ(PrinterCodes(), (std::vector<std::string>{"10", "AB"}));
  EXPECT_EQ(host.ErrorCount(), 0);
}

}  // namespace
