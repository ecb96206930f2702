// pelliset's commands against virtual printers in virtual time.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_rig.h"
#include "platform/registry/file_registry.h"
#include "platform/temp_dir.h"

namespace {

using clitest::CliRig;

constexpr char kPrinter[] = "tcp://127.0.0.1:9100";
constexpr uint8_t kPrintSwitch = 1;
// GS ( L, 4 parameter bytes, delete the NV image "AB".
constexpr uint8_t kDeleteAb[] = {0x1D, 0x28, 0x4C, 0x04, 0x00, 0x30, 0x42, 'A', 'B'};

std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
  return lines;
}

TEST(CliSettings, SetWritesTheDifferenceOnceThenOnlyReads) {
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  printer.model.state().switches[kPrintSwitch] = 0b00001100;  // density 100%

  ASSERT_EQ(rig.Run({"-p", kPrinter, "settings", "get"}), 0) << rig.err();
  EXPECT_NE(rig.out().find("\nprint.density = 100%\n"), std::string::npos) << rig.out();

  ASSERT_EQ(
      rig.Run({"-p", kPrinter, "settings", "set", "print.density=150%", "bluetooth.name=Shop 7"}),
      0)
      << rig.err();
  EXPECT_NE(rig.out().find("    print.density: 100% -> 150%\n"), std::string::npos) << rig.out();
  EXPECT_EQ(printer.model.state().switches[kPrintSwitch], 0b00001011);
  EXPECT_EQ(printer.model.state().bt_name, "Shop 7");

  // The same again: nothing differs.
  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "settings", "set", "print.density=150%",
                     "bluetooth.name=Shop 7"}),
            0);
  const std::vector<nlohmann::json> lines = JsonLines(rig.out());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["result"], "ok");
  EXPECT_EQ(lines[0]["changed"], false);
  EXPECT_EQ(lines[0]["message"], "unchanged");
}

TEST(CliSettings, OneKeyReadsAndWritesItsSwitchOnlyAndNoChangeWritesNothing) {
  using Bytes = std::vector<uint8_t>;
  const Bytes identify = {0x1D, 'I', 'C', 0x1D, 'I', 'A'};
  const Bytes read_switch1 = {0x1D, '(', 'E', 0x02, 0x00, 0x04, 0x01};
  // Enter setting mode; switch 1 with speed 0, double-byte on and density 150% (011), its other
  // bits left ('2'); leave setting mode.
  const Bytes write = {0x1D, '(',  'E',  0x03, 0x00, 0x01, 'I',  'N', 0x1D, '(', 'E',
                       0x0B, 0x00, 0x03, 0x01, '2',  '2',  '2',  '0', '1',  '0', '1',
                       '1',  0x1D, '(',  'E',  0x04, 0x00, 0x02, 'O', 'U',  'T'};
  CliRig rig;
  rig.Printer(kPrinter);
  ASSERT_EQ(rig.Run({"-p", kPrinter, "settings", "set", "print.density=150%"}), 0) << rig.err();
  Bytes expected = identify;
  expected.insert(expected.end(), read_switch1.begin(), read_switch1.end());
  expected.insert(expected.end(), write.begin(), write.end());
  EXPECT_EQ(rig.Received(kPrinter), expected);

  ASSERT_EQ(rig.Run({"-p", kPrinter, "settings", "set", "print.density=150%"}), 0) << rig.err();
  expected.insert(expected.end(), identify.begin(), identify.end());
  expected.insert(expected.end(), read_switch1.begin(), read_switch1.end());
  EXPECT_EQ(rig.Received(kPrinter), expected);
}

// The older firmware has no tear-off position: what `settings get` saved from such a printer goes
// back to it unchanged, while a new position is refused.
TEST(CliSettings, AFileSavedFromAnOlderPrinterGoesBackToIt) {
  CliRig rig;
  rig.Printer(kPrinter).model.config().firmware = sim::kOlderFirmware;
  platform_test::TempDir dir;
  ASSERT_EQ(rig.Run({"-p", kPrinter, "settings", "get"}), 0) << rig.err();
  std::ofstream(dir.File("saved.ini")) << rig.out();
  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "settings", "set", dir.File("saved.ini")}), 0)
      << rig.out() << rig.err();
  EXPECT_EQ(JsonLines(rig.out()).at(0)["message"], "unchanged");
  EXPECT_EQ(rig.Run({"-p", kPrinter, "settings", "set", "print.tear_off_position=40"}), 1);
  EXPECT_NE(rig.out().find("this printer's firmware has no tear-off position; nothing written"),
            std::string::npos)
      << rig.out();
}

// A settings file that cannot be read is named with the system's reason, not as missing.
TEST(CliSettings, AnUnreadableFileIsNamedWithTheSystemsReason) {
  CliRig rig;
  platform_test::TempDir dir;
  ASSERT_EQ(::symlink("b.ini", dir.File("a.ini").c_str()), 0);
  ASSERT_EQ(::symlink("a.ini", dir.File("b.ini").c_str()), 0);
  EXPECT_EQ(rig.Run({"-p", kPrinter, "settings", "set", dir.File("a.ini")}), 2);
  EXPECT_EQ(rig.err(), "pelliset: " + dir.File("a.ini") + ": Too many levels of symbolic links\n");
}

