#include "cli/printer_address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/test_services.h"

namespace cli {
namespace {

constexpr int kSerial = devlink::CDev::kInterfaceSerial;
constexpr int kBluetooth = devlink::CDev::kInterfaceBluetooth;
constexpr int kUsb = devlink::CDev::kInterfaceUsb;
constexpr int kTcp = devlink::CDev::kInterfaceTcp;

TEST(PrinterAddressTest, AcceptedFormsFillEveryField) {
  struct Row {
    const char* text;
    int interface;
    const char* port_name;
    uint32_t baud;
    int parity, data_bits, stop_bits, flow;
  };
  const Row rows[] = {
      {"tcp://10.0.0.5", kTcp, "10.0.0.5", 9100, 0, 8, 0, 0},
      {"TCP://192.168.1.50:65535", kTcp, "192.168.1.50", 65535, 0, 8, 0, 0},
      {"tcp://127.0.0.1:1", kTcp, "127.0.0.1", 1, 0, 8, 0, 0},
      {"tcp://127.0.0.1:031000", kTcp, "127.0.0.1", 31000, 0, 8, 0, 0},
      {"tcp://Printer-12.Shop.example:9101", kTcp, "printer-12.shop.example", 9101, 0, 8, 0, 0},
      {"tcp://localhost", kTcp, "localhost", 9100, 0, 8, 0, 0},
      {"tcp://10.0.0.5a.", kTcp, "10.0.0.5a.", 9100, 0, 8, 0, 0},
      {"tcp://[::1]", kTcp, "::1", 9100, 0, 8, 0, 0},
      {"tcp://[0:0:0:0:0:0:0:1]:9200", kTcp, "::1", 9200, 0, 8, 0, 0},
      {"tcp://[FD00::A:5]:9100", kTcp, "fd00::a:5", 9100, 0, 8, 0, 0},
      {"tcp://[::ffff:7f00:1]:9101", kTcp, "127.0.0.1", 9101, 0, 8, 0, 0},
      {"/dev/usb/lp0", kUsb, "/dev/usb/lp0", 115200, 0, 8, 0, 0},
      {"/dev/usb/lp12", kUsb, "/dev/usb/lp12", 115200, 0, 8, 0, 0},
      {"serial:/dev/ttyUSB0?baud=115200&parity=none&flow=dtr", kSerial, "/dev/ttyUSB0", 115200, 0,
       8, 0, 1},
      {"serial:/dev/ttyACM1?baud=2400&parity=ODD&data=7&stop=2&flow=none", kSerial, "/dev/ttyACM1",
       2400, 1, 7, 2, 0},
      {"serial:/dev/ttyS1?parity=even&baud=57600", kSerial, "/dev/ttyS1", 57600, 2, 8, 0, 0},
      {"serial:COM2?baud=9600", kSerial, "COM2", 9600, 0, 8, 0, 0},
      {"bt:/dev/rfcomm0", kBluetooth, "/dev/rfcomm0", 115200, 0, 8, 0, 0},
      {"bt:/dev/rfcomm3?baud=19200&stop=2", kBluetooth, "/dev/rfcomm3", 19200, 0, 8, 2, 0},
      {"/dev/rfcomm1", kBluetooth, "/dev/rfcomm1", 115200, 0, 8, 0, 0},
      {"COM3", kSerial, "COM3", 115200, 0, 8, 0, 0},
      {"com3:", kSerial, "COM3", 115200, 0, 8, 0, 0},
      {"COM255?baud=38400", kSerial, "COM255", 38400, 0, 8, 0, 0},
      {"/dev/ttyS0", kSerial, "/dev/ttyS0", 115200, 0, 8, 0, 0},
      {"  /dev/serial/by-id/usb-FTDI_A1-if00-port0 ", kSerial,
       "/dev/serial/by-id/usb-FTDI_A1-if00-port0", 115200, 0, 8, 0, 0},
  };
  for (const Row& row : rows) {
    std::string error;
    const std::optional<PrinterAddress> a = ParsePrinterAddress(row.text, &error);
    ASSERT_TRUE(a.has_value()) << row.text << ": " << error;
    const devlink::LinkSettings& link = a->link;
    EXPECT_EQ(link.interface, row.interface) << row.text;
    EXPECT_EQ(link.port_name, row.port_name) << row.text;
    EXPECT_EQ(row.interface == kTcp ? link.tcp_port : link.baud_rate, row.baud) << row.text;
    EXPECT_EQ(link.parity, row.parity) << row.text;
    EXPECT_EQ(link.data_bits, row.data_bits) << row.text;
    EXPECT_EQ(link.stop_bits, row.stop_bits) << row.text;
    EXPECT_EQ(link.flow_control, row.flow) << row.text;
  }

  // Every field differs from the link's defaults, so one left out shows.
  std::string error;
  const std::optional<PrinterAddress> a =
      ParsePrinterAddress(" serial:COM4?baud=4800&parity=odd&stop=2&data=7&flow=dtr\n", &error);
  ASSERT_TRUE(a.has_value()) << error;
  EXPECT_EQ(a->text, "serial:COM4?baud=4800&parity=odd&stop=2&data=7&flow=dtr");
  EXPECT_EQ(a->link, (devlink::LinkSettings{.interface = kSerial,
                                            .port_name = "COM4",
                                            .baud_rate = 4800,
                                            .parity = 1,
                                            .data_bits = 7,
                                            .stop_bits = 2,
                                            .flow_control = 1}));
}

TEST(PrinterAddressTest, RefusedFormsSayWhy) {
  struct Row {
    const char* text;
    const char* message_part;
  };
  const Row rows[] = {
      {"tcp://10.0.0.5:99999", "port out of range (1 to 65535)"},
      {"tcp://10.0.0.5:0", "port out of range (1 to 65535)"},
      {"tcp://10.0.0.5:", "the port must be a number"},
      {"tcp://10.0.0.5:91x", "the port must be a number"},
      {"tcp://printer_1.local", "\"printer_1.local\" is not a host name"},
      {"tcp://-till.shop", "is not a host name"},
      {"tcp://till..shop", "is not a host name"},
      {"tcp://::1", "an IPv6 address goes in brackets"},
      {"tcp://fd00::5:9100", "an IPv6 address goes in brackets"},
      {"tcp://[::1", "missing ']'"},
      {"tcp://[::1]9100", "only :PORT may follow the ']'"},
      {"tcp://[::g]:9100", "\"::g\" in brackets is not an IPv6 address"},
      {"tcp://[10.0.0.5]", "in brackets is not an IPv6 address"},
      {"tcp://[]", "in brackets is not an IPv6 address"},
      {"tcp://[::1]:", "the port must be a number"},
      {"tcp://10.0.0.256", "is not an IPv4 address"},
      {"tcp://10.0.5", "is not an IPv4 address"},
      {"tcp://", "no address after tcp://"},
      {"/dev/usb/lp0?baud=9600", "device path alone"},
      {"/dev/usb/lp", "device path alone"},
      {"serial:/dev/ttyUSB0?baud=14400", "baud must be one of 2400, 4800"},
      {"serial:/dev/ttyUSB0?parity=mark", "parity must be none, odd or even"},
      {"serial:/dev/ttyUSB0?flow=rts", "flow must be none or dtr"},
      {"serial:/dev/ttyUSB0?data=6", "data must be 7 or 8"},
      {"serial:/dev/ttyUSB0?stop=0", "stop must be 1 or 2"},
      {"serial:/dev/ttyUSB0?speed=9600", "unknown option \"speed\""},
      {"serial:/dev/ttyUSB0?baud=9600&baud=4800", "option \"baud\" given twice"},
      {"serial:/dev/ttyUSB0?baud", "key=value joined by '&'"},
      {"serial:/dev/ttyUSB0?baud=9600&", "key=value joined by '&'"},
      {"serial:ttyUSB0", "serial: needs a device path"},
      {"bt:/dev/rfcomm0?flow=dtr", "flow cannot be set on a Bluetooth port"},
      {"COM0", "COM ports are COM1 to COM255"},
      {"COM256", "COM ports are COM1 to COM255"},
      {"printer1",
       "not a printer address; did you mean tcp://printer1? accepted forms: tcp://HOST"},
      {"127.0.0.1:9100",
       "\"127.0.0.1:9100\": not a printer address; did you mean tcp://127.0.0.1:9100?"},
      {"127.0.0.1:99999", "\"127.0.0.1:99999\": not a printer address; accepted forms"},
      {"usb://lp0", "not a printer address"},
      {"", "empty printer address"},
  };
  for (const Row& row : rows) {
    std::string error;
    EXPECT_FALSE(ParsePrinterAddress(row.text, &error).has_value()) << row.text;
    EXPECT_NE(error.find(row.message_part), std::string::npos) << row.text << " gave: " << error;
  }
}

TEST(PrinterAddressTest, PrintersFile) {
  const std::string good =
      "\xEF\xBB\xBF# shop floor, saved with a byte order mark\n"
      "\n"
      "tcp://10.0.0.5   # till 1\n"
      "  /dev/usb/lp0\r\n"
      "tcp://10.0.0.5:9101\n"
      "bt:/dev/rfcomm0#no space before the comment";
  std::vector<PrinterAddress> list;
  std::string error;
  ASSERT_TRUE(ParsePrinterList(good, "printers.txt", &list, &error)) << error;
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].text, "tcp://10.0.0.5");
  EXPECT_EQ(list[0].link.tcp_port, 9100u);
  EXPECT_EQ(list[1].link.port_name, "/dev/usb/lp0");
  EXPECT_EQ(list[2].link.tcp_port, 9101u);
  EXPECT_EQ(list[3].link.interface, kBluetooth);

