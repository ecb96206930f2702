// The handheld main dialog under the scripted host: the layout rule, restore and store of the
// three registry values, the hand-over to the link, and the title-bar close.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fakes/test_services.h"
#include "handheld/pda_main_dlg.h"
#include "handheld/pda_templates.h"
#include "platform/devices/serial_devices.h"
#include "platform/registry/file_registry.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/registry.h"
#include "platform/temp_dir.h"
#include "ui/automation/scripted_host.h"
#include "ui/terminal/terminal_buffer_screen.h"
#include "ui/terminal/terminal_host.h"

namespace {

using platform::kPellisetKey;

// What the user sees at one snapshot.
struct View {
  bool tcp = false;
  std::string port_label, baud_label, port, baud, ip, tcp_port, title;
  std::vector<std::string> port_rows, baud_rows;
  bool lists_shown = false, edits_shown = false;

  bool operator==(const View&) const = default;
};

View Capture(ui::Dialog& d) {
  View v;
  v.tcp = d.IsDlgButtonChecked(1068);
  v.port_label = d.GetDlgItemText(1069);
  v.baud_label = d.GetDlgItemText(1066);
  v.port = d.GetComboBox(1004).GetText();
  v.port_rows = d.GetComboBox(1004).Items();
  v.baud = d.GetComboBox(1049).GetText();
  v.baud_rows = d.GetComboBox(1049).Items();
  v.ip = d.GetDlgItemText(1070);
  v.tcp_port = d.GetDlgItemText(1032);
  v.title = d.GetWindowText();
  const bool port_list = d.GetControl(1004).IsVisible();
  const bool baud_list = d.GetControl(1049).IsVisible();
  const bool ip_edit = d.GetControl(1070).IsVisible();
  const bool port_edit = d.GetControl(1032).IsVisible();
  // Each pair shows or hides as one; a mixed state would fail both flags below.
  v.lists_shown = port_list && baud_list && !ip_edit && !port_edit;
  v.edits_shown = ip_edit && port_edit && !port_list && !baud_list;
  return v;
}

// Keeps the order of the value writes.
// Records the names of the values written, in their order.
class OrderRegistry : public platform::MemoryRegistry {
 public:
  bool SetValue(const std::string& key, const std::string& name,
                const platform::RegValue& value) override {
    names.push_back(name);
    return platform::MemoryRegistry::SetValue(key, name, value);
  }
  bool SetValues(const std::vector<platform::RegWrite>& batch) override {
    for (const platform::RegWrite& write : batch) names.push_back(write.name);
    return platform::MemoryRegistry::SetValues(batch);
  }
  std::vector<std::string> names;
};

class PdaMainDialogTest : public ::testing::Test {
 protected:
  PdaMainDialogTest() : host(t.clock, pda::HandheldResources()) {
    host.SetEventCallback([this](const ui::Event& e, ui::ScriptedHost& h) {
      if (e.kind == ui::EventKind::kSnapshot && h.TopDialog() != nullptr) {
        views.push_back(Capture(*h.TopDialog()));
      }
    });
  }

  int Run(std::initializer_list<std::string_view> commands) {
    EXPECT_TRUE(host.Queue(commands));
    const int result = dlg.DoModal(host);
    EXPECT_EQ(host.ErrorCount(), 0) << ::testing::PrintToString(host.EventLines());
    EXPECT_TRUE(dlg.AccessFaults().empty());
    return result;
  }

  void Store(uint32_t port_type, const std::string& port, uint32_t baud) {
    platform::WriteDword(registry, kPellisetKey, "uPortType", port_type);
    platform::WriteString(registry, kPellisetKey, "uPort", port);
    platform::WriteDword(registry, kPellisetKey, "uBaudrate", baud);
    registry.names.clear();
  }
  // The three stored values, as (type, port, baud); nullopt members when missing.
  std::tuple<std::optional<uint32_t>, std::optional<std::string>, std::optional<uint32_t>>
  Stored() {
    return {platform::ReadDword(registry, kPellisetKey, "uPortType"),
            platform::ReadString(registry, kPellisetKey, "uPort"),
            platform::ReadDword(registry, kPellisetKey, "uBaudrate")};
  }
  std::vector<ui::Event> Boxes() const { return host.EventsOf(ui::EventKind::kMessageBox); }

