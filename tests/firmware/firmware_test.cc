// The firmware download dialog and its sender over a scripted TCP link, in virtual time.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fakes/fake_file_system.h"
#include "fakes/test_services.h"
#include "firmware/dialogs/firmware_dlg.h"
#include "platform/system/posix_file_system.h"
#include "ui/automation/scripted_host.h"

namespace {

using fakes::Bytes;

// Bytes that differ from their neighbours, so a piece sent twice or out of order shows.
Bytes Pattern(size_t length) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(i * 7 % 251);
  return bytes;
}

// (caption, text) of message boxes.
using Messages = std::vector<std::pair<std::string, std::string>>;

std::vector<size_t> WriteSizes(const fakes::Conversation& talk) {
  std::vector<size_t> sizes;
  for (const Bytes& w : talk.Writes()) sizes.push_back(w.size());
  return sizes;
}

// How the dialog looks as a repaint shows it.
struct Look {
  int bar;
  bool exit_enabled;
  bool operator==(const Look&) const = default;
};

// Keeps each repaint that shows something new, and the last status line.
class RepaintHost : public ui::ScriptedHost {
 public:
  explicit RepaintHost(platform::VirtualClock& clock)
      : ui::ScriptedHost(clock, ui::Resources({}, "App Title")) {}
  void Repaint(ui::Dialog& dialog) override {
    const Look look{dialog.GetProgress(1005).GetPos(), dialog.GetControl(1).IsEnabled()};
    if (looks.empty() || !(looks.back() == look)) looks.push_back(look);
    status = dialog.GetDlgItemText(1003);
  }
  std::vector<Look> looks;
  std::string status;
};

struct Rig {
  // Start Download with `path` chosen, every message box answered, then Exit.
  int Download(const std::string& path) {
    firmware::CFirmwarednDlg dlg(t.services, *file_system);
    dlg.SetLinkSettings(setting);
    host.Queue({"click 1026", "files \"" + path + "\"", "answer OK", "click 1"});
    return dlg.DoModal(host);
  }
  // Every message box shown.
  Messages Shown() const {
    Messages out;
    for (const ui::Event& e : host.EventsOf(ui::EventKind::kMessageBox)) {
      out.emplace_back(e.caption, e.text);
    }
    return out;
  }

  fakes::TestServices t;
  fakes::FakeFileSystem files;
  platform::FileSystem* file_system = &files;
  RepaintHost host{t.clock};
  devlink::LinkSettings setting{.interface = devlink::CDev::kInterfaceTcp,
                                .port_name = "NET10.0.0.5"};
};

TEST(FirmwareDialog, SendsTheFileInPiecesAndFollowsItWithTheBar) {
  struct Case {
    size_t length;
    std::vector<size_t> writes;
    std::vector<Look> looks;
  };
  const Case cases[] = {
      {10000,
       {4096, 4096, 1808},
       {{0, true}, {0, false}, {40, false}, {81, false}, {100, false}, {100, true}}},
      {8192, {4096, 4096}, {{0, true}, {0, false}, {50, false}, {100, false}, {100, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    Rig r;
    r.files.Add("/fw/d550.fls", Pattern(c.length));
    if (c.length > 0) r.t.conversation.Expect(Pattern(c.length));
    EXPECT_EQ(r.Download("/fw/d550.fls"), ui::IDOK);
    EXPECT_EQ(r.host.ErrorCount(), 0);
    EXPECT_EQ(WriteSizes(r.t.conversation), c.writes);
    EXPECT_TRUE(r.t.conversation.AllWritten());
    EXPECT_EQ(r.host.looks, c.looks);
    EXPECT_EQ(r.Shown(), (Messages{{"Pelliset", "Success to download firmware!"}}));
    EXPECT_EQ(r.host.status, "Finished to download firmware and Reset the printer!");
    EXPECT_EQ(r.t.devices.record.connects,
              (std::vector<std::pair<std::string, uint16_t>>{{"10.0.0.5", 9100}}));
    EXPECT_EQ(r.host.EventsOf(ui::EventKind::kFileDialog).at(0).filter,
              "Firmware File(*.fls)|*.fls||");
    EXPECT_EQ(r.t.devices.record.open_devices, 0);
    EXPECT_EQ(r.files.open_files, 0);
  }
}

TEST(FirmwareDialog, RefusesAWriteProtectedFile) {
  // The real file system, as root runs the tests: the permission bits alone must refuse it.
  char dir[] = "/tmp/pelliset-fw-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/old.fls";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0444);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "FLS", 3), 3);
  ::close(fd);

  Rig r;
  platform::PosixFileSystem posix;
  r.file_system = &posix;
  EXPECT_EQ(r.Download(path), ui::IDOK);
  ::unlink(path.c_str());
  ::rmdir(dir);
  EXPECT_EQ(r.host.ErrorCount(), 0);
  EXPECT_EQ(r.Shown(), (Messages{{"App Title", "Error : File Open Error!"}}));
  EXPECT_EQ(r.host.status, "Ready firmware download.");
  EXPECT_TRUE(r.t.devices.record.connects.empty());
  EXPECT_EQ(r.t.conversation.WriteCalls(), 0u);
}