  // Every bad line is named; nothing is handed out.
  const std::string bad =
      "tcp://10.0.0.5\n"
      "# next one is wrong\n"
      "tcp://10.0.0.5:99999\n"
      "tcp://10.0.0.5:9100\n"
      "/dev/ttyS0 /dev/ttyS1\n"
      "tcp://[fd00::5]\n"
      "tcp://[fd00:0::5]:9100\n"
      "tcp://till-3.shop\n"
      "tcp://TILL-3.shop:9100\n";
  std::vector<PrinterAddress> untouched(1);
  EXPECT_FALSE(ParsePrinterList(bad, "fleet.txt", &untouched, &error));
  EXPECT_EQ(error,
            "fleet.txt:3: \"tcp://10.0.0.5:99999\": port out of range (1 to 65535)\n"
            "fleet.txt:4: \"tcp://10.0.0.5:9100\" is the printer of line 1 again\n"
            "fleet.txt:5: one address a line (a comment starts with '#'): \"/dev/ttyS0 "
            "/dev/ttyS1\"\n"
            "fleet.txt:7: \"tcp://[fd00:0::5]:9100\" is the printer of line 6 again\n"
            "fleet.txt:9: \"tcp://TILL-3.shop:9100\" is the printer of line 8 again");
  EXPECT_EQ(untouched.size(), 1u);