// The factory settings are the accepted model's: a printer naming another model keeps its own.
TEST(CliSettings, DefaultRestoresOnlyThePrinterOfTheAcceptedModel) {
  CliRig rig;
  const std::string other = "tcp://127.0.0.1:9101";
  fakes::SimServices& printer = rig.Printer(kPrinter);
  fakes::SimServices& other_printer = rig.Printer(other);
  printer.model.state().switches[kPrintSwitch] = 0b00001011;
  other_printer.model.state().switches[kPrintSwitch] = 0b00001011;
  other_printer.model.config().model = "XYZ-100";
  EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "-p", other, "settings", "default", "--yes"}), 1);
  EXPECT_NE(printer.model.state().switches[kPrintSwitch], 0b00001011);
  EXPECT_EQ(other_printer.model.state().switches[kPrintSwitch], 0b00001011);
  for (const nlohmann::json& line : JsonLines(rig.out())) {
    if (line["address"] != other) continue;
    EXPECT_EQ(line["result"], "failed");
    EXPECT_EQ(line["message"].get<std::string>().rfind("Printer model is not matched!", 0), 0u)
        << line;
  }
}

// Nothing in setting mode is answered: a printer that closed the connection during the writes
// must not be reported as set.
TEST(CliSettings, APrinterThatClosesDuringTheWriteFailsTheSet) {
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  // Identification, the switch read, InitSetting and the switch's header are 27 bytes; the link
  // dies inside its 9 data bytes, which the write still hands over whole.
  printer.model.faults().drop_after_bytes = 30;
  EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "settings", "set", "print.density=150%"}), 1);
  const nlohmann::json line = JsonLines(rig.out()).at(0);
  EXPECT_EQ(line["result"], "failed");
  EXPECT_EQ(line["message"].get<std::string>().rfind("Failed to write setting end command!", 0), 0u)
      << line;
}

// Wherever the connection dies, a set reported as done has reached the printer and left it out of
// setting mode: the Bluetooth write comes after setting mode has been left, and was reported done
// into a closed connection; so was a command to leave setting mode the printer took only part of.
TEST(CliSettings, ASetReportedDoneReachedThePrinterWhereverTheLinkDies) {
  for (const std::string set : {"bluetooth.pin=9999", "print.density=150%"}) {
    int done = 0;
    int failed = 0;
    for (uint64_t drop = 0; drop < 200; drop += 3) {
      CliRig rig;
      fakes::SimServices& printer = rig.Printer(kPrinter);
      printer.model.faults().drop_after_bytes = drop;
      if (rig.Run({"-p", kPrinter, "settings", "set", set}) != 0) {
        ++failed;
        continue;
      }
      ++done;
      const std::string where = set + ", dropped after " + std::to_string(drop) + " bytes";
      if (set.starts_with("bluetooth")) {
        EXPECT_EQ(printer.model.state().bt_pin, "9999") << where;
      }
      EXPECT_FALSE(printer.model.state().setting_mode) << where;
    }
    EXPECT_GT(done, 0) << set;
    EXPECT_GT(failed, 0) << set;
  }
}

// A set that writes only the items it changes leaves the printer as the whole write does.
TEST(CliSettings, ItemSetLeavesThePrinterAsTheFullSetDoes) {
  const std::vector<std::string> sets = {
      "print.density=150%",         "beep.low_battery=off", "serial.parity=even",
      "print.tear_off_position=40", "msr.track2.end=E2",    "bluetooth.pin=1234",
      "bluetooth.ble=on",           "radio.interface=2",
  };
  for (const std::string& set : sets) {
    CliRig rig;
    const std::string item = "tcp://127.0.0.1:9101";
    const std::string full = "tcp://127.0.0.1:9102";
    fakes::SimServices& item_printer = rig.Printer(item);
    fakes::SimServices& full_printer = rig.Printer(full);
    ASSERT_EQ(rig.Run({"-p", item, "settings", "set", set}), 0) << set << rig.err();
    ASSERT_EQ(rig.Run({"-p", full, "settings", "set", "--full", set}), 0) << set << rig.err();
    EXPECT_NE(item_printer.model.state(), sim::FactoryState("TMQ-D550")) << set;
    EXPECT_EQ(item_printer.model.state(), full_printer.model.state()) << set;
  }
}

// The headers of a bottom-up 24-bit BMP of `width` x `height` dots; the rows follow, each
// padded to four bytes.
// A BMP's headers; a 1-bit one also carries its palette (0 black, 1 white).
std::string BmpHeader(uint32_t width, uint32_t height, uint16_t bits = 24) {
  const uint32_t row_bytes = (bits * width + 31) / 32 * 4;
  const uint32_t palette = bits == 1 ? 8 : 0;
  std::string file = {'B', 'M'};
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto u16 = [&](uint16_t v) {
    file += static_cast<char>(v & 0xFF);
    file += static_cast<char>(v >> 8);
  };
  u32(54 + palette + row_bytes * height);
  u32(0);
  u32(54 + palette);
  u32(40);
  u32(width);
  u32(height);
  u16(1);
  u16(bits);
  u32(0);
  u32(row_bytes * height);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  if (bits == 1) file += std::string("\0\0\0\0\xFF\xFF\xFF\0", 8);
  return file;
}

