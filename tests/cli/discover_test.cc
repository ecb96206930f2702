#include "cli/discover.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "fakes/test_services.h"
#include "integration/sim_process.h"
#include "platform/system/unique_fd.h"

namespace cli {
namespace {

TEST(DiscoverTest, ParseCidr) {
  struct Good {
    const char* text;
    uint32_t first;
    uint32_t count;
  };
  const Good good[] = {
      {"127.0.0.0/29", 0x7F000000, 8},
      {"192.168.1.77/24", 0xC0A80100, 256},  // host bits cleared
      {"10.1.2.3/32", 0x0A010203, 1},
      {"10.1.2.3", 0x0A010203, 1},
      {"172.16.200.9/16", 0xAC100000, 65536},
  };
  for (const Good& row : good) {
    uint32_t first = 0;
    uint32_t count = 0;
    std::string error;
    ASSERT_TRUE(ParseCidr(row.text, &first, &count, &error)) << row.text << ": " << error;
    EXPECT_EQ(first, row.first) << row.text;
    EXPECT_EQ(count, row.count) << row.text;
  }
  struct Bad {
    const char* text;
    const char* message_part;
  };
  const Bad bad[] = {
      {"10.0.0.0/15", "at most a /16 (65536 addresses)"},
      {"0.0.0.0/0", "at most a /16"},
      {"10.0.0.0/33", "from 16 to 32"},
      {"10.0.0.0/", "from 16 to 32"},
      {"10.0.0.0/2x", "from 16 to 32"},
      {"10.0.0/24", "not an IPv4 range"},
      {"printers.local/24", "not an IPv4 range"},
      {"", "not an IPv4 range"},
  };
  for (const Bad& row : bad) {
    uint32_t first = 0;
    uint32_t count = 0;
    std::string error;
    EXPECT_FALSE(ParseCidr(row.text, &first, &count, &error)) << row.text;
    EXPECT_NE(error.find(row.message_part), std::string::npos) << row.text << " gave: " << error;
  }
}

// A listener whose accept queue is full: the kernel drops further connection requests, so a
// connect to it waits out its time-out like one to a host that is switched off.
class FullListener {
 public:
  FullListener(const std::string& address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    const auto* name = reinterpret_cast<const sockaddr*>(&a);
    listener_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    filler_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ok_ = ::bind(listener_.get(), name, sizeof a) == 0 && ::listen(listener_.get(), 0) == 0 &&
          ::connect(filler_.get(), name, sizeof a) == 0;
  }
  bool ok() const { return ok_; }

 private:
  platform::UniqueFd listener_;
  platform::UniqueFd filler_;
  bool ok_ = false;
};

// A printer, a device of another model and five hosts that never answer, on the loopback
// addresses of one range and one port.
TEST(DiscoverTest, ScanFindsThePrintersOfTheRangeInParallel) {
  itest::SimProcess printer({"--port", "0", "--firmware-version", "TMQ-D550 Ver1.61 010203"});
  ASSERT_GT(printer.port(), 0) << printer.first_line();
  const std::string port = std::to_string(printer.port());
  itest::SimProcess other({"--bind", "127.0.0.5", "--port", port, "--model", "XYZ-100"});
  ASSERT_EQ(other.first_line(), "printer-sim listening on 127.0.0.5:" + port);

  std::vector<std::unique_ptr<FullListener>> silent;
  for (const char* address : {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.6", "127.0.0.7"}) {
    silent.push_back(
        std::make_unique<FullListener>(address, static_cast<uint16_t>(printer.port())));
    ASSERT_TRUE(silent.back()->ok()) << address;
  }

  ScanOptions options;
  options.cidr = "127.0.0.0/29";
  options.port = static_cast<uint16_t>(printer.port());
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  const std::vector<DiscoveredPrinter> found = ScanTcp(options, &error);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(error, "");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].address, "tcp://127.0.0.1:" + port);
  EXPECT_EQ(found[0].kind, "tcp");
  EXPECT_EQ(found[0].model, "TMQ-D550");
  EXPECT_EQ(found[0].maker, "KORVANE");
  EXPECT_EQ(found[0].firmware, "TMQ-D550 Ver1.61 010203");
  EXPECT_EQ(FormatDiscovered(found[0]),
            "tcp://127.0.0.1:" + port + "  TMQ-D550  KORVANE  TMQ-D550 Ver1.61 010203");
  EXPECT_EQ(FormatDiscovered(found[1]),
            "tcp://127.0.0.5:" + port +
                "  XYZ-100  not a TMQ-D550 (answered the model query with another model)");
  // One probe after another would wait out 5 x 300 ms for the silent hosts alone.
  EXPECT_LT(elapsed, std::chrono::milliseconds(4 * 300));
}

// A scratch folder, removed also when an assertion ends the test early.
struct TempFolder {
  TempFolder() {
    char name[] = "/tmp/pelliset-discover-XXXXXX";
    if (::mkdtemp(name) != nullptr) path = name;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

TEST(DiscoverTest, LocalDevicesAreListedWithoutBeingOpened) {
  const TempFolder scratch;
  ASSERT_FALSE(scratch.path.empty());
  const std::filesystem::path& root = scratch.path;
  const std::filesystem::path dev = root / "dev";
  const std::filesystem::path sys = root / "sys";
  std::filesystem::create_directories(dev / "serial" / "by-id");
  for (const char* name : {"ttyUSB0", "rfcomm1", "ttyS0", "ttyS1", "ttyprintk"}) {
    std::ofstream(dev / name).put('\0');
  }
  std::filesystem::create_symlink("../../ttyUSB0", dev / "serial" / "by-id" / "usb-Acme_A1-port0");
  // ttyS0 has a UART behind it, ttyS1 is one of the kernel's empty placeholders.
  for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, std::pair{"ttyS1", "0"}}) {
    std::filesystem::create_directories(sys / "class" / "tty" / name);
    std::ofstream(sys / "class" / "tty" / name / "type") << type << "\n";
  }
  fakes::TestServices t;
  t.devices.record.usb_paths = {"/dev/usb/lp0"};

  const std::vector<DiscoveredPrinter> found = DiscoverLocal(t.services, dev, sys);
  std::vector<std::string> lines;
  std::vector<std::string> kinds;
  for (const DiscoveredPrinter& p : found) {
    lines.push_back(FormatDiscovered(p));
    kinds.push_back(p.kind);
  }
  const std::string d = dev.string();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "/dev/usb/lp0  USB printer",
                       d + "/ttyS0  serial port",
                       d + "/ttyUSB0  USB serial adapter",
                       d + "/serial/by-id/usb-Acme_A1-port0  stable name of " + d + "/ttyUSB0",
                       "bt:" + d + "/rfcomm1  Bluetooth serial port",
                   }));
  EXPECT_EQ(kinds, (std::vector<std::string>{"usb", "serial", "serial", "serial", "bluetooth"}));
  // Only the USB printer was opened (to see it is there); no serial device was touched.
  EXPECT_EQ(t.devices.record.opened_paths, std::vector<std::string>{"/dev/usb/lp0"});
}

}  // namespace
}  // namespace cli
