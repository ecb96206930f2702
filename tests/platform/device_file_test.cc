#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/devices/posix_device_factory.h"
#include "platform/devices/posix_device_file.h"
#include "pty.h"
#include "temp_dir.h"

namespace platform {
namespace {

// A pseudo terminal stands in for /dev/usb/lpN: a character device that answers when it likes.
TEST(PosixDeviceFile, ExclusiveOpenRefusesASecondExclusiveOpen) {
  platform_test::Pty pty;
  ASSERT_TRUE(pty.ok());
  PosixDeviceFile first, second, shared;
  ASSERT_TRUE(first.Open(pty.slave_path(), /*exclusive=*/true));
  EXPECT_FALSE(second.Open(pty.slave_path(), /*exclusive=*/true));
  EXPECT_TRUE(shared.Open(pty.slave_path(), /*exclusive=*/false));
  first.Close();
  EXPECT_TRUE(second.Open(pty.slave_path(), /*exclusive=*/true));
  EXPECT_FALSE(first.Open("/nonexistent/usb/lp0", false));
  EXPECT_EQ(first.Write(reinterpret_cast<const uint8_t*>("x"), 1), 0u);  // closed
}

// Takes about kReadTimeoutMs (half a second) of real time.
TEST(PosixDeviceFile, ReadWaitsForTheFirstByteUpToItsTimeOut) {
  platform_test::Pty pty;
  ASSERT_TRUE(pty.ok());
  RealClock clock;
  PosixDeviceFactory factory(clock);
  std::unique_ptr<DeviceFile> device = factory.NewDeviceFile();
  ASSERT_TRUE(device->Open(pty.slave_path(), true));

  const std::string command = "\x1dI\x42";
  ASSERT_EQ(device->Write(reinterpret_cast<const uint8_t*>(command.data()), command.size()), 3u);
  EXPECT_EQ(pty.Receive(), command);

  uint8_t buf[32];
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device->Read(buf, sizeof buf), 0u);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(DeviceFile::kReadTimeoutMs - 50));
  EXPECT_LT(elapsed, std::chrono::milliseconds(DeviceFile::kReadTimeoutMs + 1000));

  pty.Send("_TMQ-D");
  EXPECT_EQ(device->Read(buf, sizeof buf), 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 6), "_TMQ-D");
}

}  // namespace
}  // namespace platform