  // Many bad lines: the first ten are named, the others counted.
  std::string junk;
  for (int i = 0; i < 25; ++i) junk += "tcp://127.0.0." + std::to_string(300 + i) + "\n";
  EXPECT_FALSE(ParsePrinterList(junk, "junk.txt", &list, &error));
  EXPECT_TRUE(
      error.starts_with("junk.txt:1: \"tcp://127.0.0.300\": \"127.0.0.300\" is not an IPv4"))
      << error;
  EXPECT_NE(error.find("\njunk.txt:10: \"tcp://127.0.0.309\""), std::string::npos) << error;
  EXPECT_EQ(error.find("junk.txt:11:"), std::string::npos) << error;
  EXPECT_TRUE(error.ends_with("\njunk.txt: 15 more bad lines (25 in all)")) << error;

  // A long fleet still finds the printer named again at its end, written another way.
  std::string fleet;
  for (int i = 0; i < 100000; ++i) {
    fleet += "tcp://127." + std::to_string(i / 62500) + "." + std::to_string(i / 250 % 250) + "." +
             std::to_string(i % 250 + 1) + "\n";
  }
  fleet += "TCP://127.0.0.1:9100\n";
  EXPECT_FALSE(ParsePrinterList(fleet, "fleet.txt", &list, &error));
  EXPECT_EQ(error, "fleet.txt:100001: \"TCP://127.0.0.1:9100\" is the printer of line 1 again");

  EXPECT_FALSE(ParsePrinterList("# nothing yet\n\n", "empty.txt", &list, &error));
  EXPECT_EQ(error, "empty.txt: no printer addresses (only blank lines and comments)");
}

}  // namespace
}  // namespace cli