// An 8 x 2 BMP: row 0 (the top) black, white, black... ; row 1, first in the file, all white.
std::string TinyBmp() {
  std::string file = BmpHeader(8, 2) + std::string(24, '\xFF');
  for (int x = 0; x < 8; ++x) file += std::string(3, x % 2 == 0 ? '\0' : '\xFF');
  return file;
}

TEST(CliSettings, BadInputIsRefusedBeforeAnythingIsSent) {
  platform_test::TempDir dir;
  const std::string bad_file = dir.File("bad.ini");
  std::ofstream(dir.File("empty.fls")) << "";
  ASSERT_EQ(::mkfifo(dir.File("pipe.fls").c_str(), 0600), 0);
  // 1000 x 1 dots shrink to 384 x 0 at the printable width.
  std::ofstream(dir.File("flat.bmp"), std::ios::binary)
      << BmpHeader(1000, 1) << std::string(3000, '\xFF');
  // 1600 x 5462 dots fit one define command at 384 x 1310, but the image list counts the file's
  // own height: 48 x 5462 = 262,176 bytes, more than the whole area.
  std::ofstream(dir.File("tall.bmp"), std::ios::binary)
      << BmpHeader(1600, 5462, 1) << std::string(200 * 5462, '\xFF');
  std::ofstream(bad_file) << "format_version = 1\nprint.density = 150%\nprint.density = 90%\n";
  std::ofstream(dir.File("blank.ini")) << "# saved by a get that failed\n";
  // Files that once ended the program: arrays nested 100,000 deep (200 KB), numbers beyond a
  // double, and a printers file of a million bad lines (2 MB).
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  std::ofstream(dir.File("deep_value.json"))
      << "{\"settings\": {\"print.density\": " << deep << "}}";
  std::ofstream(dir.File("deep_version.json")) << "{\"format_version\": " << deep << "}";
  std::ofstream(dir.File("huge_value.json")) << "{\"settings\": {\"print.density\": 1e400}}";
  std::ofstream(dir.File("huge_version.json")) << "{\"format_version\": 1e400}";
  {
    std::ofstream junk(dir.File("junk.txt"));
    for (int i = 0; i < 1000000; ++i) junk << "x\n";
  }
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{"settings", "set", "print.densty=150%"}, "print.densty"},
      {{"settings", "set", "print.density=155%"}, "print.density"},
      {{"settings", "set", "power.off_minutes=900"}, "power.off_minutes"},
      {{"settings", "set", "bluetooth.pin=1234567890123"}, "bluetooth.pin: 13 bytes"},
      {{"settings", "set", "bluetooth.name=ab\\x00cd"}, "bluetooth.name: a NUL byte (00h"},
      {{"settings", "set", "msr.track2.end=A\\x1FB"}, "msr.track2.end: 1Fh"},
      // 16 two-byte characters: 32 bytes as sent, over the 30 a name may have.
      {{"settings", "set", "bluetooth.name=ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ"}, "bluetooth.name"},
      {{"settings", "set", bad_file}, "print.density"},
      {{"settings", "set", dir.File("blank.ini")}, "blank.ini: no settings in it"},
      {{"settings", "set", "print.density"},
       "print.density: no such file; to set print.density write print.density=VALUE"},
      {{"settings", "default"}, "--yes"},
      {{"logo", "add", bad_file}, "bad.ini"},
      // Named as typed: two folders may each hold a flat.bmp.
      {{"logo", "add", dir.File("flat.bmp")},
       dir.File("flat.bmp") + ": scaled to 384 x 0 dots it has no rows"},
      {{"logo", "add", dir.File("tall.bmp")},
       dir.File("tall.bmp") +
           ": counted as 262176 bytes it does not fit the printer's NV image area (262144 "
           "bytes)"},
      {{"logo", "print", "1"}, "two printable characters"},
      {{"firmware", dir.File("missing.fls"), "--yes"}, "missing.fls"},
      {{"firmware", dir.File("empty.fls"), "--yes"}, "empty"},
      {{"firmware", bad_file, "--yes"}, "not a firmware file"},
      // A pipe no program writes to held the command in its open for ever.
      {{"firmware", dir.File("pipe.fls"), "--yes"}, "pipe.fls: not a regular file"},
      {{"logo", "delete-all", "--yes", "--dry-run"}, "--dry-run does not apply"},
      {{"discover", "--json", "--summary"}, "--summary does not apply to discover"},
      {{"settings", "default", "--yes=no"}, "option '--yes' takes no value"},
      {{"-p", "TCP://127.0.0.1:9100", "identify"}, "is the same as"},
      {{"-p", "tcp://127.0.0.1:9100", "identify"}, "tcp://127.0.0.1:9100 is given twice"},
      // An unreadable registry would send COM3 to the default device instead of its mapping.
      {{"-p", "COM3", "identify"},
       "COM3: the COM port names cannot be looked up: " + dir.path() + ": a folder, not a file"},
      {{"settings", "set", "--dry-run", dir.File("deep_value.json")},
       "deep_value.json: nested deeper than a settings file is (byte 33)"},
      {{"settings", "set", dir.File("deep_version.json")}, "deep_version.json: nested deeper"},
      {{"settings", "set", dir.File("huge_value.json")}, "number overflow parsing '1e400'"},
      {{"settings", "set", dir.File("huge_version.json")}, "number overflow parsing '1e400'"},
      // 300 bytes without a '/' is no file name the system takes.
      {{"settings", "set", "bluetooth.name=" + std::string(300, 'n')},
       "bluetooth.name: 300 bytes, at most 30"},
      {{"settings", "set", "print.density=" + std::string(5000, 'd')},
       "print.density: \"dddddddddddddddddddddddddddddddddddddddd...\" (5000 bytes) is not one of"},
      {{"--printers", dir.File("junk.txt"), "identify"}, "999990 more bad lines (1000000 in all)"},
      {{"--printers", "-", "identify"}, "standard input: not available"},
      // An escape sequence in an address is shown, not obeyed by the terminal.
      {{"-p", "tcp://127.0.0.1:9101\x1b[31m", "identify"}, "9101?[31m"},
      // Nor a right-to-left override, which would show this name as "nobmp.bmp".
      {{"logo", "add", "no\xE2\x80\xAEpmb.bmp"}, "no?pmb.bmp"},
  };
  platform::FileRegistry folder_registry(dir.path());
  for (const Case& c : cases) {
    CliRig rig;
    rig.port_registry = &folder_registry;
    rig.Printer(kPrinter);
    std::vector<std::string> args = {"-p", kPrinter};
    args.insert(args.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(rig.Run(args), 2) << c.args[1];
    EXPECT_NE(rig.err().find(c.says), std::string::npos) << rig.err().substr(0, 2000);
    // A message for a person, however large or odd the input.
    EXPECT_LT(rig.err().size(), 5000u) << c.args[1];
    EXPECT_EQ(rig.err().find('\x1b'), std::string::npos) << c.args[1];
    EXPECT_TRUE(rig.Received(kPrinter).empty()) << c.args[1];
  }
}

