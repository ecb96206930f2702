#include "link/cdev.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/test_services.h"
#include "platform/registry/registry.h"

namespace {

using fakes::Bytes;
using fakes::Hex;
using platform::LineSettings;
using platform::SerialTimeouts;

const Bytes kProbe = {0x00};

struct LinkTest : ::testing::Test {
  fakes::TestServices t;
  devlink::CDev dev{t.services};
  devlink::LinkSettings settings;
  fakes::DeviceRecord& record = t.devices.record;

  std::vector<std::string> CloseSequence() const {
    return record.CallNames({"ClearEventMask", "Purge", "Close"});
  }
};

// ------------------------------------------------------------------ port names

struct PathCase {
  int interface;
  int handheld;
  std::string port_name;
  std::string expected_path;
};
// Named, not dumped byte by byte (which reads the padding and unused string bytes).
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.port_name; }

class PortPathTest : public LinkTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(PortPathTest, OpensTheResolvedDevice) {
  const PathCase& c = GetParam();
  platform::WriteString(t.registry, platform::kPortsKey, "COM5", "/dev/ttyUSB0");
  devlink::CDev link(t.services, c.handheld != 0);
  t.conversation.Expect(kProbe);

  EXPECT_EQ(link.Open({.interface = c.interface, .port_name = c.port_name}), 1);
  EXPECT_TRUE(link.is_open());
  ASSERT_EQ(record.opened_paths.size(), 1u);
  EXPECT_EQ(record.opened_paths[0], c.expected_path);
  EXPECT_TRUE(t.conversation.AllWritten());
}

INSTANTIATE_TEST_SUITE_P(
    Names, PortPathTest,
    ::testing::Values(PathCase{devlink::CDev::kInterfaceSerial, 0, "COM12", "/dev/ttyS11"},
                      PathCase{devlink::CDev::kInterfaceSerial, 0, "COM1", "/dev/ttyS0"},
                      PathCase{devlink::CDev::kInterfaceBluetooth, 0, "COM3", "/dev/rfcomm2"},
                      PathCase{devlink::CDev::kInterfaceSerial, 1, "COM1:", "/dev/ttyS0"},
                      PathCase{devlink::CDev::kInterfaceBluetooth, 1, "COM2:", "/dev/rfcomm1"},
                      PathCase{devlink::CDev::kInterfaceSerial, 0, "COM5", "/dev/ttyUSB0"}));

// ------------------------------------------------------------------ line settings

struct LineCase {
  const char* name;
  int parity;
  int flow_control;
  bool bluetooth;
  LineSettings expected;
};

LineSettings Line(platform::Parity parity, bool check, bool cts, bool dsr, bool dtr, bool rts) {
  LineSettings s;
  s.baud = 9600;
  s.data_bits = 8;
  s.parity = parity;
  s.check_received_parity = check;
  s.stop_bits = platform::StopBits::kTwo;
  s.transmit_waits_for_cts = cts;
  s.transmit_waits_for_dsr = dsr;
  s.dtr_on = dtr;
  s.rts_on = rts;
  return s;
}

TEST(SerialLineSettingsTest, MapsParityAndHandshakeForEachTransport) {
  using platform::Parity;
  const LineCase cases[] = {
      {"serial none, flow 0", 0, 0, false, Line(Parity::kNone, false, false, false, false, false)},
      {"serial odd, flow 1", 1, 1, false, Line(Parity::kOdd, true, true, false, true, false)},
      {"serial even, flow 1", 2, 1, false, Line(Parity::kEven, false, true, false, true, false)},
      {"bluetooth even, flow 0", 2, 0, true, Line(Parity::kEven, false, true, true, true, true)},
      {"bluetooth odd, flow 1", 1, 1, true, Line(Parity::kOdd, true, true, true, true, true)},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::TestServices t;
    const devlink::LinkSettings line{.baud_rate = 9600,
                                     .parity = c.parity,
                                     .data_bits = 0x108,  // only the low byte counts
                                     .stop_bits = 2,
                                     .flow_control = c.flow_control};
    EXPECT_EQ(devlink::SerialLineSettings(line, c.bluetooth), c.expected);
  }
}

