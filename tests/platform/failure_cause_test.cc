#include "platform/devices/failure_cause.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>

#include <cerrno>
#include <utility>

#include "platform/devices/posix_device_file.h"
#include "platform/devices/posix_serial_port.h"
#include "platform/devices/posix_tcp_socket.h"
#include "platform/system/unique_fd.h"

namespace platform {
namespace {

TEST(FailureCauseTest, ErrnoValuesMapToTheCauseAPersonCanActOn) {
  const std::pair<int, FailureCause> cases[] = {
      {0, FailureCause::kNone},
      {EACCES, FailureCause::kPermissionDenied},
      {EPERM, FailureCause::kPermissionDenied},
      {ENOENT, FailureCause::kNoSuchDevice},
      {ENODEV, FailureCause::kNoSuchDevice},
      {ENXIO, FailureCause::kNoSuchDevice},
      {EISDIR, FailureCause::kNoSuchDevice},
      {ELOOP, FailureCause::kNoSuchDevice},
      {ENOTTY, FailureCause::kNotSerialPort},
      {EBUSY, FailureCause::kDeviceBusy},
      {EWOULDBLOCK, FailureCause::kDeviceBusy},
      {ECONNREFUSED, FailureCause::kConnectionRefused},
      {EHOSTUNREACH, FailureCause::kUnreachable},
      {ENETUNREACH, FailureCause::kUnreachable},
      {ETIMEDOUT, FailureCause::kUnreachable},
      {EIO, FailureCause::kIoError},
      {EPIPE, FailureCause::kIoError},
      {ECONNRESET, FailureCause::kIoError},
  };
  for (const auto& [error, cause] : cases) EXPECT_EQ(CauseFromErrno(error), cause) << error;
}

// The backends report the cause of the call that failed, and forget it on the next good open.
TEST(FailureCauseTest, BackendsReportTheCauseOfTheFailedCall) {
  PosixDeviceFile device;
  EXPECT_FALSE(device.Open("/nonexistent/usb/lp9", true));
  EXPECT_EQ(device.LastCause(), FailureCause::kNoSuchDevice);
  ASSERT_TRUE(device.Open("/dev/null", true));
  EXPECT_EQ(device.LastCause(), FailureCause::kNone);

  // A serial path that is no terminal line, and a line that cannot take the rate asked for.
  PosixSerialPort serial;
  EXPECT_FALSE(serial.Open("/dev/null"));
  EXPECT_EQ(serial.LastCause(), FailureCause::kNotSerialPort);
  UniqueFd pty(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(pty.valid() && ::grantpt(pty.get()) == 0 && ::unlockpt(pty.get()) == 0);
  ASSERT_TRUE(serial.Open(::ptsname(pty.get())));
  EXPECT_FALSE(serial.Configure(LineSettings{.baud = 12345}));
  EXPECT_EQ(serial.LastCause(), FailureCause::kLineRefused);

  PosixTcpSocket socket(/*connect_timeout_ms=*/2000);
  EXPECT_FALSE(socket.Connect("127.0.0.300", 9100));
  EXPECT_EQ(socket.LastCause(), FailureCause::kBadAddress);
  // A port that was just bound and released: nothing listens there.
  UniqueFd probe(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  ASSERT_EQ(::bind(probe.get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&a), &size), 0);
  probe.Reset();
  EXPECT_FALSE(socket.Connect("127.0.0.1", ntohs(a.sin_port)));
  EXPECT_EQ(socket.LastCause(), FailureCause::kConnectionRefused);
}

}  // namespace
}  // namespace platform