// Only the items written are checked: a set that does not write them goes through.
TEST(CliSettings, HeldValuesThatCannotGoBackStopTheWrite) {
  CliRig rig;
  const std::string no_sentinels = "tcp://127.0.0.1:9101";
  const std::string odd_baud = "tcp://127.0.0.1:9102";
  fakes::SimServices& first = rig.Printer(no_sentinels);
  first.model.state().sentinel_start[0] = "%";
  first.model.faults().silent_for = {sim::Command::kReadSentinel};
  fakes::SimServices& second = rig.Printer(odd_baud);
  second.model.state().serial[0] = "1200";
  const sim::PrinterState first_before = first.model.state();
  const sim::PrinterState second_before = second.model.state();

  // A backup shows the sentinels it did not get as empty, and says so beside the file, in the
  // JSON line too.
  ASSERT_EQ(rig.Run({"-q", "-p", no_sentinels, "settings", "get"}), 0);
  EXPECT_NE(rig.out().find("\nmsr.track1.start = \"\"\n"), std::string::npos) << rig.out();
  EXPECT_NE(rig.err().find("pelliset: msr.track1: not reported by the printer (shown empty)\n"),
            std::string::npos)
      << rig.err();
  ASSERT_EQ(rig.Run({"--json", "-p", no_sentinels, "settings", "get"}), 0);
  EXPECT_EQ(JsonLines(rig.out()).at(0)["warnings"].size(), 3u) << rig.out();

  for (const std::vector<std::string>& set :
       {std::vector<std::string>{"--full", "print.speed=50mm/s"}, {"msr.track1.end=E"}}) {
    std::vector<std::string> args = {"--json", "-p", no_sentinels, "settings", "set"};
    if (set.size() > 1) args.insert(args.begin() + 1, {"-p", odd_baud});
    args.insert(args.end(), set.begin(), set.end());
    EXPECT_EQ(rig.Run(args), 1);
    const std::vector<nlohmann::json> lines = JsonLines(rig.out());
    ASSERT_EQ(lines.size(), set.size()) << rig.out();
    for (const nlohmann::json& line : lines) {
      EXPECT_EQ(line["result"], "failed") << line;
      EXPECT_EQ(line["changed"], false) << line;  // refused before any write
      const std::string message = line["message"];
      EXPECT_NE(message.find(line["address"] == no_sentinels
                                 ? "msr.track1: the printer did not report its sentinels"
                                 : "serial.baud_rate: the printer holds 1200"),
                std::string::npos)
          << message;
    }
    EXPECT_EQ(first.model.state(), first_before);
    EXPECT_EQ(second.model.state(), second_before);
  }
  EXPECT_EQ(rig.Run({"-p", no_sentinels, "-p", odd_baud, "settings", "set", "print.speed=50mm/s"}),
            0)
      << rig.out();
  // Switch 1 gets its speed bit (c4, 10h); nothing else changes.
  for (sim::PrinterState expected : {first_before, second_before}) {
    expected.switches[kPrintSwitch] |= 0x10;
    EXPECT_EQ(expected, (expected.serial == first_before.serial ? first : second).model.state());
  }
  // The Bluetooth write carries the PIN with the name: a held PIN it cannot carry is named.
  first.model.state().bt_pin = "12345678901234567890";
  EXPECT_EQ(rig.Run({"-p", no_sentinels, "settings", "set", "bluetooth.name=Shop"}), 1);
  EXPECT_NE(rig.out().find("bluetooth.pin: the printer holds a value that cannot be written back"),
            std::string::npos)
      << rig.out();
  EXPECT_EQ(
      rig.Run({"-p", no_sentinels, "settings", "set", "bluetooth.name=Shop", "bluetooth.pin=1234"}),
      0)
      << rig.out();
  EXPECT_EQ(first.model.state().bt_name, "Shop");

  // Font 3 and sentinel mode 3 share the options switch with the beeps: setting a beep would
  // have made them A and none without a word.
  second.model.state().switches[8] = 0x7F;
  const sim::PrinterState held = second.model.state();
  EXPECT_EQ(rig.Run({"-p", odd_baud, "settings", "set", "beep.paper_end=on"}), 1);
  EXPECT_NE(rig.out().find("print.font: the printer holds 3, which cannot be written back; give "
                           "print.font as A, B or C"),
            std::string::npos)
      << rig.out();
  EXPECT_NE(rig.out().find("msr.sentinel: the printer holds 3"), std::string::npos) << rig.out();
  EXPECT_EQ(second.model.state(), held);
  EXPECT_EQ(rig.Run({"-p", odd_baud, "settings", "set", "beep.paper_end=on", "print.font=B",
                     "msr.sentinel=static"}),
            0)
      << rig.out();
  ASSERT_EQ(rig.Run({"-p", odd_baud, "settings", "get"}), 0);
  for (const char* line : {"\nprint.font = B\n", "\nmsr.sentinel = static\n",
                           "\nbeep.paper_end = on\n", "\nbeep.low_battery = off\n"}) {
    EXPECT_NE(rig.out().find(line), std::string::npos) << line << rig.out();
  }
}

