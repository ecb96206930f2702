// The main dialog under the scripted host: layouts, restore and store of the communication
// setting, USB discovery, the hand-over to the link.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_resources.h"
#include "desktop/main_dlg.h"
#include "desktop/resource_ids.h"
#include "fakes/test_services.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"
#include "ui/automation/scripted_host.h"

namespace {

using namespace desktop;
using platform::kPellisetKey;

struct RecordingLog : devlink::DiscoveryLog {
  void Line(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

// What the user sees of the communication setting at one snapshot.
struct View {
  std::string interface, port, baud, data_bits, stop_bits, parity, flow, ip, tcp_port;
  std::string port_label, baud_label, title;
  std::vector<std::string> port_rows;
  bool port_shown = false, baud_shown = false, ip_shown = false, tcp_shown = false;
  bool baud_on = false, data_on = false, stop_on = false, parity_on = false, flow_on = false;
  int port_row = -1;
};

View Capture(ui::Dialog& d) {
  View v;
  v.interface = d.GetComboBox(kInterfaceList).GetText();
  v.port = d.GetComboBox(kPortList).GetText();
  v.port_row = d.GetComboBox(kPortList).GetCurSel();
  v.port_rows = d.GetComboBox(kPortList).Items();
  v.baud = d.GetComboBox(kBaudRateList).GetText();
  v.data_bits = d.GetComboBox(kDataBitsList).GetText();
  v.stop_bits = d.GetComboBox(kStopBitsList).GetText();
  v.parity = d.GetComboBox(kParityList).GetText();
  v.flow = d.GetComboBox(kFlowControlList).GetText();
  v.ip = d.GetDlgItemText(kIpAddressEdit);
  v.tcp_port = d.GetDlgItemText(kTcpPortEdit);
  v.port_label = d.GetDlgItemText(kPortLabel);
  v.baud_label = d.GetDlgItemText(kBaudRateLabel);
  v.title = d.GetWindowText();
  v.port_shown = d.GetControl(kPortList).IsVisible();
  v.baud_shown = d.GetControl(kBaudRateList).IsVisible();
  v.ip_shown = d.GetControl(kIpAddressEdit).IsVisible();
  v.tcp_shown = d.GetControl(kTcpPortEdit).IsVisible();
  v.baud_on = d.GetControl(kBaudRateList).IsEnabled();
  v.data_on = d.GetControl(kDataBitsList).IsEnabled();
  v.stop_on = d.GetControl(kStopBitsList).IsEnabled();
  v.parity_on = d.GetControl(kParityList).IsEnabled();
  v.flow_on = d.GetControl(kFlowControlList).IsEnabled();
  return v;
}

class MainDialogTest : public ::testing::Test {
 protected:
  MainDialogTest() : host(t.clock, DesktopResources(std::nullopt)) {
    host.SetEventCallback([this](const ui::Event& e, ui::ScriptedHost& h) {
      if (e.kind == ui::EventKind::kSnapshot && h.TopDialog() != nullptr) {
        views.push_back(Capture(*h.TopDialog()));
      }
    });
  }

  // Runs the dialog through `commands`; every "snapshot" adds a View.
  int Run(std::initializer_list<std::string_view> commands) {
    EXPECT_TRUE(host.Queue(commands));
    const int result = dlg.DoModal(host);
    EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
    EXPECT_TRUE(dlg.AccessFaults().empty());
    return result;
  }

  void Store(const char* name, uint32_t value) {
    platform::WriteDword(t.registry, kPellisetKey, name, value);
  }
  void StorePort(const std::string& port) {
    platform::WriteString(t.registry, kPellisetKey, kValuePort, port);
  }
  std::optional<uint32_t> Dword(const char* name) {
    return platform::ReadDword(t.registry, kPellisetKey, name);
  }
  std::optional<std::string> Text(const char* name) {
    return platform::ReadString(t.registry, kPellisetKey, name);
  }
  std::vector<ui::Event> Boxes() const { return host.EventsOf(ui::EventKind::kMessageBox); }

  fakes::TestServices t;
  RecordingLog log;
  ui::ScriptedHost host;
  desktop::CM500QXUtilityDlg dlg{t.services, log};
  std::vector<View> views;
};

TEST_F(MainDialogTest, FirstStartShowsSerialDefaults) {
  Run({"snapshot", "close"});
  ASSERT_EQ(views.size(), 1u);
  const View& v = views[0];
  EXPECT_EQ(v.interface, "Serial / RS232C");
  EXPECT_EQ(v.port, "COM1");
  ASSERT_EQ(v.port_rows.size(), 49u);
  EXPECT_EQ(v.port_rows.back(), "COM49");
  EXPECT_EQ(v.baud, "115200");
  EXPECT_EQ(v.data_bits, "8");
  EXPECT_EQ(v.parity, "NONE");
  EXPECT_EQ(v.stop_bits, "1");
  EXPECT_EQ(v.flow, "NONE");
  EXPECT_EQ(v.port_label, "Port :");
  EXPECT_EQ(v.title, "TMQ-D550 Pelliset for PC V1.0.0");
  EXPECT_TRUE(v.port_shown && v.baud_shown);
  EXPECT_FALSE(v.ip_shown || v.tcp_shown);
  EXPECT_TRUE(v.baud_on && v.data_on && v.stop_on && v.parity_on);
  EXPECT_FALSE(v.flow_on);
  ASSERT_EQ(dlg.SystemMenu().size(), 1u);
  EXPECT_EQ(dlg.SystemMenu()[0].id, ui::IDM_ABOUTBOX);
  EXPECT_EQ(dlg.SystemMenu()[0].text, "&About Pelliset");
  EXPECT_EQ(host.EventsOf(ui::EventKind::kDialog)[0].caption, "TMQ-D550 Pelliset for PC V1.0.0");
}

struct RestoreCase {
  const char* name;
  uint32_t port_type;
  std::string port;
  uint32_t baud;
  uint32_t parity;
  uint32_t stop_bits;
  std::vector<std::string> usb_paths;
  // Expected.
  std::string interface, shown_port, shown_baud, shown_parity, shown_stop, ip, tcp_port;
  bool line_lists_on;
};

void PrintTo(const RestoreCase& c, std::ostream* os) { *os << c.name; }

class RestoreTest : public MainDialogTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreTest, StoredSettingComesBack) {
  const RestoreCase& c = GetParam();
  t.devices.record.usb_paths = c.usb_paths;
  Store(kValuePortType, c.port_type);
  StorePort(c.port);
  Store(kValueBaudrate, c.baud);
  Store(kValueDatabit, 8);
  Store(kValueParity, c.parity);
  Store(kValueStopbit, c.stop_bits);
  Store(kValueFlowcontrol, 1);
  Run({"snapshot", "close"});
  ASSERT_EQ(views.size(), 1u);
  const View& v = views[0];
  EXPECT_EQ(v.interface, c.interface);
  if (c.port_type == 3) {
    EXPECT_TRUE(v.ip_shown && v.tcp_shown);
    EXPECT_FALSE(v.port_shown || v.baud_shown);
    EXPECT_EQ(v.ip, c.ip);
    EXPECT_EQ(v.tcp_port, c.tcp_port);
    EXPECT_EQ(v.port_label, "IP : ");
  } else {
    EXPECT_EQ(v.port, c.shown_port);
    EXPECT_EQ(v.baud, c.shown_baud);
    EXPECT_EQ(v.parity, c.shown_parity);
    EXPECT_EQ(v.stop_bits, c.shown_stop);
    if (c.port_type <= 1) {
      EXPECT_EQ(v.flow, "NONE");  // flow control is never restored
    }
  }
  EXPECT_EQ(v.data_on && v.parity_on && v.stop_on, c.line_lists_on);
  EXPECT_FALSE(v.flow_on);
  EXPECT_TRUE(Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(PerInterface, RestoreTest,
                         ::testing::Values(RestoreCase{"Serial",
                                                       0,
                                                       "COM12",
                                                       9600,
                                                       2,
                                                       2,
                                                       {},
                                                       "Serial / RS232C",
                                                       "COM12",
                                                       "9600",
                                                       "EVEN",
                                                       "2",
                                                       "",
                                                       "",
                                                       true},
                                           RestoreCase{"SerialOneStopBit",
                                                       0,
                                                       "COM3",
                                                       2400,
                                                       1,
                                                       0,
                                                       {},
                                                       "Serial / RS232C",
                                                       "COM3",
                                                       "2400",
                                                       "ODD",
                                                       "1",
                                                       "",
                                                       "",
                                                       true},
                                           RestoreCase{"Bluetooth",
                                                       1,
                                                       "COM7",
                                                       9600,
                                                       0,
                                                       0,
                                                       {},
                                                       "Bluetooth",
                                                       "COM7",
                                                       "9600",
                                                       "NONE",
                                                       "1",
                                                       "",
                                                       "",
                                                       false},
                                           RestoreCase{"UsbSecondPrinter",
                                                       2,
                                                       "/dev/usb/lp4",
                                                       0,
                                                       0,
                                                       0,
                                                       {"/dev/usb/lp1", "/dev/usb/lp4"},
                                                       "USB",
                                                       "USB02",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       false},
                                           RestoreCase{"TcpKeepsItsPort",
                                                       3,
                                                       "NET192.168.1.20",
                                                       4000,
                                                       0,
                                                       0,
                                                       {},
                                                       "TCP/IP",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "192.168.1.20",
                                                       "4000",
                                                       false},
                                           RestoreCase{"HandheldPortNameMatchesNoRow",
                                                       0,
                                                       "COM1:",
                                                       19200,
                                                       0,
                                                       0,
                                                       {},
                                                       "Serial / RS232C",
                                                       "COM1",
                                                       "19200",
                                                       "NONE",
                                                       "1",
                                                       "",
                                                       "",
                                                       true},
                                           RestoreCase{"VanishedPortAndOddRate",
                                                       0,
                                                       "COM50",
                                                       12345,
                                                       0,
                                                       0,
                                                       {},
                                                       "Serial / RS232C",
                                                       "COM1",
                                                       "115200",
                                                       "NONE",
                                                       "1",
                                                       "",
                                                       "",
                                                       true},
                                           RestoreCase{"DamagedRowsKeepDefaults",
                                                       0,
                                                       "COM2",
                                                       4800,
                                                       9,
                                                       7,
                                                       {},
                                                       "Serial / RS232C",
                                                       "COM2",
                                                       "4800",
                                                       "NONE",
                                                       "1",
                                                       "",
                                                       "",
                                                       true},
                                           RestoreCase{"TcpPortOutOfRangeKeeps9100",
                                                       3,
                                                       "NET10.0.0.1",
                                                       70000,
                                                       0,
                                                       0,
                                                       {},
                                                       "TCP/IP",
                                                       "",
                                                       "",
                                                       "",
                                                       "",
                                                       "10.0.0.1",
                                                       "9100",
                                                       false}),
                         [](const ::testing::TestParamInfo<RestoreCase>& info) {
                           return info.param.name;
                         });

TEST_F(MainDialogTest, MistypedValuesReadAsDefaults) {
  // The interface stored as text counts as nothing stored; a baud rate as text reads as 0.
  platform::WriteString(t.registry, kPellisetKey, kValuePortType, "1");
  StorePort("COM5");
  Run({"snapshot", "close"});
  EXPECT_EQ(views[0].interface, "Serial / RS232C");
  EXPECT_EQ(views[0].port, "COM1");

  fakes::TestServices t2;
  RecordingLog log2;
  platform::WriteDword(t2.registry, kPellisetKey, kValuePortType, 0);
  platform::WriteString(t2.registry, kPellisetKey, kValuePort, "COM5");
  platform::WriteString(t2.registry, kPellisetKey, kValueBaudrate, "9600");
  platform::WriteString(t2.registry, kPellisetKey, kValueStopbit, "2");
  desktop::CM500QXUtilityDlg dlg2(t2.services, log2);
  ASSERT_TRUE(host.Queue({"snapshot", "close"}));
  dlg2.DoModal(host);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[1].port, "COM5");
  EXPECT_EQ(views[1].baud, "115200");
  EXPECT_EQ(views[1].stop_bits, "1");
}

TEST_F(MainDialogTest, ChoosingBluetoothDisablesTheLineSettings) {
  Run({"select 1008 2", "select 1006 1", "snapshot", "select 1006 0", "snapshot", "close"});
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[0].interface, "Bluetooth");
  EXPECT_FALSE(views[0].baud_on || views[0].data_on || views[0].parity_on || views[0].stop_on ||
               views[0].flow_on);
  EXPECT_EQ(views[0].baud, "115200");  // the layout's defaults, whatever was chosen before
  EXPECT_TRUE(views[1].baud_on && views[1].data_on && views[1].parity_on && views[1].stop_on);
}

TEST_F(MainDialogTest, UsbWithoutPrinterSaysSoOnceAndFallsBackToSerial) {
  Run({"select 1008 3", "select 1006 2", "wait messagebox", "answer OK", "snapshot", "close"});
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Not connected USB printer!");
  EXPECT_EQ(boxes[0].caption, "Pelliset");
  ASSERT_EQ(views.size(), 1u);
  EXPECT_EQ(views[0].interface, "Serial / RS232C");
  EXPECT_EQ(views[0].port, "COM1");
  EXPECT_EQ(views[0].port_rows.size(), 49u);
  EXPECT_EQ(views[0].baud, "115200");
  EXPECT_TRUE(views[0].baud_on);
  EXPECT_TRUE(dlg.UsbPaths().empty());
}

TEST_F(MainDialogTest, StoredUsbWithoutPrinterFallsBackAtStart) {
  Store(kValuePortType, 2);
  StorePort("/dev/usb/lp0");
  Run({"wait messagebox", "answer OK", "snapshot", "close"});
  EXPECT_EQ(Boxes().size(), 1u);
  ASSERT_EQ(views.size(), 1u);
  EXPECT_EQ(views[0].interface, "Serial / RS232C");
  EXPECT_EQ(views[0].port, "COM1");
}

TEST_F(MainDialogTest, UsbListsTwoPrintersAndExitStoresTheChosenPath) {
  t.devices.record.usb_paths = {"/dev/usb/lp0", "/dev/usb/lp7", "/dev/usb/lp2"};
  t.devices.record.unopenable_paths = {"/dev/usb/lp7"};
  Run({"select 1006 2", "snapshot", "select 1007 1", "click 1"});
  EXPECT_TRUE(Boxes().empty());
  ASSERT_EQ(views.size(), 1u);
  EXPECT_EQ(views[0].port_rows, (std::vector<std::string>{"USB01", "USB02"}));
  EXPECT_EQ(views[0].port_row, 0);
  EXPECT_FALSE(views[0].baud_on || views[0].data_on || views[0].parity_on || views[0].stop_on ||
               views[0].flow_on);
  EXPECT_EQ(dlg.UsbPaths(), (std::vector<std::string>{"/dev/usb/lp0", "/dev/usb/lp2"}));
  EXPECT_EQ(Text(kValuePort), "/dev/usb/lp2");
  EXPECT_EQ(Dword(kValuePortType), 2u);
  // The lines went to the log the program chose, not to standard output.
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "Attempting to open /dev/usb/lp0\n", "Attempting to open /dev/usb/lp7\n",
                           "FAILED to open /dev/usb/lp7\n", "Attempting to open /dev/usb/lp2\n"}));
}

