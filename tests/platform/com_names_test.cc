#include "platform/devices/com_names.h"

#include <gtest/gtest.h>

#include "platform/registry/memory_registry.h"

namespace platform {
namespace {

TEST(ResolveComName, MapsWindowsPortNamesToDevices) {
  MemoryRegistry reg;
  ASSERT_TRUE(WriteString(reg, kPortsKey, "COM5", "/dev/ttyUSB0"));
  ASSERT_TRUE(WriteString(reg, kPortsKey, "com6", "/dev/rfcomm7"));
  ASSERT_TRUE(WriteString(reg, kPortsKey, "COM8", ""));  // empty: no mapping
  ASSERT_TRUE(WriteDword(reg, kPortsKey, "COM9", 1));    // mistyped: no mapping
  struct Case {
    const char* name;
    bool bluetooth;
    const char* expected;
  };
  const Case cases[] = {
      {"COM3", false, "/dev/ttyS2"},
      {"COM3", true, "/dev/rfcomm2"},
      {"COM1:", false, "/dev/ttyS0"},  // the handheld's spelling
      {"com12", false, "/dev/ttyS11"},
      {"COM255", true, "/dev/rfcomm254"},
      {"COM5", false, "/dev/ttyUSB0"},  // the mapping wins, for either interface
      {"COM5", true, "/dev/ttyUSB0"},
      {"COM6:", false, "/dev/rfcomm7"},
      {"COM8", false, "/dev/ttyS7"},
      {"COM9", true, "/dev/rfcomm8"},
      {"/dev/x", false, "/dev/x"},
      {"/dev/ttyACM0:", true, "/dev/ttyACM0:"},
      // Not a COM name: returned unchanged.
      {"COM0", false, "COM0"},
      {"COM256", false, "COM256"},
      {"COM03", false, "COM03"},
      {"COM", false, "COM"},
      {"COM-1", false, "COM-1"},
      {"COM 3", false, "COM 3"},
      {"COM3x", false, "COM3x"},
      {"LPT1", false, "LPT1"},
      {"", false, ""},
      {"COM1::", false, "COM1::"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveComName(c.name, c.bluetooth, reg), c.expected)
        << c.name << (c.bluetooth ? " (Bluetooth)" : "");
  }
}

}  // namespace
}  // namespace platform