TEST_F(LinkTest, OpenAppliesTheComputedLineSettings) {
  settings.interface = devlink::CDev::kInterfaceSerial;
  settings.port_name = "COM2";
  settings.parity = 1;
  settings.flow_control = 1;
  t.conversation.Expect(kProbe);
  ASSERT_EQ(dev.Open(settings), 1);
  ASSERT_EQ(record.line_settings.size(), 1u);
  EXPECT_EQ(record.line_settings[0], devlink::SerialLineSettings(settings, false));
  ASSERT_EQ(record.timeouts.size(), 1u);
  EXPECT_EQ(record.timeouts[0], devlink::DesktopSerialTimeouts());
  EXPECT_EQ(record.timeouts[0].read_interval, SerialTimeouts::kReturnAtOnce);
}

TEST(BluetoothTimeoutsTest, WriteTimePerByteFollowsTheBaudRate) {
  const struct {
    uint32_t baud;
    uint32_t per_byte;
  } cases[] = {{2400, 8}, {9600, 2}, {19200, 1}, {38400, 0}, {115200, 0}, {0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.baud);
    const SerialTimeouts got = devlink::BluetoothTimeouts(c.baud);
    EXPECT_EQ(got, (SerialTimeouts{SerialTimeouts::kReturnAtOnce, 0, 0, c.per_byte, 0}));
  }
}

TEST_F(LinkTest, BluetoothAppliesItsTimeoutsBeforeAndAfterTheProbe) {
  settings.interface = devlink::CDev::kInterfaceBluetooth;
  settings.port_name = "COM4";
  settings.baud_rate = 2400;
  t.conversation.Expect(kProbe);
  ASSERT_EQ(dev.Open(settings), 1);
  EXPECT_EQ(dev.transport(), devlink::CDev::kTransportBluetooth);
  EXPECT_EQ(record.CallNames({"SetTimeouts", "Purge", "Write", "GetModemStatus"}),
            (std::vector<std::string>{"SetTimeouts", "Purge", "Write", "GetModemStatus",
                                      "GetModemStatus", "SetTimeouts"}));
  EXPECT_EQ(record.timeouts, std::vector<SerialTimeouts>(2, devlink::BluetoothTimeouts(2400)));
}

// ------------------------------------------------------------------ failing opens

TEST_F(LinkTest, FirstModemStatusReadingIsDiscarded) {
  settings.port_name = "COM1";
  record.modem_readings = {platform::ModemStatus{},
                           platform::ModemStatus{true, true, false, false}};
  t.conversation.Expect(kProbe);
  EXPECT_EQ(dev.Open(settings), 1);
}

enum class ProbeFault { kDsrOff, kStatusFails, kWriteFails, kConfigureFails, kTimeoutsFail };

class ProbeFaultTest : public LinkTest,
                       public ::testing::WithParamInterface<std::tuple<ProbeFault, int>> {};