TEST_F(MainDialogTest, SerialDevicesAreOfferedAndATypedPathIsStoredAndRestored) {
  platform_test::TempDir dev;
  platform_test::WriteFile(dev.File("ttyUSB0"), "");
  platform_test::WriteFile(dev.File("rfcomm0"), "");
  const platform::SerialDevices devices(dev.path(), dev.File("no-sysfs"));
  dlg.SetSerialDevices(&devices);
  EXPECT_EQ(Run({"snapshot", "select 1007 \"" + dev.File("ttyUSB0") + "\"", "click 1"}), ui::IDOK);
  ASSERT_EQ(views[0].port_rows.size(), 51u);
  EXPECT_EQ(views[0].port_rows[0], "COM1");
  EXPECT_EQ(views[0].port_rows[49], dev.File("ttyUSB0"));
  EXPECT_EQ(views[0].port_rows[50], dev.File("rfcomm0"));
  EXPECT_EQ(Text(kValuePort), dev.File("ttyUSB0"));

  // A path typed into the list (an adapter not plugged in) goes into uPort as a string and comes
  // back as typed.
  desktop::CM500QXUtilityDlg typed(t.services, log);
  typed.SetSerialDevices(&devices);
  ASSERT_TRUE(host.Queue({"type 1007 \"/dev/ttyUSB7\"", "click 1"}));
  typed.DoModal(host);
  const platform::RegValue port = *t.registry.QueryValue(kPellisetKey, kValuePort);
  EXPECT_EQ(port.type, platform::RegType::kSz);
  EXPECT_EQ(port.data,
            (std::vector<uint8_t>{'/', 'd', 'e', 'v', '/', 't', 't', 'y', 'U', 'S', 'B', '7', 0}));
  desktop::CM500QXUtilityDlg again(t.services, log);
  ASSERT_TRUE(host.Queue({"snapshot", "close"}));
  again.DoModal(host);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[1].port, "/dev/ttyUSB7");
  EXPECT_EQ(views[1].port_row, -1);
}

