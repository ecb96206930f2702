// The desktop NV manager against the virtual printer, in virtual time: choosing images,
// addressing them, downloading, and what the printer and the registry hold afterwards.

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "fakes/sim_services.h"
#include "nvimage/bmp_files.h"
#include "nvimage/dialogs/nv_dlg.h"
#include "nvimage/nv_download_plan.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"
#include "session/nv_job_texts.h"
#include "ui/automation/scripted_host.h"

namespace {

const char kKey[] = "Software\\Korvane\\Pelliset\\NV";

std::vector<std::string> Codes(const std::vector<std::string>& held, int count) {
  nv::AutoAddresser addresser;
  std::vector<std::string> codes;
  for (int i = 0; i < count; ++i) codes.push_back(addresser.Next(held).value_or("--"));
  return codes;
}

TEST(AutoAddressingTest, SkipsHeldCodesAndNeverUsesTheZeroRow) {
  EXPECT_EQ(Codes({}, 2), (std::vector<std::string>{"10", "11"}));
  EXPECT_EQ(Codes({"10", "12"}, 3), (std::vector<std::string>{"11", "13", "14"}));
  std::vector<std::string> tens;
  for (char c = '0'; c <= '9'; ++c) tens.push_back(std::string{'1', c});
  EXPECT_EQ(Codes(tens, 2), (std::vector<std::string>{"20", "21"}));
}

// Keeps the preview as it stood when the manager closed.
class RecordingManager : public nv::CNVDlg {
 public:
  using nv::CNVDlg::CNVDlg;
  platform::RgbImage preview;

 protected:
  void OnDestroy() override {
    preview = GetPicture(1040).GetImage();
    nv::CNVDlg::OnDestroy();
  }
};

class NvManagerTest : public ::testing::Test, protected fakes::SimServices {
 protected:
  NvManagerTest() {
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
  // Opens the manager the way the main dialog does: the key code list has just been read.
  void Run(std::vector<std::string> commands) {
    ASSERT_TRUE(util.OpenLink());
    ASSERT_NE(protocol::ResultNumber(nv.ReadKeyCodes()), 109u);
    for (const std::string& c : commands) ASSERT_TRUE(host.Queue(c)) << c;
    manager.DoModal(host);
  }
  std::vector<std::string> PrinterCodes() {
    std::vector<std::string> codes;
    for (const auto& [code, image] : model.state().nv_images) {
      codes.push_back(std::string{static_cast<char>(code[0]), static_cast<char>(code[1])});
    }
    return codes;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const ui::Event& e : host.EventsOf(ui::EventKind::kMessageBox)) texts.push_back(e.text);
    return texts;
  }
  std::string Stored(const std::string& name) {
    return platform::ReadString(registry, kKey, name).value_or("<missing>");
  }

  platform_test::TempDir dir;
  protocol::CCommonUtil util{services};
  nv::CCommonNv nv{&util, clock};
  ui::ScriptedHost host{clock};
  RecordingManager manager{nv, registry, session::DesktopNvJobTexts()};
};

TEST_F(NvManagerTest, AutoAddressedDownloadSkipsHeldCodes) {
  Hold("10");
  Hold("12");
  Run({"wait dialog 151", "click 1043",
       "files \"" + Bmp("a.bmp") + "\" \"" + Bmp("b.bmp") + "\" \"" + Bmp("c.bmp", 32, 4) + "\"",
       // The slider moved just before Download, within its poll: the download takes it.
       "select 1041 2", "slide 1048 100", "click 1047", "click 1046", "wait dialog 151 10",
       "snapshot", "click 1"});
  EXPECT_EQ(PrinterCodes(), (std::vector<std::string>{"10", "11", "12", "13", "14"}));
  EXPECT_EQ(model.state().nv_images.at({'1', '3'}).raster, std::vector<uint8_t>(16, 0xFF));
  const sim::NvImage& c = model.state().nv_images.at({'1', '4'});
  EXPECT_EQ(c.width, 32);
  EXPECT_NE(c.raster, std::vector<uint8_t>(16, 0xFF));  // lifted: no longer all black
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  EXPECT_EQ(host.ErrorCount(), 0);
  // The list box was read again after the download; the count and the list are stored.
  const std::string snapshot = host.EventsOf(ui::EventKind::kSnapshot).back().json;
  EXPECT_NE(snapshot.find("\"items\":[\"10\",\"11\",\"12\",\"13\",\"14\"]"), std::string::npos);
  EXPECT_NE(snapshot.find("<Images: 3/5 - Memory: 48/262144 (Byte)>"), std::string::npos);
  EXPECT_EQ(platform::ReadDword(registry, kKey, "Count"), 3u);
  EXPECT_EQ(Stored("image003"), dir.File("c.bmp") + ",100");
}

// Closed within the slider's poll: the stored list has the brightness the slider shows.
TEST_F(NvManagerTest, ClosingRightAfterTheSliderMovedStoresItsBrightness) {
  Run({"wait dialog 151", "click 1043", "files \"" + Bmp("a.bmp") + "\"", "select 1041 0",
       "slide 1048 55", "click 1"});
  EXPECT_EQ(Stored("image001"), dir.File("a.bmp") + ",055");
  EXPECT_EQ(host.ErrorCount(), 0);
}

TEST_F(NvManagerTest, AFileThatCannotBeLoadedIsNamedWithTheReason) {
  std::ofstream(dir.File("notes.bmp")) << "not a picture";
  Run({"wait dialog 151", "click 1043", "files \"" + dir.File("notes.bmp") + "\"",
       "wait messagebox", "answer OK", "click 1"});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].rfind("Failed to load image file!\nnotes.bmp: ", 0), 0u) << Boxes()[0];
}