TEST_P(ProbeFaultTest, FailedOpenClosesThePortFully) {
  const auto [fault, interface] = GetParam();
  settings.interface = interface;
  settings.port_name = "COM1";
  switch (fault) {
    case ProbeFault::kDsrOff:
      record.dsr_on = false;
      t.conversation.Expect(kProbe);
      break;
    case ProbeFault::kStatusFails:
      record.modem_readings = {platform::ModemStatus{true}, std::nullopt};
      t.conversation.Expect(kProbe);
      break;
    case ProbeFault::kWriteFails:
      t.conversation.Expect(kProbe);
      t.conversation.FailNextWrite();
      break;
    case ProbeFault::kConfigureFails:
      record.configure_ok = false;
      break;
    case ProbeFault::kTimeoutsFail:
      record.set_timeouts_results = {false};
      break;
  }

  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_FALSE(dev.is_open());
  EXPECT_EQ(record.open_devices, 0);
  EXPECT_EQ(record.Count("Close"), 1);
  std::vector<std::string> close_calls = {"Purge", "Close"};
  if (interface == devlink::CDev::kInterfaceSerial)
    close_calls.insert(close_calls.begin(), "ClearEventMask");
  const std::vector<std::string> names = record.CallNames();
  ASSERT_GE(names.size(), close_calls.size());
  EXPECT_EQ(
      std::vector<std::string>(names.end() - static_cast<long>(close_calls.size()), names.end()),
      close_calls);
  EXPECT_EQ(record.Last("Close")->at_ms - record.Last("Purge")->at_ms, 200u);
  // A failed open must not leave the probe's purge and close unpaced or skip the port's close.
  EXPECT_EQ(t.clock.NowMs(), 200u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ProbeFaultTest,
    ::testing::Combine(
        ::testing::Values(ProbeFault::kDsrOff, ProbeFault::kStatusFails, ProbeFault::kWriteFails,
                          ProbeFault::kConfigureFails, ProbeFault::kTimeoutsFail),
        ::testing::Values(devlink::CDev::kInterfaceSerial, devlink::CDev::kInterfaceBluetooth)));

TEST_F(LinkTest, BusyPortIsTriedThreeTimes400MsApart) {
  settings.port_name = "COM3";
  record.serial_open_failures = 3;
  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_FALSE(dev.is_open());
  std::vector<uint64_t> open_times;
  for (const fakes::Call& c : record.calls) {
    if (c.name == "Open") open_times.push_back(c.at_ms);
  }
  EXPECT_EQ(open_times, (std::vector<uint64_t>{0, 400, 800}));
  EXPECT_EQ(t.clock.NowMs(), 800u);  // no wait after the last attempt
  EXPECT_EQ(record.Count("Configure"), 0);
  EXPECT_EQ(record.Count("Close"), 0);
  EXPECT_TRUE(t.conversation.Written().empty());
}

TEST_F(LinkTest, PortThatOpensOnTheThirdAttemptWorks) {
  settings.port_name = "COM3";
  record.serial_open_failures = 2;
  t.conversation.Expect(kProbe);
  EXPECT_EQ(dev.Open(settings), 1);
  EXPECT_EQ(record.Count("Open"), 3);
  EXPECT_EQ(record.First("Configure")->at_ms, 800u);
}

TEST_F(LinkTest, UnknownInterfaceFailsWithoutTouchingAnything) {
  for (int interface : {7, -1, 4}) {
    SCOPED_TRACE(interface);
    settings.interface = interface;
    EXPECT_EQ(dev.Open(settings), 0);
    EXPECT_EQ(dev.transport(), devlink::CDev::kTransportSerial);
    EXPECT_FALSE(dev.is_open());
  }
  EXPECT_TRUE(record.calls.empty());
  EXPECT_EQ(t.clock.NowMs(), 0u);
}

// ------------------------------------------------------------------ TCP/IP

TEST(StripNetPrefixTest, RemovesTheLeadingRunOfNetLetters) {
  const std::pair<std::string, std::string> cases[] = {{"NET10.0.0.5", "10.0.0.5"},
                                                       {"NETNET1.2.3.4", "1.2.3.4"},
                                                       {"TEN9.9.9.9", "9.9.9.9"},
                                                       {"192.168.0.10", "192.168.0.10"},
                                                       {"NET", ""},
                                                       {"net1.2.3.4", "net1.2.3.4"},
                                                       // Host names and IPv6 stay whole.
                                                       {"TEN1.shop.example", "TEN1.shop.example"},
                                                       {"EE::1", "EE::1"}};
  for (const auto& [name, address] : cases)
    EXPECT_EQ(devlink::StripNetPrefix(name), address) << name;
}

TEST_F(LinkTest, TcpConnectsToTheAddressAndLow16BitsOfTheTcpPort) {
  const struct {
    std::string name;
    uint32_t baud;
    std::string address;
    uint16_t port;
  } cases[] = {{"NET10.0.0.5", 9100, "10.0.0.5", 9100},
               {"NETNET1.2.3.4", 0x12345, "1.2.3.4", 0x2345}};
  for (const auto& c : cases) {
    settings.interface = devlink::CDev::kInterfaceTcp;
    settings.port_name = c.name;
    settings.tcp_port = c.baud;
    EXPECT_EQ(dev.Open(settings), 1);
    EXPECT_EQ(dev.transport(), devlink::CDev::kTransportTcp);
    dev.Close();
  }
  EXPECT_EQ(record.connects, (std::vector<std::pair<std::string, uint16_t>>{{"10.0.0.5", 9100},
                                                                            {"1.2.3.4", 0x2345}}));
  EXPECT_EQ(record.open_devices, 0);
  EXPECT_EQ(record.Count("Purge"), 0);
  EXPECT_EQ(t.clock.NowMs(), 0u);  // a socket closes without the serial settle time
}

TEST_F(LinkTest, TcpConnectFailureFails) {
  settings.interface = devlink::CDev::kInterfaceTcp;
  settings.port_name = "NET10.0.0.9";
  record.connect_ok = false;
  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_FALSE(dev.is_open());
  EXPECT_EQ(dev.Write(Hex("1D 49 43").data(), 3), -1);
}

// A host name is looked up through the services' resolver and its addresses are tried in turn;
// an IPv6 address is shown bracketed.
TEST_F(LinkTest, TcpNameTriesEachAddressAndIpv6IsBracketed) {
  struct Names : platform::HostResolver {
    platform::HostLookup Resolve(const std::string& name) override {
      asked.push_back(name);
      if (name == "till-3.shop.example") return {{"fd00::9", "10.0.0.9", "10.0.0.10"}, ""};
      return {{}, "Name or service not known"};
    }
    std::vector<std::string> asked;
  } names;
  settings.interface = devlink::CDev::kInterfaceTcp;
  settings.port_name = "till-3.shop.example";
  // Without a resolver a name goes to the socket as it is, which refuses it.
  record.refused_addresses = {"till-3.shop.example", "fd00::9"};
  EXPECT_EQ(dev.Open(settings), 0);
  t.services.names = &names;
  EXPECT_EQ(dev.Open(settings), 1);
  EXPECT_EQ(dev.failure_target(), "till-3.shop.example:9100");
  dev.Close();
  settings.port_name = "gone.shop.example";
  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_EQ(dev.last_cause(), platform::FailureCause::kBadAddress);
  settings.port_name = "fd00::9";
  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_EQ(dev.failure_target(), "[fd00::9]:9100");
  EXPECT_EQ(dev.last_cause(), platform::FailureCause::kIoError);
  EXPECT_EQ(names.asked, (std::vector<std::string>{"till-3.shop.example", "gone.shop.example"}));
  EXPECT_EQ(record.connects,
            (std::vector<std::pair<std::string, uint16_t>>{{"till-3.shop.example", 9100},
                                                           {"fd00::9", 9100},
                                                           {"10.0.0.9", 9100},
                                                           {"fd00::9", 9100}}));
  EXPECT_EQ(record.open_devices, 0);
}

// ------------------------------------------------------------------ USB

TEST_F(LinkTest, UsbOpensThePathExclusivelyOnceAndClosesWithoutPauses) {
  settings.interface = devlink::CDev::kInterfaceUsb;
  settings.port_name = "/dev/usb/lp1";
  record.device_open_failures = 1;
  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_EQ(record.Count("Open"), 1);  // no retry
  EXPECT_EQ(record.First("Open")->detail, "/dev/usb/lp1 exclusive");

  EXPECT_EQ(dev.Open(settings), 1);
  EXPECT_EQ(dev.transport(), devlink::CDev::kTransportUsb);
  dev.Close();
  EXPECT_EQ(record.CallNames({"Purge", "ClearEventMask", "Close"}),
            std::vector<std::string>{"Close"});
  EXPECT_EQ(t.clock.NowMs(), 0u);
  EXPECT_EQ(record.open_devices, 0);
}

// ------------------------------------------------------------------ close

TEST_F(LinkTest, SerialCloseClearsEventsPurgesWaitsThenCloses) {
  settings.port_name = "COM1";
  t.conversation.Expect(kProbe);
  ASSERT_EQ(dev.Open(settings), 1);
  const size_t before = record.calls.size();
  const uint64_t start = t.clock.NowMs();
  dev.Close();
  EXPECT_FALSE(dev.is_open());
  ASSERT_EQ(record.calls.size(), before + 3);
  EXPECT_EQ(record.calls[before].name, "ClearEventMask");
  EXPECT_EQ(record.calls[before + 1].name, "Purge");
  EXPECT_EQ(record.calls[before + 1].at_ms, start);
  EXPECT_EQ(record.calls[before + 2].name, "Close");
  EXPECT_EQ(record.calls[before + 2].at_ms, start + 200);
  dev.Close();  // closing again is harmless
  EXPECT_EQ(record.Count("Close"), 1);
}

TEST_F(LinkTest, DestructorClosesAnOpenLink) {
  {
    devlink::CDev other(t.services);
    ASSERT_EQ(other.Open({.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET127.0.0.1"}),
              1);
    EXPECT_EQ(record.open_devices, 1);
  }
  EXPECT_EQ(record.open_devices, 0);
  EXPECT_EQ(record.Count("Close"), 1);
}

// ------------------------------------------------------------------ handheld mode

TEST_F(LinkTest, HandheldSerialUsesProbeThenReadyTimeoutsAndSlowClose) {
  devlink::CDev dev(t.services, /*handheld=*/true);
  settings.port_name = "COM1:";
  t.conversation.Expect(kProbe);
  ASSERT_EQ(dev.Open(settings), 1);
  EXPECT_EQ(record.timeouts, (std::vector<SerialTimeouts>{devlink::HandheldProbeTimeouts(),
                                                          devlink::HandheldReadyTimeouts()}));
  EXPECT_EQ(devlink::HandheldProbeTimeouts(), (SerialTimeouts{3000, 1000, 10, 1000, 1000}));
  EXPECT_EQ(devlink::HandheldReadyTimeouts(), (SerialTimeouts{10, 10, 1000, 1000, 1000}));

  const uint64_t start = t.clock.NowMs();
  dev.Close();
  EXPECT_EQ(record.First("ClearEventMask")->at_ms, start + 1000);
  EXPECT_EQ(record.Last("Close")->at_ms, start + 1200);
}

TEST_F(LinkTest, HandheldReadyTimeoutFailureFailsTheOpen) {
  devlink::CDev dev(t.services, /*handheld=*/true);
  settings.port_name = "COM1:";
  record.set_timeouts_results = {true, false};
  t.conversation.Expect(kProbe);
  EXPECT_EQ(dev.Open(settings), 0);
  EXPECT_FALSE(dev.is_open());
  EXPECT_EQ(record.open_devices, 0);
  EXPECT_EQ(CloseSequence(),
            (std::vector<std::string>{"Purge", "ClearEventMask", "Purge", "Close"}));
  // The close of a handheld waits a second before the serial settle time.
  EXPECT_EQ(record.Last("Close")->at_ms - record.Last("GetModemStatus")->at_ms, 1200u);
}

TEST_F(LinkTest, HandheldTcpCloseWaitsASecond) {
  devlink::CDev dev(t.services, /*handheld=*/true);
  settings.interface = devlink::CDev::kInterfaceTcp;
  settings.port_name = "NET10.0.0.5";
  ASSERT_EQ(dev.Open(settings), 1);
  dev.Close();
  EXPECT_EQ(record.Last("Close")->at_ms, 1000u);
}

// ------------------------------------------------------------------ traffic pacing

TEST_F(LinkTest, WritePausesBeforeSendingAndReadAfterReceiving) {
  settings.interface = devlink::CDev::kInterfaceTcp;
  settings.port_name = "NET10.0.0.5";
  settings.tcp_port = 9100;
  ASSERT_EQ(dev.Open(settings), 1);
  t.conversation.Expect(Hex("1D 49 43")).Reply(Hex("5F 41 00"), 0);

  const Bytes query = Hex("1D 49 43");
  EXPECT_EQ(dev.Write(query.data(), 3), 3);
  EXPECT_EQ(t.conversation.WriteTimes(), std::vector<uint64_t>{10});
  EXPECT_EQ(t.clock.NowMs(), 10u);

  uint8_t buffer[8] = {};
  EXPECT_EQ(dev.Read(buffer, sizeof buffer, 1000), 3);
  EXPECT_EQ(record.Last("Receive")->at_ms, 10u);
  EXPECT_EQ(t.clock.NowMs(), 20u);
  EXPECT_EQ(Bytes(buffer, buffer + 3), Hex("5F 41 00"));
  EXPECT_TRUE(t.trace.Contains("[ETH][==>] 1D 49 43\r\n"));
  EXPECT_TRUE(t.trace.Contains("[ETH][<==] 5F 41 00\r\n\r\n"));
}

TEST_F(LinkTest, SerialTrafficIsTracedOnTheComChannelAndReadsDoNotAccumulate) {
  settings.port_name = "COM1";
  t.conversation.Expect(kProbe).Expect(Hex("1B 4D 49")).Reply(Hex("37 80 50 00"), 5);
  ASSERT_EQ(dev.Open(settings), 1);
  const uint64_t start = t.clock.NowMs();
  const Bytes query = Hex("1B 4D 49");
  ASSERT_EQ(dev.Write(query.data(), 3), 3);
  uint8_t buffer[2] = {};
  EXPECT_EQ(dev.Read(buffer, 2, 1000), 0);  // not due yet: a desktop read returns at once
  EXPECT_EQ(t.clock.NowMs(), start + 20);
  EXPECT_EQ(dev.Read(buffer, 2, 1000), 2);
  EXPECT_EQ(Bytes(buffer, buffer + 2), Hex("37 80"));
  EXPECT_EQ(dev.Read(buffer, 2, 1000), 2);
  EXPECT_EQ(Bytes(buffer, buffer + 2), Hex("50 00"));
  EXPECT_TRUE(t.trace.Contains("[COM][==>] 1B 4D 49\r\n"));
  EXPECT_TRUE(t.trace.Contains("[COM][<==] 37 80\r\n\r\n"));
  EXPECT_TRUE(t.conversation.AllRead());
}

}  // namespace