TEST_F(MainDialogTest, ExitStoresAllSevenValuesWithTheirTypes) {
  EXPECT_EQ(Run({"select 1007 \"COM4\"", "select 1008 \"38400\"", "select 1009 2", "select 1010 1",
                 "click 1"}),
            ui::IDOK);
  const auto dword = [&](const char* name) { return t.registry.QueryValue(kPellisetKey, name); };
  const platform::RegValue port = *t.registry.QueryValue(kPellisetKey, kValuePort);
  EXPECT_EQ(port.type, platform::RegType::kSz);
  EXPECT_EQ(port.data, (std::vector<uint8_t>{'C', 'O', 'M', '4', 0}));
  struct Expected {
    const char* name;
    uint32_t value;
  };
  for (const Expected& e :
       {Expected{kValuePortType, 0}, Expected{kValueBaudrate, 38400}, Expected{kValueDatabit, 8},
        Expected{kValueParity, 2}, Expected{kValueStopbit, 2}, Expected{kValueFlowcontrol, 0}}) {
    SCOPED_TRACE(e.name);
    const std::optional<platform::RegValue> v = dword(e.name);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->type, platform::RegType::kDword);
    EXPECT_EQ(v->data.size(), 4u);
    EXPECT_EQ(Dword(e.name), e.value);
  }
}