// TinyBmp() as the file dots.bmp in `dir`.
std::string WriteTinyBmp(const platform_test::TempDir& dir, const std::string& name = "dots.bmp") {
  const std::string path = dir.File(name);
  std::ofstream(path, std::ios::binary) << TinyBmp();
  return path;
}

TEST(CliLogo, AddListPrintDeleteAgainstTheVirtualPrinter) {
  platform_test::TempDir dir;
  const std::string bmp = WriteTinyBmp(dir);
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);

  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp}), 0) << rig.out() << rig.err();
  std::vector<nlohmann::json> lines = JsonLines(rig.out());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0]["stored"], nlohmann::json::parse(R"([{"key_code":"10","file":"dots.bmp"}])"));
  // GS ( L, 13 parameter bytes, define raster graphics under "10": one colour, 8 x 2 dots, then
  // the rows, most significant bit first: black dots at x 0, 2, 4, 6.
  const std::vector<uint8_t> define = {0x1D, 0x28, 0x4C, 0x0D, 0x00, 0x30, 0x43, 0x30, '1',
                                       '0',  0x01, 0x08, 0x00, 0x02, 0x00, 0x31, 0xAA, 0x00};
  const std::vector<uint8_t>& sent = rig.Received(kPrinter);
  EXPECT_NE(std::search(sent.begin(), sent.end(), define.begin(), define.end()), sent.end());
  const sim::NvKeyCode ten = {'1', '0'};
  ASSERT_EQ(printer.model.state().nv_images.count(ten), 1u);
  EXPECT_EQ(printer.model.state().nv_images.at(ten).raster, (std::vector<uint8_t>{0xAA, 0x00}));

  // A second image gets the next free code; a line end in its name does not split the table,
  // and a right-to-left override does not turn the line around.
  ASSERT_EQ(
      rig.Run({"-p", kPrinter, "logo", "add", WriteTinyBmp(dir, "two\nlines\xE2\x80\xAE.bmp")}), 0);
  EXPECT_NE(rig.out().find("stored 1 image under 11\n    11  two\\x0Alines\\xE2\\x80\\xAE.bmp\n"),
            std::string::npos)
      << rig.out();
  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "list"}), 0);
  EXPECT_EQ(JsonLines(rig.out())[0]["key_codes"], nlohmann::json::parse(R"(["10","11"])"));

  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "add", bmp, "--key", "11"}), 1);
  EXPECT_NE(rig.out().find("Exists address! (11 is held by the printer; nothing was stored: "
                           "--replace stores over it)"),
            std::string::npos)
      << rig.out();
  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "print", "10"}), 0);
  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "delete", "10"}), 0);
  EXPECT_EQ(printer.model.state().nv_images.count(ten), 0u);
  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "delete", "10"}), 1);
  EXPECT_NE(rig.out().find("no image under 10 (it holds 11)"), std::string::npos) << rig.out();
  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "delete-all", "--yes"}), 0);
  EXPECT_TRUE(printer.model.state().nv_images.empty());
}