  fakes::TestServices t;
  OrderRegistry registry;
  platform::Services services{t.clock, t.devices, registry, t.trace};
  ui::ScriptedHost host;
  pda::CPdaMainDlg dlg{services};
  std::vector<View> views;
};

TEST_F(PdaMainDialogTest, FirstRunIsSerialAndTheBoxSwitchesTheLayout) {
  EXPECT_EQ(Run({"snapshot", "click 1068", "snapshot", "click 1068", "snapshot", "click 1"}),
            ui::IDOK);
  ASSERT_EQ(views.size(), 3u);
  std::vector<std::string> com_rows;
  for (int n = 1; n <= 49; ++n) com_rows.push_back("COM" + std::to_string(n) + ":");
  View serial;
  serial.port_label = "Port :";
  serial.baud_label = "Baudrate :";
  serial.port = "COM1:";
  serial.port_rows = com_rows;
  serial.baud = "115200";
  serial.baud_rows = {"2400", "4800", "9600", "19200", "38400", "57600", "115200"};
  serial.ip = "192.168.1.1";
  serial.tcp_port = "9100";
  serial.title = "TMQ-D550 Pelliset";
  serial.lists_shown = true;
  EXPECT_EQ(views[0], serial);
  View tcp = serial;
  tcp.tcp = true;
  tcp.port_label = "IP :";
  tcp.baud_label = "Port :";
  tcp.lists_shown = false;
  tcp.edits_shown = true;
  EXPECT_EQ(views[1], tcp);
  EXPECT_EQ(views[2], serial);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kDialog)[0].caption, "TMQ-D550 Pelliset");

  // Exit writes the three values, in this order.
  EXPECT_EQ(registry.names, (std::vector<std::string>{"uPortType", "uPort", "uBaudrate"}));
  EXPECT_EQ(Stored(),
            std::make_tuple(std::optional<uint32_t>(0), std::optional<std::string>("COM1:"),
                            std::optional<uint32_t>(115200)));
  EXPECT_TRUE(dlg.Util().dev().handheld());
}

struct RestoreCase {
  const char* name;
  uint32_t port_type;
  std::string port;
  uint32_t baud;
  // What the dialog shows...
  bool tcp;
  std::string shown_port, shown_baud, ip, tcp_port;
  // ... and what Exit, pressed at once, stores again.
  std::string stored_port;
  uint32_t stored_baud;
};

void PrintTo(const RestoreCase& c, std::ostream* os) { *os << c.name; }

class PdaRestoreTest : public PdaMainDialogTest,
                       public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(PdaRestoreTest, StoredSettingComesBackAndSurvivesExit) {
  const RestoreCase& c = GetParam();
  Store(c.port_type, c.port, c.baud);
  Run({"snapshot", "click 1"});
  ASSERT_EQ(views.size(), 1u);
  const View& v = views[0];
  EXPECT_EQ(v.tcp, c.tcp);
  EXPECT_EQ(v.edits_shown, c.tcp);
  EXPECT_EQ(v.port, c.shown_port);
  EXPECT_EQ(v.baud, c.shown_baud);
  EXPECT_EQ(v.ip, c.ip);
  EXPECT_EQ(v.tcp_port, c.tcp_port);
  EXPECT_EQ(Stored(), std::make_tuple(std::optional<uint32_t>(c.tcp ? 2 : 0),
                                      std::optional<std::string>(c.stored_port),
                                      std::optional<uint32_t>(c.stored_baud)));
}

INSTANTIATE_TEST_SUITE_P(
    PerStoredValue, PdaRestoreTest,
    ::testing::Values(RestoreCase{"Tcp", 2, "NET10.0.0.5", 4000, true, "COM1:", "115200",
                                  "10.0.0.5", "4000", "NET10.0.0.5", 4000},
                      RestoreCase{"TcpWithoutNetKeepsDefaults", 2, "10.0.0.5", 4000, true,
                                  "COM1:", "115200", "192.168.1.1", "9100", "NET192.168.1.1", 9100},
                      RestoreCase{"ComPortWithAnUnlistedRate", 0, "COM7:", 1200, false,
                                  "COM7:", "115200", "192.168.1.1", "9100", "COM7:", 115200},
                      RestoreCase{"DevicePath", 0, "/dev/ttyUSB0", 9600, false, "/dev/ttyUSB0",
                                  "9600", "192.168.1.1", "9100", "/dev/ttyUSB0", 9600},
                      RestoreCase{"DesktopUsbNameIsNoPort", 0, "USB01", 2400, false,
                                  "COM1:", "2400", "192.168.1.1", "9100", "COM1:", 2400}));