TEST_F(MainDialogTest, StopBitsRowsStoreZeroAndTwo) {
  for (const auto& [row, stored] : {std::pair{"0", 0u}, std::pair{"1", 2u}}) {
    fakes::TestServices services;
    RecordingLog quiet;
    desktop::CM500QXUtilityDlg d(services.services, quiet);
    ASSERT_TRUE(host.Queue({std::string("select 1010 ") + row, "click 1"}));
    EXPECT_EQ(d.DoModal(host), ui::IDOK);
    EXPECT_EQ(platform::ReadDword(services.registry, kPellisetKey, kValueStopbit), stored) << row;
  }
}

TEST_F(MainDialogTest, WindowCloseStoresNothing) {
  EXPECT_EQ(Run({"select 1006 3", "type 1074 \"10.0.0.9\"", "close"}), ui::IDCANCEL);
  EXPECT_FALSE(t.registry.KeyExists(kPellisetKey));
}

TEST_F(MainDialogTest, TcpExitStoresAddressAndTypedPortAndRestoresBoth) {
  Run({"select 1006 3", "snapshot", "type 1074 \"192.168.0.10\"", "type 1075 \"4a01\"", "click 1"});
  EXPECT_EQ(views[0].ip, "0.0.0.0");
  EXPECT_EQ(views[0].tcp_port, "9100");
  EXPECT_FALSE(views[0].data_on || views[0].parity_on || views[0].stop_on || views[0].flow_on);
  EXPECT_EQ(Text(kValuePort), "NET192.168.0.10");
  EXPECT_EQ(Dword(kValueBaudrate), 401u);  // the edit refuses the letter
  EXPECT_EQ(Dword(kValuePortType), 3u);

  // Reopened and left with Exit untouched: the port typed last time survives, and the hidden
  // serial lists are filled all the same, ready for a switch to a serial interface.
  desktop::CM500QXUtilityDlg again(t.services, log);
  ASSERT_TRUE(host.Queue({"snapshot", "click 1"}));
  again.DoModal(host);
  EXPECT_EQ(Dword(kValueBaudrate), 401u);
  EXPECT_EQ(Text(kValuePort), "NET192.168.0.10");
  ASSERT_EQ(views.size(), 2u);
  EXPECT_FALSE(views[1].port_shown);
  EXPECT_EQ(views[1].port_rows.front(), "COM1");
  EXPECT_EQ(views[1].baud, "115200");
  EXPECT_EQ(views[1].data_bits, "8");
  EXPECT_EQ(views[1].stop_bits, "1");
}