// Scripts that say how things should end up run twice without special cases.
TEST(CliLogo, ReplaceAndMissingOkMakeRepeatedRunsSucceed) {
  platform_test::TempDir dir;
  const std::string bmp = WriteTinyBmp(dir);
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  const sim::NvKeyCode ab = {'A', 'B'};
  printer.model.state().nv_images[ab] = sim::NvImage{8, 1, {0xFF}};

  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, "--key", "AB", "--replace"}),
              0)
        << rig.out() << rig.err();
    const nlohmann::json line = JsonLines(rig.out()).at(0);
    EXPECT_EQ(line["changed"], true);
    EXPECT_EQ(line["replaced"], nlohmann::json::parse(R"(["AB"])"));
    EXPECT_EQ(line["message"], "stored 1 image under AB (replaced AB)");
    ASSERT_EQ(printer.model.state().nv_images.count(ab), 1u);
    EXPECT_EQ(printer.model.state().nv_images.at(ab).raster, (std::vector<uint8_t>{0xAA, 0x00}));
  }
  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "add", bmp, "--replace"}), 2);
  EXPECT_NE(rig.err().find("--replace needs the key codes given with --key"), std::string::npos);

  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "delete", "AB", "--missing-ok"}), 0);
  EXPECT_EQ(JsonLines(rig.out()).at(0)["changed"], true);
  EXPECT_TRUE(printer.model.state().nv_images.empty());
  const size_t sent = rig.Received(kPrinter).size();
  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "delete", "AB", "--missing-ok"}), 0);
  const nlohmann::json line = JsonLines(rig.out()).at(0);
  EXPECT_EQ(line["result"], "ok");
  EXPECT_EQ(line["changed"], false);
  EXPECT_EQ(line["message"], "unchanged: the printer holds no image under AB (it holds none)");
  // The printer was asked for its key codes and told to delete nothing.
  const std::vector<uint8_t>& all = rig.Received(kPrinter);
  EXPECT_GT(all.size(), sent);
  EXPECT_EQ(std::search(all.begin() + static_cast<std::ptrdiff_t>(sent), all.end(), kDeleteAb,
                        kDeleteAb + sizeof kDeleteAb),
            all.end());
  EXPECT_EQ(rig.Run({"-p", kPrinter, "logo", "print", "AB", "--missing-ok"}), 2);
  EXPECT_NE(rig.err().find("--missing-ok does not apply to logo print"), std::string::npos);
  // Refused before anything was sent: the printer is known to be unchanged.
  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "delete", "AB"}), 1);
  EXPECT_EQ(JsonLines(rig.out()).at(0)["changed"], false);
}

// A file that changes after the start-up check (a fleet's later printers are reached minutes
// later) is read and converted before the held image would be deleted for it.
TEST(CliLogo, AFileChangedAfterItsCheckLeavesTheHeldImageInPlace) {
  platform_test::TempDir dir;
  const std::string bmp = WriteTinyBmp(dir);
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  printer.model.state().nv_images[{'A', 'B'}] = sim::NvImage{8, 1, {0xFF}};
  struct Spoil : platform::IdleHook {
    std::string path;
    void OnIdle() override { std::ofstream(path, std::ios::trunc) << "not a bmp"; }
  } spoil;
  spoil.path = bmp;
  printer.clock.SetIdleHook(&spoil);
  EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, "--key", "AB", "--replace"}), 1);
  printer.clock.SetIdleHook(nullptr);
  const nlohmann::json line = JsonLines(rig.out()).at(0);
  EXPECT_EQ(line["changed"], false) << line;
  EXPECT_EQ(line["message"], bmp + ": not a BMP file") << line;
  EXPECT_EQ(printer.model.state().nv_images.count({'A', 'B'}), 1u);
}

// A printer slow to list its key codes is asked again; its answers to those queries, still on
// their way when the list was read, must not pass for the list read back after the download.
TEST(CliLogo, LateAnswersOfASlowPrinterAreNotTakenForTheListReadBack) {
  platform_test::TempDir dir;
  const std::string bmp = WriteTinyBmp(dir);
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  printer.model.state().nv_images[{'1', '0'}] = sim::NvImage{8, 1, {0xFF}};
  printer.model.faults().extra_delay_ms = 2000;
  printer.model.faults().only = {sim::Command::kNvKeys};
  EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, "--key", "13"}), 0) << rig.out();
  EXPECT_EQ(JsonLines(rig.out()).at(0)["message"], "stored 1 image under 13");
}

// The same, with a list of several blocks: each block is waited for as long as the first took,
// so a query sent again never restarts the list under the blocks still to come.
TEST(CliLogo, ASlowPrintersListOfSeveralBlocksIsReadOnce) {
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  for (const uint8_t second : {'0', '1', '2', '3', '4'}) {
    printer.model.state().nv_images[{'1', second}] = sim::NvImage{8, 1, {0xFF}};
  }
  printer.model.config().nv_keys_per_block = 2;
  printer.model.faults().extra_delay_ms = 4000;
  printer.model.faults().only = {sim::Command::kNvKeys};
  ASSERT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "list"}), 0) << rig.out();
  EXPECT_EQ(JsonLines(rig.out())[0]["key_codes"],
            nlohmann::json::parse(R"(["10","11","12","13","14"])"));
}

// Ctrl-C once the old image is gone, while its delete job reads the list again.
TEST(CliLogo, AReplaceStoppedAfterItsDeleteSaysTheOldImageMayBeGone) {
  platform_test::TempDir dir;
  const std::string bmp = WriteTinyBmp(dir);
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  printer.model.state().nv_images[{'A', 'B'}] = sim::NvImage{8, 1, {0xFF}};
  struct Watch : platform::IdleHook {
    fakes::SimServices* printer;
    std::atomic<bool>* interrupted;
    void OnIdle() override {
      if (printer->model.state().nv_images.empty()) interrupted->store(true);
    }
  } watch;
  watch.printer = &printer;
  watch.interrupted = &rig.interrupted;
  printer.clock.SetIdleHook(&watch);
  EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, "--key", "AB", "--replace"}),
            130);
  printer.clock.SetIdleHook(nullptr);
  const nlohmann::json line = JsonLines(rig.out()).at(0);
  EXPECT_EQ(line["result"], "interrupted") << line;
  EXPECT_NE(line["message"].get<std::string>().find("AB may be deleted"), std::string::npos)
      << line;
}