TEST_F(PdaMainDialogTest, TypedStoredFormGetsNoSecondPrefixAndThePortMayStartWithBlanks) {
  Run({"click 1068", "type 1070 \"NET192.168.0.9\"", "type 1032 \"  9101\"", "click 1"});
  EXPECT_EQ(Stored(), std::make_tuple(std::optional<uint32_t>(2),
                                      std::optional<std::string>("NET192.168.0.9"),
                                      std::optional<uint32_t>(9101)));
}

TEST_F(PdaMainDialogTest, TcpPortBeyondTheTcpPortsIsRefused) {
  Run({"click 1068", "type 1070 \"127.0.0.1\"", "type 1032 \"70000\"", "click 1000",
       "wait messagebox", "answer OK", "close"});
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Enter an integer between 1 and 65535.");
  EXPECT_TRUE(t.devices.record.connects.empty());
}

TEST_F(PdaMainDialogTest, NvManagerOpensTheLinkAsChosen) {
  // Nothing answers: the key code job fails at the open and the main dialog stays.
  t.devices.record.connect_ok = false;
  Run({"click 1068", "type 1070 \"127.0.0.1\"", "type 1032 \"9100\"", "click 1000",
       "wait messagebox", "answer OK", "snapshot", "close"});
  const devlink::LinkSettings& dev = dlg.Util().dev().settings();
  EXPECT_EQ(dev.port_name, "NET127.0.0.1");
  EXPECT_EQ(dev.tcp_port, 9100u);
  EXPECT_EQ(dev.interface, 3);
  EXPECT_EQ(std::make_tuple(dev.data_bits, dev.parity, dev.stop_bits, dev.flow_control),
            std::make_tuple(8, 0, 0, 1));
  EXPECT_EQ(t.devices.record.connects,
            (std::vector<std::pair<std::string, uint16_t>>{{"127.0.0.1", 9100}}));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Port Open Error!!!\n127.0.0.1:9100: input/output error; check the cable and the "
            "printer");
  EXPECT_EQ(Boxes()[0].caption, "NV Manager Utility");
  EXPECT_EQ(views.size(), 1u);
  EXPECT_TRUE(registry.names.empty());  // neither the job nor the close stores the setting

  // A serial port as typed, "COM3:", opens the device COM3 stands for.
  fakes::TestServices s;
  s.devices.record.serial_open_failures = 100;
  pda::CPdaMainDlg serial(s.services);
  ASSERT_TRUE(host.Queue({"type 1004 \"COM3:\"", "select 1049 \"4800\"", "click 1000",
                          "wait messagebox", "answer OK", "close"}));
  serial.DoModal(host);
  EXPECT_EQ(serial.Util().dev().settings().interface, 0);
  EXPECT_EQ(serial.Util().dev().settings().baud_rate, 4800u);
  EXPECT_EQ(s.devices.record.opened_paths,
            (std::vector<std::string>{"/dev/ttyS2", "/dev/ttyS2", "/dev/ttyS2"}));

  // A device offered by its Linux name, after the 49 COM names, opens as itself.
  platform_test::TempDir folder;
  platform_test::WriteFile(folder.File("ttyUSB0"), "");
  const platform::SerialDevices devices(folder.path(), folder.File("no-sysfs"));
  fakes::TestServices u;
  u.devices.record.serial_open_failures = 100;
  pda::CPdaMainDlg usb(u.services);
  usb.SetSerialDevices(&devices);
  views.clear();
  ASSERT_TRUE(host.Queue({"snapshot", "select 1004 \"" + folder.File("ttyUSB0") + "\"",
                          "click 1000", "wait messagebox", "answer OK", "close"}));
  usb.DoModal(host);
  ASSERT_EQ(views.size(), 1u);
  ASSERT_EQ(views[0].port_rows.size(), 50u);
  EXPECT_EQ(views[0].port_rows[49], folder.File("ttyUSB0"));
  ASSERT_FALSE(u.devices.record.opened_paths.empty());
  EXPECT_EQ(u.devices.record.opened_paths[0], folder.File("ttyUSB0"));
}