TEST_F(MainDialogTest, ManagerButtonsHandTheSettingToTheLink) {
  // No printer answers: the NV manager's first job reports that and the main dialog stays.
  t.devices.record.connect_ok = false;
  Run({"select 1006 3", "type 1074 \"10.1.1.5\"", "type 1075 \"9101\"", "click 1001",
       "wait messagebox", "answer OK", "snapshot", "close"});
  const devlink::LinkSettings& dev = dlg.Util().dev().settings();
  EXPECT_EQ(dev.port_name, "NET10.1.1.5");
  EXPECT_EQ(dev.tcp_port, 9101u);
  EXPECT_EQ(dev.interface, devlink::CDev::kInterfaceTcp);
  EXPECT_EQ(t.devices.record.connects,
            (std::vector<std::pair<std::string, uint16_t>>{{"10.1.1.5", 9101}}));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Port open error!\n10.1.1.5:9101: input/output error; check the cable and the printer");
  EXPECT_EQ(views.size(), 1u);                       // still the main dialog after the press
  EXPECT_FALSE(t.registry.KeyExists(kPellisetKey));  // a job hand-over stores nothing

  fakes::TestServices s2;
  s2.devices.record.serial_open_failures = 100;
  desktop::CM500QXUtilityDlg serial(s2.services, log);
  ASSERT_TRUE(host.Queue({"select 1007 \"COM9\"", "select 1008 \"4800\"", "select 1009 1",
                          "select 1010 1", "click 1001", "wait messagebox", "answer OK", "close"}));
  serial.DoModal(host);
  const devlink::LinkSettings& sdev = serial.Util().dev().settings();
  EXPECT_EQ(sdev.port_name, "COM9");
  EXPECT_EQ(sdev.baud_rate, 4800u);
  EXPECT_EQ(sdev.parity, 1);
  EXPECT_EQ(sdev.stop_bits, 2);
  EXPECT_EQ(sdev.data_bits, 8);
  EXPECT_EQ(sdev.flow_control, 0);
  EXPECT_EQ(sdev.interface, devlink::CDev::kInterfaceSerial);
}

