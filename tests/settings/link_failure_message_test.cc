// What a person reads when the link to the printer fails: the transfer's own message first, then
// the cause and what to do about it.

#include <gtest/gtest.h>

#include <string>

#include "fakes/test_services.h"
#include "link/link_failure.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "settings/dialogs/vmsm_pro_dlg.h"
#include "transfer_fixture.h"
#include "ui/automation/scripted_host.h"

namespace {

struct LinkFailureMessageTest : ::testing::Test {
  LinkFailureMessageTest() { host.SetIdleLimitMs(uint64_t{1000} * 3600); }

  // Runs a read-all over the given port and returns its message.
  std::string ReadAllMessage(int interface, const std::string& port_name, uint32_t baud) {
    util.SetLinkSettings({.interface = interface, .port_name = port_name, .baud_rate = baud});
    settings::CVmsmProDlg dlg(settings::CVmsmProDlg::kModeReadAll, &vmsm);
    EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
    EXPECT_EQ(t.devices.record.open_devices, 0);
    return dlg.message();
  }

  fakes::TestServices t;
  fakes::DeviceRecord& record = t.devices.record;
  protocol::CCommonUtil util{t.services};
  protocol::CCommonVmsm vmsm{&util, t.clock};
  ui::ScriptedHost host{t.clock, transfer_test::TransferResources()};
};

TEST_F(LinkFailureMessageTest, UsbDeviceWithoutPermissionSaysWhichGroupToJoin) {
  record.device_open_failures = 1;
  record.open_failure_cause = platform::FailureCause::kPermissionDenied;
  EXPECT_EQ(ReadAllMessage(devlink::CDev::kInterfaceUsb, "/dev/usb/lp0", 0),
            "Port open error!\n/dev/usb/lp0: permission denied; add yourself to group lp "
            "(sudo usermod -aG lp $USER) and log in again");
}

TEST_F(LinkFailureMessageTest, RefusedTcpConnectionNamesTheAddress) {
  record.connect_ok = false;
  record.open_failure_cause = platform::FailureCause::kConnectionRefused;
  EXPECT_EQ(ReadAllMessage(devlink::CDev::kInterfaceTcp, "NET127.0.0.1", 9100),
            "Port open error!\n127.0.0.1:9100: connection refused; check the port number (most "
            "printers use 9100)");
}

TEST_F(LinkFailureMessageTest, SerialLineWithoutDsrSaysThePrinterIsOffOrTheCableLacksIt) {
  record.dsr_on = false;
  t.conversation.Expect({0x00});  // the presence probe
  EXPECT_EQ(ReadAllMessage(devlink::CDev::kInterfaceSerial, "COM1", 115200),
            "Port open error!\n/dev/ttyS0: no DSR; the printer is switched off or the cable "
            "lacks the DSR line");
}

// A stalled write and a missing DSR read differently where the printer is no TCP/IP or cable one;
// a line setting the port refuses is no cable fault.
TEST(LinkFailureWording, TimeoutsAndDsrAreWordedForTheTransport) {
  using platform::FailureCause;
  const struct {
    FailureCause cause;
    const char* target;
    int transport;
    const char* line;
  } cases[] = {
      {FailureCause::kUnreachable, "/dev/usb/lp0", devlink::CDev::kTransportUsb,
       "/dev/usb/lp0: the printer takes no data; check that it is switched on and ready"},
      {FailureCause::kNoDsr, "/dev/rfcomm0", devlink::CDev::kTransportBluetooth,
       "/dev/rfcomm0: no DSR; the printer is switched off or its Bluetooth link is not up"},
      {FailureCause::kUnreachable, "/dev/rfcomm0", devlink::CDev::kTransportBluetooth,
       "/dev/rfcomm0: no Bluetooth connection; check that the printer is switched on, in range "
       "and paired"},
      {FailureCause::kLineRefused, "/dev/ttyUSB0", devlink::CDev::kTransportSerial,
       "/dev/ttyUSB0: the port cannot be set to this rate, data bits and parity; choose settings "
       "it takes, and set the printer to match"},
      // An answer not understood on a serial line is most often a rate or parity that differs.
      {FailureCause::kUnreadableAnswer, "/dev/ttyUSB0", devlink::CDev::kTransportSerial,
       "/dev/ttyUSB0: the answer was cut short or could not be understood; check that the baud "
       "rate, data bits and parity match the printer's"},
      // A Bluetooth port that fails has lost its link, not a cable.
      {FailureCause::kIoError, "/dev/rfcomm0", devlink::CDev::kTransportBluetooth,
       "/dev/rfcomm0: no Bluetooth connection; check that the printer is switched on, in range "
       "and paired"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(devlink::DescribeFailure(c.cause, c.target, c.transport), c.line);
  }
}

}  // namespace