// Ctrl-C once the first of two images is in the printer: the second is not sent, and the result
// says that the first may be stored.
TEST(CliLogo, AnAddStoppedAfterAnImageWentOutSaysItMayBeStored) {
  platform_test::TempDir dir;
  const std::string bmp = WriteTinyBmp(dir);
  CliRig rig;
  fakes::SimServices& printer = rig.Printer(kPrinter);
  struct Watch : platform::IdleHook {
    fakes::SimServices* printer;
    std::atomic<bool>* interrupted;
    void OnIdle() override {
      if (printer->model.state().nv_images.count({'A', 'B'}) != 0) interrupted->store(true);
    }
  } watch;
  watch.printer = &printer;
  watch.interrupted = &rig.interrupted;
  printer.clock.SetIdleHook(&watch);
  EXPECT_EQ(
      rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, bmp, "--key", "AB", "--key", "CD"}),
      130);
  printer.clock.SetIdleHook(nullptr);
  const nlohmann::json line = JsonLines(rig.out()).at(0);
  EXPECT_EQ(line["result"], "interrupted") << line;
  EXPECT_EQ(line["changed"], true) << line;
  EXPECT_NE(line["message"].get<std::string>().find("AB sent before that; the printer may hold it"),
            std::string::npos)
      << line;
  EXPECT_EQ(printer.model.state().nv_images.count({'C', 'D'}), 0u);
}

// No define command is answered: a logo the printer did not keep shows in its list, or in its
// closing the connection during the download.
TEST(CliLogo, ALogoThePrinterDidNotKeepFails) {
  platform_test::TempDir dir;
  const std::string bmp = dir.File("black.bmp");
  std::ofstream(bmp, std::ios::binary) << BmpHeader(384, 50) << std::string(384 * 3 * 50, '\0');
  struct Case {
    std::function<void(sim::PrinterModel&)> fault;
    std::string message;
  };
  const Case cases[] = {
      {[](sim::PrinterModel& m) {
         m.state().nv_images[{'9', '9'}] = sim::NvImage{2048, 1024, std::vector<uint8_t>(262144)};
       },
       "sent, but the printer does not list AB: its memory may be full, or the link dropped "
       "during the download"},
      // The define goes in one write of 2,413 bytes, which the link takes before it dies.
      {[](sim::PrinterModel& m) { m.faults().drop_after_bytes = 200; },
       "the printer closed the connection; what was sent after that is lost"},
      // The image AB held is deleted before the new one fails: the message says so.
      {[](sim::PrinterModel& m) {
         m.state().nv_images[{'A', 'B'}] = sim::NvImage{8, 1, {0xFF}};
         m.faults().drop_after_bytes = 200;
       },
       "is lost\nAB deleted first; the new image for it may not be stored"},
  };
  for (const Case& c : cases) {
    CliRig rig;
    fakes::SimServices& printer = rig.Printer(kPrinter);
    c.fault(printer.model);
    EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, "--key", "AB", "--replace"}),
              1);
    const nlohmann::json line = JsonLines(rig.out()).at(0);
    EXPECT_EQ(line["result"], "failed");
    const std::string message = line["message"];
    EXPECT_NE(message.find(c.message), std::string::npos) << line;
    // Lines parted by \n alone, as the table parts them by a dash; no blank before the first.
    EXPECT_EQ(message.find('\r'), std::string::npos) << line;
    EXPECT_NE(message.front(), ' ') << line;
    EXPECT_EQ(printer.model.state().nv_images.count({'A', 'B'}), 0u);
  }
}

// Of two images the printer keeps only the first: it is reported stored, so that a second run
// does not send it again, and the image it replaced is not reported lost.
TEST(CliLogo, APartlyKeptDownloadReportsWhatIsStored) {
  platform_test::TempDir dir;
  const std::string bmp = dir.File("black.bmp");
  std::ofstream(bmp, std::ios::binary) << BmpHeader(384, 50) << std::string(384 * 3 * 50, '\0');
  CliRig rig;
  sim::PrinterState& state = rig.Printer(kPrinter).model.state();
  state.nv_images[{'A', 'B'}] = sim::NvImage{8, 1, {0xFF}};
  // 3,072 bytes free: room for one image of 2,400 raster bytes, not for two.
  state.nv_images[{'9', '9'}] = sim::NvImage{2048, 1012, std::vector<uint8_t>(259072)};
  EXPECT_EQ(rig.Run({"--json", "-p", kPrinter, "logo", "add", bmp, bmp, "--key", "AB", "--key",
                     "CD", "--replace"}),
            1);
  const nlohmann::json line = JsonLines(rig.out()).at(0);
  EXPECT_EQ(line["result"], "failed");
  EXPECT_EQ(line["changed"], true);
  EXPECT_EQ(line["replaced"], nlohmann::json::parse(R"(["AB"])"));
  EXPECT_EQ(line["stored"], nlohmann::json::parse(R"([{"key_code": "AB", "file": "black.bmp"}])"));
  EXPECT_EQ(line["message"],
            "sent, but the printer does not list CD: its memory may be full, or the link dropped "
            "during the download\nstored AB");
}

