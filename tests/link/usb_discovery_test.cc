#include "link/usb_discovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/test_services.h"
#include "link/discovery_logs.h"

namespace {

struct RecordingLog : devlink::DiscoveryLog {
  void Line(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

std::vector<std::string> Paths(int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) paths.push_back("/dev/usb/lp" + std::to_string(i));
  return paths;
}

struct UsbDiscoveryTest : ::testing::Test {
  fakes::TestServices t;
  fakes::DeviceRecord& record = t.devices.record;
  RecordingLog log;

  std::vector<int> IndexesAsked() const {
    std::vector<int> indexes;
    for (const fakes::Call& c : record.calls) {
      if (c.name == "DevicePathAt") indexes.push_back(std::stoi(c.detail));
    }
    return indexes;
  }
};

TEST_F(UsbDiscoveryTest, TwoPrintersAreLabelledInEnumerationOrder) {
  record.usb_paths = {"/dev/usb/lp3", "/dev/usb/lp0"};
  const std::vector<devlink::UsbPrinter> found = devlink::DiscoverUsbPrinters(t.services, log);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].label, "USB01");
  EXPECT_EQ(found[0].device_path, "/dev/usb/lp3");
  EXPECT_EQ(found[1].label, "USB02");
  EXPECT_EQ(found[1].device_path, "/dev/usb/lp0");
  EXPECT_EQ(log.lines, (std::vector<std::string>{"Attempting to open /dev/usb/lp3\n",
                                                 "Attempting to open /dev/usb/lp0\n"}));
  // Discovery only looks: each device is opened shared and released at once.
  EXPECT_EQ(record.First("Open")->detail, "/dev/usb/lp3 shared");
  EXPECT_EQ(record.Count("Close"), 2);
  EXPECT_EQ(record.open_devices, 0);
}

TEST_F(UsbDiscoveryTest, InterfaceThatCannotBeOpenedIsSkipped) {
  record.usb_paths = {"/dev/usb/lp0", "/dev/usb/lp1", "/dev/usb/lp2"};
  record.unopenable_paths = {"/dev/usb/lp1"};
  const std::vector<devlink::UsbPrinter> found = devlink::DiscoverUsbPrinters(t.services, log);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].device_path, "/dev/usb/lp0");
  EXPECT_EQ(found[1].label, "USB02");
  EXPECT_EQ(found[1].device_path, "/dev/usb/lp2");
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           "Attempting to open /dev/usb/lp0\n", "Attempting to open /dev/usb/lp1\n",
                           "FAILED to open /dev/usb/lp1\n", "Attempting to open /dev/usb/lp2\n"}));
}

TEST_F(UsbDiscoveryTest, PassesStopOnceAPassHasListedAPrinter) {
  const struct {
    const char* name;
    int present;
    int unopenable_first;  // the first N interfaces fail to open
    size_t listed;
    std::vector<int> indexes;
  } cases[] = {
      {"none present", 0, 0, 0, {0}},
      {"nine printers: the first pass lists eight", 9, 0, 8, {0, 1, 2, 3, 4, 5, 6, 7}},
      {"first pass finds nothing, second pass runs to the end",
       10,
       8,
       2,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"second pass ends at sixteen",
       20,
       8,
       8,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
      {"nothing opens: walks to the end", 12, 12, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fakes::TestServices t2;
    t2.devices.record.usb_paths = Paths(c.present);
    for (int i = 0; i < c.unopenable_first; ++i)
      t2.devices.record.unopenable_paths.insert(Paths(c.present)[i]);
    RecordingLog log2;
    const std::vector<devlink::UsbPrinter> found = devlink::DiscoverUsbPrinters(t2.services, log2);
    EXPECT_EQ(found.size(), c.listed);
    if (!found.empty()) {
      EXPECT_EQ(found.front().label, "USB01");
      EXPECT_EQ(found.front().device_path,
                Paths(c.present)[static_cast<size_t>(c.unopenable_first)]);
    }
    std::vector<int> indexes;
    for (const fakes::Call& call : t2.devices.record.calls) {
      if (call.name == "DevicePathAt") indexes.push_back(std::stoi(call.detail));
    }
    EXPECT_EQ(indexes, c.indexes);
  }
}

TEST(DiscoveryLogTest, TraceLogPassesLinesToTheSink) {
  fakes::RecordingTrace trace;
  devlink::TraceDiscoveryLog log(trace);
  log.Line("FAILED to open /dev/usb/lp9\n");
  EXPECT_EQ(trace.texts, std::vector<std::string>{"FAILED to open /dev/usb/lp9\n"});
}

}  // namespace