TEST_F(MainDialogTest, TcpPortBeyondTheTcpPortsIsRefusedAndStoredAsZero) {
  Run({"select 1006 3", "type 1074 \"10.0.0.7\"", "type 1075 \"70000\"", "click 1001",
       "wait messagebox", "answer OK", "click 1"});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Enter an integer between 1 and 65535.");
  EXPECT_TRUE(t.devices.record.connects.empty());
  // Handed on as 70000, the link would cut it to 16 bits and connect to port 4464.
  EXPECT_EQ(Dword(kValueBaudrate), 0u);
  EXPECT_EQ(Text(kValuePort), "NET10.0.0.7");
}

TEST_F(MainDialogTest, ExitStoresTheSevenValuesAsOneUpdateAndReportsARefusal) {
  platform::MemoryRegistry registry;
  platform::Services services{t.clock, t.devices, registry, t.trace};
  {
    desktop::CM500QXUtilityDlg d(services, log);
    ASSERT_TRUE(host.Queue({"select 1008 \"9600\"", "click 1"}));
    EXPECT_EQ(d.DoModal(host), ui::IDOK);
  }
  EXPECT_EQ(registry.UpdateCount(), 1);
  EXPECT_EQ(platform::ReadDword(registry, kPellisetKey, kValueBaudrate), 9600u);
  EXPECT_EQ(platform::ReadDword(registry, kPellisetKey, kValueFlowcontrol), 0u);
  EXPECT_TRUE(host.EventsOf(ui::EventKind::kMessageBox).empty());

  registry.SetFailWrites(true, "read-only file system");
  desktop::CM500QXUtilityDlg d(services, log);
  ASSERT_TRUE(host.Queue({"select 1008 \"4800\"", "click 1", "answer OK"}));
  EXPECT_EQ(d.DoModal(host), ui::IDOK);
  const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "The communication setting could not be saved: memory: read-only file system");
  EXPECT_EQ(platform::ReadDword(registry, kPellisetKey, kValueBaudrate), 9600u);
}