TEST(FirmwareDialog, RefusesAnEmptyFileAndOneOverTheSizeLimit) {
  Rig r;
  r.files.Add("/fw/huge.fls", {});
  r.files.files["/fw/huge.fls"].claimed_length = (64u << 20) + 1;
  r.files.Add("/fw/empty.fls", {});
  EXPECT_EQ(r.Download("/fw/huge.fls"), ui::IDOK);
  EXPECT_EQ(r.Download("/fw/empty.fls"), ui::IDOK);
  EXPECT_EQ(r.Shown(), (Messages{{"App Title", "Error : The firmware file is larger than 64 MiB!"},
                                 {"App Title", "Error : The firmware file is empty!"}}));
  EXPECT_TRUE(r.t.devices.record.connects.empty());
  EXPECT_EQ(r.files.open_files, 0);
}

TEST(FirmwareDialog, APortThatWillNotOpenLeavesTheDialogReadyToTryAgain) {
  Rig r;
  r.t.devices.record.connect_ok = false;
  r.t.devices.record.open_failure_cause = platform::FailureCause::kUnreachable;
  r.files.Add("/fw/a.fls", Pattern(100));
  EXPECT_EQ(r.Download("/fw/a.fls"), ui::IDOK);  // Exit could be pressed afterwards
  EXPECT_EQ(r.host.ErrorCount(), 0);
  EXPECT_EQ(r.Shown(), (Messages{{"Pelliset",
                                  "Error : OpenPort! Please check printer\n10.0.0.5:9100: "
                                  "unreachable or timed out; check the IP address and that the "
                                  "printer is on"}}));
  EXPECT_EQ(r.host.status, "Ready firmware download.");
  EXPECT_EQ(r.host.looks, (std::vector<Look>{{0, true}}));
  EXPECT_EQ(r.t.conversation.WriteCalls(), 0u);
  EXPECT_EQ(r.files.open_files, 0);
}

// A second download starts its bar from nothing, not where the first one ended.
TEST(FirmwareDialog, ASecondDownloadStartsItsBarAtZero) {
  Rig r;
  r.files.Add("/fw/a.fls", Pattern(8192));
  r.t.conversation.Expect(Pattern(8192)).Expect(Pattern(8192));
  r.host.Queue({"click 1026", "files \"/fw/a.fls\"", "answer OK"});
  EXPECT_EQ(r.Download("/fw/a.fls"), ui::IDOK);
  EXPECT_EQ(r.host.ErrorCount(), 0);
  EXPECT_EQ(r.host.looks, (std::vector<Look>{{0, true},
                                             {0, false},
                                             {50, false},
                                             {100, false},
                                             {100, true},
                                             {0, true},
                                             {0, false},
                                             {50, false},
                                             {100, false},
                                             {100, true}}));
}

TEST(FirmwareDialog, AShortWriteEndsTheTransferAndFreesExit) {
  Rig r;
  r.files.Add("/fw/a.fls", Pattern(10000));
  r.t.conversation.ShortNextWrite(100);
  r.t.conversation.Expect(Pattern(100));
  EXPECT_EQ(r.Download("/fw/a.fls"), ui::IDOK);
  EXPECT_EQ(r.host.ErrorCount(), 0);
  EXPECT_EQ(r.Shown(),
            (Messages{{"App Title",
                       "Error : Send Failed!\n10.0.0.5:9100: unreachable or timed out; check the "
                       "IP address and that the printer is on"}}));
  EXPECT_EQ(WriteSizes(r.t.conversation), std::vector<size_t>{100});
  EXPECT_EQ(r.host.looks, (std::vector<Look>{{0, true}, {0, false}, {0, true}}));
  EXPECT_EQ(r.host.status, "Error : Send Failed!");
  EXPECT_EQ(r.t.devices.record.open_devices, 0);
  EXPECT_EQ(r.files.open_files, 0);
}

}  // namespace