// A setting that cannot be stored is said at Exit, once for the three values.
TEST_F(PdaMainDialogTest, ExitSaysWhenTheSettingCouldNotBeStored) {
  registry.SetFailWrites(true, "read-only file system");
  EXPECT_EQ(Run({"click 1", "answer OK"}), ui::IDOK);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "The communication setting could not be saved: memory: read-only file system");
}

TEST_F(PdaMainDialogTest, TitleBarCloseKeepsTheStoredSettingAndClosesTheLink) {
  Store(2, "NET10.0.0.5", 4000);
  protocol::CCommonUtil& util = dlg.Util();
  util.SetLinkSettings(
      {.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET127.0.0.1", .tcp_port = 9100});
  ASSERT_TRUE(util.OpenLink());
  EXPECT_EQ(Run({"click 1068", "select 1049 \"2400\"", "close"}), ui::IDCANCEL);
  EXPECT_TRUE(registry.names.empty());
  EXPECT_EQ(Stored(),
            std::make_tuple(std::optional<uint32_t>(2), std::optional<std::string>("NET10.0.0.5"),
                            std::optional<uint32_t>(4000)));
  EXPECT_EQ(t.devices.record.open_devices, 0);
  EXPECT_FALSE(util.dev().is_open());
}

// The terminal host at the handheld's size, keeping the texts of the message boxes it shows.
class HandheldTerminal : public ui::TerminalHost {
 public:
  HandheldTerminal(platform::Clock& clock, ui::BufferScreen& screen)
      : ui::TerminalHost(clock, screen, pda::HandheldResources()), screen_(screen) {}
  std::vector<std::string> boxes;

 protected:
  void Emit(const ui::Event& e) override {
    if (e.kind == ui::EventKind::kMessageBox) {
      boxes.push_back(e.text);
      // Answered, then the main dialog left; typed only now, as keys typed during the printer
      // wait are dropped.
      screen_.PushKey(ui::MakeKey(ui::Key::kEnter));
      screen_.PushKey(ui::MakeKey(ui::Key::kEsc));
    }
    ui::TerminalHost::Emit(e);
  }

 private:
  ui::BufferScreen& screen_;
};

TEST(PdaMainTerminal, ATypedDevicePathReplacesThePortNameAndIsNamedInFullWhenItCannotOpen) {
  fakes::TestServices s;
  s.devices.record.serial_open_failures = 100;
  s.devices.record.open_failure_cause = platform::FailureCause::kNoSuchDevice;
  ui::BufferScreen screen(32, 20);
  screen.SetIdle([&](uint32_t ms) { s.clock.Advance(ms); });
  HandheldTerminal host(s.clock, screen);
  pda::CPdaMainDlg dlg(s.services);
  const std::string path = "/dev/serial/by-id/usb-Receipt_Printer_Adapter-if00-port0";
  // From the TCP/IP box to the port list, which shows "COM1:", then on to the settings button.
  screen.PushKey(ui::MakeKey(ui::Key::kTab));
  for (char c : path) screen.PushKey(ui::MakeChar(std::string(1, c)));
  for (ui::Key k : {ui::Key::kTab, ui::Key::kTab, ui::Key::kEnter}) screen.PushKey(ui::MakeKey(k));
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  ASSERT_FALSE(s.devices.record.opened_paths.empty());
  EXPECT_EQ(s.devices.record.opened_paths[0], path);
  EXPECT_EQ(host.boxes,
            std::vector<std::string>{
                "Port Open Error!!!\n/dev/serial/by-id/usb-Receipt_Printer_Adapter-if00-port0: "
                "no such device; check the port and that the cable or adapter is plugged in"});
}

TEST(PdaRegistryPath, HandheldFileLiesBesideTheDesktopOne) {
  auto env = [](const char* xdg, const char* home) {
    return [=](const char* name) -> const char* {
      return std::string_view(name) == "XDG_CONFIG_HOME" ? xdg : home;
    };
  };
  using platform::FileRegistry;
  EXPECT_EQ(FileRegistry::DefaultHandheldRegistryPath(env("/x", "/home/u")),
            "/x/pelliset/handheld.reg");
  EXPECT_EQ(FileRegistry::DefaultHandheldRegistryPath(env(nullptr, "/home/u")),
            "/home/u/.config/pelliset/handheld.reg");
  EXPECT_EQ(FileRegistry::DefaultRegistryPath(env(nullptr, "/home/u")),
            "/home/u/.config/pelliset/registry.reg");
}

}  // namespace