// The printer answers no define command: one refused for want of room shows only in the list.
TEST_F(NvManagerTest, AnImageThePrinterDidNotStoreIsReported) {
  model.state().nv_images[{'9', '9'}] = sim::NvImage{2048, 1024, std::vector<uint8_t>(262144)};
  Run({"wait dialog 151", "click 1043", "files \"" + Bmp("a.bmp") + "\"", "click 1047",
       "click 1046", "wait messagebox 10", "answer OK", "click 1"});
  EXPECT_EQ(Boxes(), std::vector<std::string>{"The printer does not list 10 after the download: "
                                              "its memory may be full."});
  EXPECT_EQ(PrinterCodes(), std::vector<std::string>{"99"});
  EXPECT_EQ(host.ErrorCount(), 0);
}

// A Refresh whose read fails keeps the codes the printer was last known to hold: automatic
// addressing must not hand out a held code again and overwrite that logo.
TEST_F(NvManagerTest, FailedRefreshKeepsTheKnownCodesForAutomaticAddressing) {
  Hold("10");
  ASSERT_TRUE(util.OpenLink());
  ASSERT_NE(protocol::ResultNumber(nv.ReadKeyCodes()), 109u);
  model.faults().silent_for = {sim::Command::kNvKeys};
  for (const std::string& c :
       {std::string("wait dialog 151"), std::string("click 1050"), std::string("wait messagebox"),
        std::string("answer OK"), std::string("click 1043"), "files \"" + Bmp("a.bmp") + "\"",
        std::string("click 1047"), std::string("click 1046"), std::string("wait messagebox"),
        std::string("answer OK"), std::string("click 1")}) {
    ASSERT_TRUE(host.Queue(c)) << c;
  }
  manager.DoModal(host);
  EXPECT_EQ(PrinterCodes(), (std::vector<std::string>{"10", "11"}));
  EXPECT_EQ(model.state().nv_images.at({'1', '0'}).raster, std::vector<uint8_t>{0xFF});
}

TEST_F(NvManagerTest, TypedKeyCodesAreCheckedAndCancelSendsNothing) {
  Hold("10");
  const std::string a = Bmp("a.bmp"), b = Bmp("b.bmp");
  Run({"wait dialog 151", "click 1043", "files \"" + a + "\" \"" + b + "\"",
       // First image: too short, beyond ASCII, held by the printer, then a free code.
       "click 1046", "wait dialog 152", "type 1060 \"7\"", "click 1", "answer OK",
       "type 1060 \"é1\"", "click 1", "answer OK", "type 1060 \"10\"", "click 1", "answer OK",
       "type 1060 \"AB\"", "click 1",
       // Second image: the code the first one took, then Cancel.
       "wait dialog 152", "type 1060 \"AB\"", "click 1", "answer OK", "click 2", "answer OK",
       "click 1"});
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "Enter an address code of two characters.",
                         "An address code takes ASCII letters, digits and signs only.",
                         "Exists address!", "Exists address!", "Cancel to download image."}));
  EXPECT_EQ(PrinterCodes(), std::vector<std::string>{"10"});  // nothing was sent
  EXPECT_EQ(host.ErrorCount(), 0);
}

