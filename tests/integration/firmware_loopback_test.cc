// A firmware download from the dialog to a printer-sim process in firmware download mode, over
// loopback TCP with the real file system and sockets.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "firmware/dialogs/firmware_dlg.h"
#include "platform/system/clock.h"
#include "platform/system/posix_file_system.h"
#include "sim_process.h"
#include "ui/automation/scripted_host.h"

namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FirmwareLoopbackTest, ThePrinterReceivesTheFileUnchanged) {
  const itest::TempStatePath capture("firmware-capture");
  const itest::TempStatePath firmware_file("firmware.fls");
  // Every byte value, and more than two pieces: bytes that are no printer command go through.
  std::string bytes;
  for (int i = 0; i < 9000; ++i) bytes += static_cast<char>((i * 31 + i / 256) & 0xFF);
  std::ofstream(firmware_file.path(), std::ios::binary) << bytes;

  itest::SimProcess sim({"--port", "0", "--firmware", capture.path()});
  ASSERT_GT(sim.port(), 0) << sim.first_line();

  itest::RealServices real;
  platform::PosixFileSystem files;
  firmware::CFirmwarednDlg dlg(real.services, files);
  dlg.SetLinkSettings({.interface = devlink::CDev::kInterfaceTcp,
                       .port_name = "NET127.0.0.1",
                       .tcp_port = static_cast<uint32_t>(sim.port())});
  // The dialog's user acts in virtual time; the link pauses in real time.
  platform::VirtualClock ui_clock{0};
  ui::ScriptedHost host(ui_clock, ui::Resources({}, "Pelliset"));
  host.Queue({"click 1026", "files \"" + firmware_file.path() + "\"", "answer OK", "click 1"});
  ASSERT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(host.ErrorCount(), 0);
  ASSERT_EQ(host.EventsOf(ui::EventKind::kMessageBox).size(), 1u);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kMessageBox)[0].text, "Success to download firmware!");

  // The printer may still be taking the last piece when the link has closed.
  std::string received;
  for (int i = 0; i < 500 && received.size() < bytes.size(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    received = FileBytes(capture.path());
  }
  EXPECT_TRUE(received == bytes) << "received " << received.size() << " of " << bytes.size();
  EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
