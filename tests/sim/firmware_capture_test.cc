#include "sim/firmware_capture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sim {
namespace {

// A capture that could not take a piece has failed for good: the pieces after it would follow a
// hole, so they are not written, and the failure is said once, by the first.
TEST(FirmwareCapture, AWriteThatFailsEndsTheCapture) {
  FirmwareCapture capture;
  std::string error;
  ASSERT_TRUE(capture.Open("/dev/full", &error)) << error;
  const std::vector<uint8_t> piece(100, 0x5A);
  EXPECT_FALSE(capture.failed());
  EXPECT_FALSE(capture.Append(piece, &error));
  EXPECT_EQ(error, "cannot write /dev/full: No space left on device");
  EXPECT_TRUE(capture.failed());
  error.clear();
  EXPECT_FALSE(capture.Append(piece, &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(capture.total(), 0u);
}

}  // namespace
}  // namespace sim