TEST_F(NvManagerTest, DownloadFailingOnTheSecondImageShowsWhatThePrinterKept) {
  // The key code exchange (10 bytes), the maker query and the first define command (16 + 48)
  // pass; the link dies inside the second.
  const std::string a = Bmp("a.bmp", 384, 1), b = Bmp("b.bmp", 384, 1), c = Bmp("c.bmp", 384, 1);
  model.faults().drop_after_bytes = 97;
  Run({"wait dialog 151", "click 1043", "files \"" + a + "\" \"" + b + "\" \"" + c + "\"",
       "click 1047", "click 1046", "wait messagebox 10", "answer OK", "wait dialog 151 10",
       "snapshot", "click 1"});
  EXPECT_EQ(Boxes(), std::vector<std::string>{" Failed to write data!\r\nPlease check your "
                                              "printer.\n127.0.0.1:9100: the printer closed the "
                                              "connection; what was sent after that is lost"});
  EXPECT_EQ(PrinterCodes(), std::vector<std::string>{"10"});
  const std::string snapshot = host.EventsOf(ui::EventKind::kSnapshot).back().json;
  EXPECT_NE(snapshot.find("\"items\":[\"10\"]"), std::string::npos);
}

TEST_F(NvManagerTest, RemovingRowsRenumbersAndTheSliderSetsBrightness) {
  const std::string files = "files \"" + Bmp("1.bmp") + "\" \"" + Bmp("2.bmp") + "\" \"" +
                            Bmp("3.bmp") + "\" \"" + Bmp("4.bmp") + "\"";
  host.SetIdleLimitMs(200);
  Run({"wait dialog 151", "slide 1048 40", "click 1043", files,
       // Rows 1 and 3 go; the former 2 and 4 remain as 1 and 2.
       "select 1041 0", "extend 1041 0 2", "click 1044", "answer Yes",
       // A 36 x 24 picture, selected and lightened by the slider.
       "click 1043", "files \"" + Bmp("pic.bmp", 36, 24) + "\"", "select 1041 2", "slide 1048 70"});
  ASSERT_EQ(nv.images().size(), 3u);
  EXPECT_EQ(nv.images()[0].name + nv.images()[1].name, "2.bmp4.bmp");
  EXPECT_EQ(nv.images()[1].number, 2);
  EXPECT_EQ(Stored("image001"), dir.File("2.bmp") + ",040");  // the slider stood at 40
  // Within the 200 ms poll the selected entry took the new brightness.
  EXPECT_EQ(Stored("image003"), dir.File("pic.bmp") + ",070");
  // Preview 180 x 120: 180 * 36 / 384 = 16 wide, 24 * 16 / 36 = 10 high, black + 178.
  const platform::RgbImage& p = manager.preview;
  ASSERT_EQ(p.width, 180);
  auto at = [&](int x, int y) { return p.rgb[(static_cast<size_t>(y) * p.width + x) * 3]; };
  EXPECT_EQ(at(5, 5), 178);
  EXPECT_EQ(at(15, 9), 178);
  EXPECT_EQ(at(16, 5), 255);
  EXPECT_EQ(at(5, 10), 255);
  EXPECT_EQ(host.ErrorCount(), 0);
}

}  // namespace

// Remove All asks first (No the default) since logos cannot be read back; the status line counts
// what the printer holds after every job on it.
TEST_F(NvManagerTest, RemoveAllAsksAndTheStatusLineFollowsThePrinter) {
  Hold("10");
  Hold("11");
  Hold("12");
  Run({"wait dialog 151", "click 1054", "wait messagebox", "answer No", "snapshot", "select 1049 0",
       "click 1053", "wait dialog 151 10", "snapshot", "click 1054", "wait messagebox",
       "answer Yes", "wait dialog 151 10", "snapshot", "click 1"});
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
  EXPECT_EQ(PrinterCodes(), std::vector<std::string>{});
  const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
  ASSERT_EQ(boxes.size(), 2u);
  for (const ui::Event& box : boxes) {
    EXPECT_EQ(box.text, "Delete every image stored in the printer?");
    EXPECT_EQ(box.caption, "NV Image Manager");
    EXPECT_EQ(box.buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_EQ(box.flags & 0xF00u, 0x100u) << "No must be the default button";
  }
  const auto snapshots = host.EventsOf(ui::EventKind::kSnapshot);
  ASSERT_EQ(snapshots.size(), 3u);
  // After No: all three still there. After removing 10: two. After Yes: none.
  EXPECT_NE(snapshots[0].json.find("<Images: 0/3 - Memory: 0/262144 (Byte)>"), std::string::npos);
  EXPECT_NE(snapshots[1].json.find("<Images: 0/2 - Memory: 0/262144 (Byte)>"), std::string::npos);
  EXPECT_NE(snapshots[2].json.find("<Images: 0/0 - Memory: 0/262144 (Byte)>"), std::string::npos);
}