// Host names go through the run's resolver, once per name; a name that does not resolve fails
// its printer alone, and nothing is sent to it.
TEST(CliFleet, HostNamesResolveOncePerRunAndAFailedNameFailsOnlyItsPrinter) {
  struct Names : platform::HostResolver {
    platform::HostLookup Resolve(const std::string& name) override {
      const std::lock_guard<std::mutex> lock(mutex);
      ++asked[name];
      if (name == "till-1.shop.example") return {{"192.0.2.1"}, ""};
      return {{}, "Name or service not known"};
    }
    std::mutex mutex;
    std::map<std::string, int> asked;
  } names;
  CliRig rig;
  rig.names = &names;
  const std::string good[] = {"tcp://till-1.shop.example", "tcp://TILL-1.shop.example:9101",
                              "tcp://[::1]:9100"};
  const std::string bad = "tcp://till-2.shop.example";
  for (const std::string& address : good) rig.Printer(address);
  rig.Printer(bad);
  EXPECT_EQ(rig.Run({"--json", "-j", "4", "-p", good[0], "-p", good[1], "-p", bad, "-p", good[2],
                     "identify"}),
            1);
  const std::vector<nlohmann::json> lines = JsonLines(rig.out());
  ASSERT_EQ(lines.size(), 4u) << rig.out();
  for (const nlohmann::json& line : lines) {
    if (line["address"] == bad) {
      EXPECT_EQ(line["result"], "failed");
      EXPECT_EQ(line["message"], "till-2.shop.example: cannot resolve: Name or service not known");
    } else {
      EXPECT_EQ(line["result"], "ok") << line;
    }
  }
  EXPECT_TRUE(rig.Received(bad).empty());
  EXPECT_EQ(names.asked,
            (std::map<std::string, int>{{"till-1.shop.example", 1}, {"till-2.shop.example", 1}}));
  // A write that never reached the printer changed nothing.
  EXPECT_EQ(rig.Run({"--json", "-p", bad, "logo", "delete", "10"}), 1);
  EXPECT_EQ(JsonLines(rig.out()).at(0)["changed"], false) << rig.out();

  // A name that leads to a printer given by its address is that printer again: not run twice.
  const std::string by_address = "tcp://192.0.2.1";
  rig.Printer(by_address);
  rig.Printer(good[0]).devices.line().sent.clear();
  EXPECT_EQ(rig.Run({"--json", "-p", good[0], "-p", by_address, "logo", "delete", "10"}), 1);
  nlohmann::json again;
  for (const nlohmann::json& line : JsonLines(rig.out())) {
    if (line["address"] == good[0]) again = line;
  }
  EXPECT_EQ(again["message"],
            "till-1.shop.example is the printer tcp://192.0.2.1 at 192.0.2.1; "
            "each printer may be given once")
      << rig.out();
  EXPECT_EQ(again["changed"], false);
  EXPECT_TRUE(rig.Received(good[0]).empty());
}

TEST(CliFleet, TwentyPrintersTwoSilentOneDroppingAreReportedAndTheRestSucceed) {
  CliRig rig;
  std::vector<std::string> args = {"--json", "-j", "8"};
  for (int i = 0; i < 20; ++i) {
    const std::string address = "tcp://127.0.0." + std::to_string(i + 1) + ":9100";
    fakes::SimServices& printer = rig.Printer(address);
    if (i == 4 || i == 11) printer.model.faults().silent = true;
    if (i == 17) printer.model.faults().drop_after_bytes = 10;
    args.insert(args.end(), {"-p", address});
  }
  args.insert(args.end(), {"settings", "set", "print.density=150%"});
  EXPECT_EQ(rig.Run(args), 1);

  const std::vector<nlohmann::json> lines = JsonLines(rig.out());
  ASSERT_EQ(lines.size(), 20u) << rig.out();
  std::vector<std::string> failed;
  for (const nlohmann::json& line : lines) {
    if (line["result"] == "ok") {
      EXPECT_EQ(line["changed"], true) << line;
      EXPECT_EQ(line["changes"][0]["after"], "150%") << line;
      continue;
    }
    failed.push_back(line["address"]);
    EXPECT_EQ(line["changed"], false) << line;  // each failed while reading
    // The silent ones fail at the first query; the one whose connection dies, where it died, and
    // for that reason.
    const std::string message = line["message"];
    const bool silent = line["address"] != "tcp://127.0.0.18:9100";
    EXPECT_EQ(message.rfind(silent ? "Printer model is not matched!\n" : "Failed to read ", 0), 0u)
        << message;
    EXPECT_NE(message.find(silent ? "\nno answer from the printer at"
                                  : ": the printer closed the connection"),
              std::string::npos)
        << message;
  }
  std::sort(failed.begin(), failed.end());
  EXPECT_EQ(failed, (std::vector<std::string>{"tcp://127.0.0.12:9100", "tcp://127.0.0.18:9100",
                                              "tcp://127.0.0.5:9100"}));
}

}  // namespace
