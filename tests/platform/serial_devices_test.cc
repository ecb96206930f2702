// Serial devices by their Linux names, found in a fake /dev and /sys tree.

#include "platform/devices/serial_devices.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "temp_dir.h"

namespace {

using platform_test::TempDir;
using platform_test::WriteFile;

TEST(SerialDevices, ListsEachKindByNumberWithItsStableNames) {
  TempDir root;
  const std::string dev = root.File("dev");
  const std::string sys = root.File("sys");
  for (const std::string& folder :
       {dev, dev + "/serial", dev + "/serial/by-id", sys, sys + "/class", sys + "/class/tty",
        sys + "/class/tty/ttyS0", sys + "/class/tty/ttyS1"}) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0) << folder;
  }
  for (const char* name : {"ttyS0", "ttyS1", "ttyS4", "ttyUSB10", "ttyUSB2", "ttyACM0", "rfcomm1",
                           "ttySAC0", "ttyS", "tty0", "ttyUSB1x", "lp0"}) {
    WriteFile(dev + "/" + name, "");
  }
  WriteFile(sys + "/class/tty/ttyS0/type", "4\n");  // a 16550A answered
  WriteFile(sys + "/class/tty/ttyS1/type", "0\n");  // nothing behind it
  ASSERT_EQ(::symlink("../../ttyUSB2", (dev + "/serial/by-id/usb-FTDI_A5-if00-port0").c_str()), 0);
  ASSERT_EQ(::symlink("../../ttyUSB2", (dev + "/serial/by-id/usb-Alias-if00").c_str()), 0);
  ASSERT_EQ(::symlink("../../ttyACM0", (dev + "/serial/by-id/usb-Printer-if00").c_str()), 0);

  EXPECT_EQ(platform::SerialDevices(dev, sys).List(),
            (std::vector<std::string>{
                dev + "/ttyS0",
                dev + "/ttyS4",  // no sysfs entry to say otherwise
                dev + "/ttyUSB2",
                dev + "/serial/by-id/usb-Alias-if00",
                dev + "/serial/by-id/usb-FTDI_A5-if00-port0",
                dev + "/ttyUSB10",
                dev + "/ttyACM0",
                dev + "/serial/by-id/usb-Printer-if00",
                dev + "/rfcomm1",
            }));
  EXPECT_EQ(platform::SerialDevices(root.File("none"), sys).List(), std::vector<std::string>{});
}

}  // namespace
