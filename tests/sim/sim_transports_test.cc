#include "sim/sim_transports.h"

#include <gtest/gtest.h>

#include <vector>

namespace sim {
namespace {

constexpr uint8_t kOpenCheck[] = {0x1B, 0x4D, 0x49};

class TransportsTest : public ::testing::Test {
 protected:
  platform::VirtualClock clock_{1000};
  PrinterModel model_;
  SimDeviceFactory factory_{model_, clock_};
  uint8_t buffer_[100] = {};
};

TEST_F(TransportsTest, SerialReadReturnsAtOnceWithWhatIsDue) {
  model_.config().reply_delay_ms = 30;
  auto port = factory_.NewSerialPort();
  ASSERT_TRUE(port->Open("/dev/ttyS0"));
  platform::ModemStatus status;
  ASSERT_TRUE(port->GetModemStatus(&status));
  EXPECT_TRUE(status.dsr);
  EXPECT_EQ(port->Write(kOpenCheck, 3), 3u);
  EXPECT_EQ(port->Read(buffer_, sizeof buffer_), 0u);
  EXPECT_EQ(clock_.NowMs(), 1000u);  // no waiting
  clock_.Advance(30);
  EXPECT_EQ(port->Read(buffer_, sizeof buffer_), 4u);
  EXPECT_EQ(factory_.line().sent, std::vector<uint8_t>(kOpenCheck, kOpenCheck + 3));
}

TEST_F(TransportsTest, SerialReadWithTimeoutsWaitsInVirtualTime) {
  model_.config().reply_delay_ms = 300;
  auto port = factory_.NewSerialPort();
  ASSERT_TRUE(port->Open("COM1"));
  ASSERT_TRUE(port->SetTimeouts({10, 10, 1000, 0, 0}));
  port->Write(kOpenCheck, 3);
  EXPECT_EQ(port->Read(buffer_, 4), 4u);
  EXPECT_EQ(clock_.NowMs(), 1300u);
  EXPECT_EQ(port->Read(buffer_, 4), 0u);
  EXPECT_EQ(clock_.NowMs(), 1300u + 1000 + 40);
}

TEST_F(TransportsTest, PrinterSwitchedOffShowsDsrOffAndHearsNothing) {
  factory_.line().printer_on = false;
  auto port = factory_.NewSerialPort();
  ASSERT_TRUE(port->Open("COM1"));
  platform::ModemStatus status;
  ASSERT_TRUE(port->GetModemStatus(&status));
  EXPECT_FALSE(status.dsr);
  port->Write(kOpenCheck, 3);
  clock_.Advance(1000);
  EXPECT_EQ(port->Read(buffer_, sizeof buffer_), 0u);
  EXPECT_FALSE(factory_.NewTcpSocket()->Connect("127.0.0.1", 9100));
  EXPECT_FALSE(factory_.NewUsbPrinterEnumerator()->DevicePathAt(0).has_value());
}

TEST_F(TransportsTest, OpenCanBeMadeToFail) {
  factory_.line().open_fails = true;
  EXPECT_FALSE(factory_.NewSerialPort()->Open("COM1"));
  EXPECT_FALSE(factory_.NewDeviceFile()->Open("/dev/usb/lp0", true));
  EXPECT_FALSE(factory_.NewTcpSocket()->Connect("127.0.0.1", 9100));
  EXPECT_EQ(factory_.line().opens, 0);
}

TEST_F(TransportsTest, TcpReceiveWaitsForTheNextReplyOrTimesOut) {
  model_.config().reply_delay_ms = 300;
  auto socket = factory_.NewTcpSocket();
  ASSERT_TRUE(socket->Connect("127.0.0.1", 9100));
  EXPECT_EQ(socket->Send(kOpenCheck, 3), 3);
  EXPECT_EQ(socket->Receive(buffer_, sizeof buffer_), 4);
  EXPECT_EQ(clock_.NowMs(), 1300u);
  EXPECT_EQ(socket->Receive(buffer_, sizeof buffer_), 0);
  EXPECT_EQ(clock_.NowMs(), 1300u + 500);  // the receive time-out
  // A reply later than the receive time-out is not waited for past it.
  model_.faults().extra_delay_ms = 5000;
  socket->Send(kOpenCheck, 3);
  const uint64_t sent_at = clock_.NowMs();
  EXPECT_EQ(socket->Receive(buffer_, sizeof buffer_), 0);
  EXPECT_EQ(clock_.NowMs(), sent_at + platform::TcpSocket::kReceiveTimeoutMs);
}

TEST_F(TransportsTest, TcpDroppedConnectionLooksClosed) {
  model_.faults().drop_after_bytes = 2;
  auto socket = factory_.NewTcpSocket();
  ASSERT_TRUE(socket->Connect("127.0.0.1", 9100));
  socket->Send(kOpenCheck, 3);
  EXPECT_EQ(socket->Receive(buffer_, sizeof buffer_), 0);
  EXPECT_TRUE(socket->PeerClosed(0));
  // As over a real connection: the next send is taken and lost, the one after it fails.
  EXPECT_EQ(socket->Send(kOpenCheck, 3), 3);
  EXPECT_EQ(socket->Send(kOpenCheck, 3), -1);
  socket->Close();
  ASSERT_TRUE(socket->Connect("127.0.0.1", 9100));  // a new connection starts afresh
  EXPECT_EQ(socket->Send(kOpenCheck, 2), 2);
}

TEST_F(TransportsTest, UsbListsConfiguredPathsAndOpensOnlyThose) {
  factory_.line().usb_paths = {"/dev/usb/lp0", "/dev/usb/lp3"};
  auto enumerator = factory_.NewUsbPrinterEnumerator();
  EXPECT_EQ(enumerator->DevicePathAt(1), "/dev/usb/lp3");
  EXPECT_FALSE(enumerator->DevicePathAt(2).has_value());
  EXPECT_FALSE(factory_.NewDeviceFile()->Open("/dev/usb/lp1", true));
  auto device = factory_.NewDeviceFile();
  ASSERT_TRUE(device->Open("/dev/usb/lp3", true));
  EXPECT_EQ(factory_.line().open_transports, 1);
  device->Write(kOpenCheck, 3);
  EXPECT_EQ(device->Read(buffer_, sizeof buffer_), 4u);
  device.reset();
  EXPECT_EQ(factory_.line().open_transports, 0);
}

TEST_F(TransportsTest, PurgeDiscardsRepliesAlreadyArrived) {
  auto port = factory_.NewSerialPort();
  ASSERT_TRUE(port->Open("COM1"));
  port->Write(kOpenCheck, 3);
  clock_.Advance(100);
  ASSERT_TRUE(port->Purge());
  EXPECT_EQ(port->Read(buffer_, sizeof buffer_), 0u);
}

}  // namespace
}  // namespace sim
