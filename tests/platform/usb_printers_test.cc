#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/devices/sysfs_usb_printers.h"
#include "temp_dir.h"

namespace platform {
namespace {

using platform_test::TempDir;

std::vector<std::string> Walk(UsbPrinterEnumerator& e) {
  std::vector<std::string> paths;
  for (int i = 0;; ++i) {
    const std::optional<std::string> p = e.DevicePathAt(i);
    if (!p) break;
    paths.push_back(*p);
  }
  return paths;
}

TEST(SysfsUsbPrinterEnumerator, ListsPrintersByNumber) {
  TempDir sys;
  const std::string cls = sys.path() + "/class";
  ASSERT_EQ(::mkdir(cls.c_str(), 0700), 0);
  SysfsUsbPrinterEnumerator no_class(sys.path(), "/dev");
  EXPECT_EQ(no_class.DevicePathAt(0), std::nullopt);  // the class folder is missing

  ASSERT_EQ(::mkdir((cls + "/usbmisc").c_str(), 0700), 0);
  SysfsUsbPrinterEnumerator e(sys.path(), "/devroot");
  EXPECT_TRUE(Walk(e).empty());

  // Other usbmisc devices and odd names are not printers.
  for (const char* name : {"lp10", "lp2", "lp0", "hiddev0", "lp", "lpx", "lp1a", "xlp3"}) {
    ASSERT_EQ(::mkdir((cls + "/usbmisc/" + name).c_str(), 0700), 0) << name;
  }
  EXPECT_EQ(Walk(e), (std::vector<std::string>{"/devroot/usb/lp0", "/devroot/usb/lp2",
                                               "/devroot/usb/lp10"}));
  EXPECT_EQ(e.DevicePathAt(-1), std::nullopt);
  EXPECT_EQ(e.DevicePathAt(3), std::nullopt);
}

}  // namespace
}  // namespace platform