TEST_F(MainDialogTest, ExitAndWindowCloseBothCloseAnOpenLink) {
  for (const char* command : {"close", "click 1"}) {
    SCOPED_TRACE(command);
    fakes::TestServices s;
    desktop::CM500QXUtilityDlg d(s.services, log);
    protocol::CCommonUtil& util = d.Util();
    util.SetLinkSettings(
        {.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET127.0.0.1", .tcp_port = 9100});
    ASSERT_TRUE(util.OpenLink());
    ASSERT_EQ(s.devices.record.open_devices, 1);
    ASSERT_TRUE(host.Queue({command}));
    d.DoModal(host);
    EXPECT_EQ(s.devices.record.open_devices, 0);
    EXPECT_FALSE(util.dev().is_open());
  }
}

// Every text of the main dialog that comes from the string table is looked up by its id, so a
// language pack reaches it; the "IP : " label and the list rows other than "NONE" are fixed.
TEST(MainDialogStrings, ComeFromTheStringTableById) {
  const std::optional<ui::ResourcePack> pack = ui::ParseResourcePack(
      "pelliset-pack 1\n"
      "string 101 = &Ueber\n"
      "string 102 = Beschreibung\n"
      "string 103 = Titel\n"
      "string 104 = Anschluss\n"
      "string 168 = Kopf\n"
      "string 172 = Kein USB\n"
      "string 234 = KEINE\n"
      "string 247 = TCP-Anschluss :\n"
      "caption 102/1084 = Baudrate :\n");
  ASSERT_TRUE(pack.has_value());
  fakes::TestServices t;
  RecordingLog log;
  ui::ScriptedHost host(t.clock, DesktopResources(pack));
  std::vector<View> views;
  std::vector<std::string> descriptions;
  host.SetEventCallback([&](const ui::Event& e, ui::ScriptedHost& h) {
    if (e.kind == ui::EventKind::kSnapshot && h.TopDialog() != nullptr) {
      views.push_back(Capture(*h.TopDialog()));
      descriptions.push_back(h.TopDialog()->GetDlgItemText(kDescriptionText));
    }
  });
  desktop::CM500QXUtilityDlg dlg(t.services, log);
  ASSERT_TRUE(host.Queue({"snapshot", "select 1006 3", "snapshot", "select 1006 2",
                          "wait messagebox", "answer OK", "snapshot", "close"}));
  dlg.DoModal(host);
  EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
  ASSERT_EQ(views.size(), 3u);
  ASSERT_EQ(dlg.SystemMenu().size(), 1u);
  EXPECT_EQ(dlg.SystemMenu()[0].text, "&Ueber");
  EXPECT_EQ(descriptions[0], "Beschreibung");
  EXPECT_EQ(views[0].title, "Titel");
  EXPECT_EQ(views[0].port_label, "Anschluss :");
  EXPECT_EQ(views[0].parity, "KEINE");
  EXPECT_EQ(views[0].flow, "KEINE");
  EXPECT_EQ(views[1].port_label, "IP : ");
  // The edit under the second label holds a TCP port in TCP/IP mode, a baud rate otherwise.
  EXPECT_EQ(views[0].baud_label, "Baudrate :");
  EXPECT_EQ(views[1].baud_label, "TCP-Anschluss :");
  EXPECT_EQ(views[2].baud_label, "Baudrate :");
  const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Kein USB");
  EXPECT_EQ(boxes[0].caption, "Kopf");
}

TEST(MainDialogStrings, AnEmptyAboutEntryAddsNoSystemMenuEntry) {
  ui::ResourcePack pack;
  pack.strings[kStrAboutMenu] = "";
  fakes::TestServices t;
  RecordingLog log;
  ui::ScriptedHost host(t.clock, DesktopResources(pack));
  desktop::CM500QXUtilityDlg dlg(t.services, log);
  ASSERT_TRUE(host.Queue({"close"}));
  dlg.DoModal(host);
  EXPECT_TRUE(dlg.SystemMenu().empty());
}

TEST_F(MainDialogTest, AboutEntryOpensTheAboutBox) {
  Run({"sysmenu 16", "wait dialog 100", "click 1", "wait dialog 102", "close"});
  const auto dialogs = host.EventsOf(ui::EventKind::kDialog);
  ASSERT_GE(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1].template_id, kAboutTemplateId);
  EXPECT_EQ(dialogs[1].caption, "About Pelliset");
  const auto closed = host.EventsOf(ui::EventKind::kClosed);
  ASSERT_EQ(closed.size(), 2u);
  EXPECT_EQ(closed[0].template_id, kAboutTemplateId);
}

}  // namespace
