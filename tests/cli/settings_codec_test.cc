#include "cli/settings_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cli {
namespace {

using ::testing::HasSubstr;

// Every field away from its default, with texts that need quotes and escapes in the files.
protocol::PrinterSettings Unusual() {
  protocol::PrinterSettings s;
  s.Sentinel = 2;
  s.SentinelStart = {"%", ";", "a\\b\x01"};
  s.SentinelEnd = {"?", " ?", "\xFF"};  // a blank at either end needs quotes in the ini file ...
  s.Density = 3;
  s.Speed = 1;
  s.CodePage = 36;
  s.Service = 1;
  s.FontType = 2;
  s.BeepPaper = 1;
  s.BeepLowBat = 1;
  s.LCharMode = 1;
  s.TimeOff = 90;
  s.TimeSave = 255;
  s.CuttingPosition = 640;
  s.Msr = 2;
  s.Baudrate = 9600;
  s.Databit = 7;
  s.Parity = 2;
  s.Flowcontrol = 2;
  s.BtSecurity = 1;
  s.BtConnMode = 2;
  s.BtPin = "123456789012";
  s.BtName = "\"Kasse\" #2 \xC3\xBC";  // ... and so does a leading quote: "ü"
  s.BleMode = 1;
  s.RfInterface = 2;
  return s;
}

protocol::PrinterSettings ReadBack(const std::string& text, const std::string& file_name,
                                   protocol::PrinterSettings onto) {
  std::vector<Assignment> assignments;
  std::string error;
  EXPECT_TRUE(ParseSettingsText(text, file_name, &assignments, &error)) << error;
  EXPECT_TRUE(ApplyAssignments(assignments, &onto, &error)) << error;
  return onto;
}

TEST(SettingsCodecTest, IniAndJsonGiveBackEveryField) {
  const protocol::PrinterSettings unusual = Unusual();
  EXPECT_EQ(ReadBack(SettingsToIni(unusual, {"Printer: 127.0.0.1:9100"}), "p.ini", {}), unusual);
  EXPECT_EQ(ReadBack(SettingsToJson(unusual).dump(2), "p.json", {}), unusual);

  // Values no list has (a printer may report them) are written as numbers and go back to the
  // printer that holds them, but are not copied onto another one.
  protocol::PrinterSettings odd;
  odd.Msr = 0xFFFFFFFF;  // a trigger nibble of 0
  odd.CodePage = 21;     // reserved
  odd.BtConnMode = 0xFFFFFFFF;
  odd.TimeOff = 100;
  odd.BtName = "A name longer than thirty bytes";  // 31: more than the Bluetooth write carries
  odd.BtPin = "12\r4";                             // a line end, which it cannot carry either
  const nlohmann::ordered_json json = SettingsToJson(odd);
  EXPECT_EQ(json["settings"]["msr.trigger"], "4294967295");
  EXPECT_EQ(json["settings"]["print.code_page"], "21");
  EXPECT_EQ(json["settings"]["bluetooth.connection_mode"], "0");
  EXPECT_EQ(json["settings"]["power.off_minutes"], "100");
  EXPECT_EQ(ReadBack(SettingsToIni(odd, {}), "odd.ini", odd), odd);
  std::vector<Assignment> assignments;
  std::string error;
  ASSERT_TRUE(ParseSettingsText(json.dump(), "odd.json", &assignments, &error)) << error;
  EXPECT_TRUE(CheckAssignments(assignments, &error)) << error;
  protocol::PrinterSettings other;
  EXPECT_FALSE(ApplyAssignments(assignments, &other, &error));
  EXPECT_THAT(error, HasSubstr("bluetooth.connection_mode: 0 is out of range; allowed are 1..3 (a "
                               "number outside these is only kept on a printer that already holds "
                               "it)"));
  EXPECT_EQ(other, protocol::PrinterSettings());

  // The stop bits item of a fresh printer, 0, is a value of its own, copied like any other.
  protocol::PrinterSettings fresh;
  fresh.Flowcontrol = 0;
  EXPECT_EQ(SettingsToJson(fresh)["settings"]["serial.stop_bits"], "0");
  EXPECT_EQ(ReadBack(SettingsToJson(fresh).dump(), "fresh.json", protocol::PrinterSettings()),
            fresh);
}

TEST(SettingsCodecTest, IniTextOfTheDefaultRecord) {
  const std::string ini = SettingsToIni(protocol::PrinterSettings(), {"Printer: 127.0.0.1:9100"});
  EXPECT_TRUE(
      ini.starts_with("# Pelliset printer settings, format version 1\n"
                      "# Printer: 127.0.0.1:9100\n"))
      << ini;
  EXPECT_THAT(ini,
              HasSubstr("\nformat_version = 1\n\n"
                        "# 150%, 140%, 130%, 120%, 110%, 100%, 90%, 80% (darkest to lightest)\n"
                        "print.density = 100%\n"
                        "# 90mm/s, 50mm/s\n"
                        "print.speed = 90mm/s\n"
                        "# PC437, Katakana,"));
  EXPECT_THAT(ini, HasSubstr("\nprint.code_page = PC437\n"));
  EXPECT_THAT(ini, HasSubstr("\n\n# on, off\nbeep.paper_end = on\n"));
  EXPECT_THAT(ini, HasSubstr("\nmsr.trigger = auto-1-2-3\n"));
  EXPECT_THAT(ini, HasSubstr("\nmsr.track1.start = \"\"\n"));
  EXPECT_THAT(ini, HasSubstr("\nserial.baud_rate = 115200\n"));
  EXPECT_THAT(ini, HasSubstr("\n# 0, 1, 2 (a fresh printer holds 0, which the dialogs show as 2)\n"
                             "serial.stop_bits = 1\n"));
  EXPECT_THAT(ini, HasSubstr("\nbluetooth.connection_mode = 1\n"));
  EXPECT_THAT(ini, HasSubstr("\n# none, 1, 2\nradio.interface = none\n"));
  EXPECT_EQ(ini.find("skip"), std::string::npos);
}

TEST(SettingsCodecTest, RefusalsNameTheKeyAndChangeNothing) {
  protocol::PrinterSettings printer = Unusual();
  const protocol::PrinterSettings reported = printer;
  // `printer_free`: refused before any printer is asked; otherwise only a printer holding the
  // value takes it.
  const auto refuses = [&](std::vector<Assignment> assignments, const std::string& expected,
                           bool printer_free = true) {
    std::string error;
    EXPECT_FALSE(ApplyAssignments(assignments, &printer, &error)) << expected;
    EXPECT_THAT(error, HasSubstr(expected));
    EXPECT_EQ(printer, reported) << expected;
    EXPECT_EQ(CheckAssignments(assignments, &error), !printer_free) << expected;
  };
  refuses({{"print.densty", "150%", "argument 1"}},
          "argument 1: unknown key print.densty (did you mean print.density?)");
  refuses({{"power.off_minutes", "91", "p.ini:4"}},
          "p.ini:4: power.off_minutes: 91 is out of range", false);
  refuses({{"print.paper", "glossy", ""}}, "print.paper: \"glossy\" is not one of receipt");
  refuses({{"print.density", "3", ""}}, "print.density: \"3\" is not one of 150%");
  refuses({{"bluetooth.pin", "1234567890123", ""}},
          "bluetooth.pin: 13 bytes, at most 12 are allowed", false);
  std::string sixteen_two_byte;
  for (int i = 0; i < 16; ++i) sixteen_two_byte += "\xC3\xBC";
  refuses({{"bluetooth.name", sixteen_two_byte, ""}},
          "bluetooth.name: 32 bytes, at most 30 are allowed (a longer text is only kept on a "
          "printer that already holds it)",
          false);
  refuses({{"bluetooth.pin", "12\r34", ""}}, "bluetooth.pin: a line end", false);
  refuses({{"bluetooth.pin", "12\\x0D34", ""}}, "bluetooth.pin: a line end", false);
  refuses({{"bluetooth.name", "C:\\temp", ""}}, "bluetooth.name: a backslash");
  refuses({{"msr.track1.start", "ABCDEFGHIJK", ""}}, "msr.track1.start: 11 bytes, at most 10",
          false);
  refuses({{"print.speed", "50mm/s", "argument 1"}, {"Print.Speed", "90mm/s", "argument 2"}},
          "argument 2: print.speed is given twice (also argument 1)");
  refuses({{"serial.stop_bits", "1", "argument 1"}, {"serial.flow_control", "2", "argument 2"}},
          "argument 2: serial.stop_bits is given twice (also argument 1)");
  // Not a settings file at all: twenty refusals and a count, not one line for each key.
  std::vector<Assignment> strangers;
  for (int i = 1; i <= 25; ++i) strangers.push_back({"k" + std::to_string(i), "1", "x.ini"});
  refuses(strangers, "x.ini: unknown key k20\n5 more refusals (25 in all)");
  std::string error;
  EXPECT_FALSE(ApplyAssignments({{"msr.track2.start", "", ""}}, &printer, &error));
  EXPECT_THAT(error, HasSubstr("msr.track2.start: empty"));
  EXPECT_EQ(printer, reported);
  // One bad value keeps the good ones out too.
  refuses({{"print.density", "80%", ""}, {"print.font", "D", ""}}, "print.font: \"D\"");

  std::vector<Assignment> parsed;
  EXPECT_FALSE(
      ParseSettingsText("print.speed = 50mm/s\n\nprint.speed=90mm/s\n", "s.ini", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("s.ini:3: print.speed is given twice (first on line 1)"));
  EXPECT_FALSE(ParseSettingsText("# x\nformat_version = 2\n", "s.ini", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("s.ini:2: format_version 2 is not known"));
  EXPECT_FALSE(
      ParseSettingsText("{\"format_version\": 2, \"settings\": {}}", "s.json", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("s.json: format_version 2 is not known"));
  EXPECT_FALSE(ParseSettingsText("{\"format_version\": \"1\", \"settings\": {}}", "s.json", &parsed,
                                 &error));
  EXPECT_THAT(error, HasSubstr("format_version 1 (a number, not a text in quotes)"));
  EXPECT_FALSE(ParseSettingsText("{\"settings\": {\"print.font\": \"A\", \"print.font\": \"B\"}}",
                                 "s.json", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("print.font is given twice"));

  // What other editors make of a file: UTF-16, lines ended by CR alone, a key with an invisible
  // character, a comment without its # after a quoted value.
  EXPECT_FALSE(ParseSettingsText(std::string("\xFF\xFEp\0=\0", 6), "u.ini", &parsed, &error));
  EXPECT_EQ(error, "u.ini: not UTF-8 text (UTF-16?); save it as UTF-8");
  ASSERT_TRUE(ParseSettingsText("# saved\rprint.speed = 50mm/s\rprint.font = B\r", "cr.ini",
                                &parsed, &error))
      << error;
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(parsed[1].origin, "cr.ini:3");
  ASSERT_TRUE(ParseSettingsText("print.density\xC2\xA0= 90%\n", "nb.ini", &parsed, &error));
  EXPECT_FALSE(CheckAssignments(parsed, &error));
  EXPECT_EQ(error, "nb.ini:1: unknown key print.density\\xC2\\xA0 (did you mean print.density?)");
  EXPECT_FALSE(ParseSettingsText("bluetooth.name = \"abc\" shop 3\n", "q.ini", &parsed, &error));
  EXPECT_EQ(error,
            "q.ini:1: bluetooth.name: text after the closing quote; a comment starts with # or ;");
  // An inner quote left raw by an earlier writer: never read as the shorter name.
  EXPECT_FALSE(ParseSettingsText("bluetooth.name = \"x\" #y\"\n", "q.ini", &parsed, &error));
  EXPECT_EQ(error,
            "q.ini:1: bluetooth.name: a quote follows the value's closing quote; write a \" in a "
            "value as \\x22 and a comment holding quotes on a line of its own");
  std::string many = "{\"settings\": {";
  for (int i = 0; i <= 1000; ++i) many += (i == 0 ? "\"k" : ", \"k") + std::to_string(i) + "\": 1";
  EXPECT_FALSE(ParseSettingsText(many + "}}", "s.json", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("s.json: more than 1000 keys"));
  EXPECT_FALSE(ParseSettingsText("; x\n\nprint.speed 50mm/s\n", "s.ini", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("s.ini:3: expected KEY = VALUE"));
  EXPECT_FALSE(ParseSettingsText("[print]\ndensity = 90%\n", "s.ini", &parsed, &error));
  EXPECT_EQ(error,
            "s.ini:1: \"[print]\": sections are not used here; write each key whole "
            "(print.density = 150%)");
  // A JSON list, and one broken where a section header would stand.
  EXPECT_FALSE(ParseSettingsText("[{\"print.density\": \"90%\"},]", "l.json", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("l.json:1: expected KEY = VALUE"));
  EXPECT_FALSE(ParseSettingsText(" [{\"print.density\": \"90%\"}]", "s.json", &parsed, &error));
  EXPECT_EQ(error,
            "s.json: a JSON settings file holds one object ({...}), as settings get --format json "
            "writes it, not a list");
  EXPECT_FALSE(ParseSettingsText("bluetooth.name = \"Shop #1\n", "s.ini", &parsed, &error));
  EXPECT_THAT(error, HasSubstr("s.ini:1: bluetooth.name: the quoted value has no closing quote"));
  Assignment argument;
  EXPECT_FALSE(ParseAssignmentArgument("print.density", 3, &argument, &error));
  EXPECT_THAT(error, HasSubstr("argument 3"));

  // What people write: words in any case, density without the percent sign, a 12-byte PIN.
  ASSERT_TRUE(ParseAssignmentArgument("bluetooth.name=Shop 1 ", 4, &argument, &error));
  ASSERT_TRUE(
      ParseSettingsText("beep.paper_end = ON  # inline comment\n"
                        "Bluetooth.Security=Off\n"
                        "print.density = 90\n"
                        "print.paper = Black Mark\n"
                        "msr.trigger = Auto 1/2\n"
                        "bluetooth.pin = \"000000000000\"\n"
                        "serial.flow_control = 1\n",  // the stop bits' first name
                        "ok.ini", &parsed, &error))
      << error;
  parsed.push_back(argument);
  ASSERT_TRUE(ApplyAssignments(parsed, &printer, &error)) << error;
  EXPECT_EQ(printer.BeepPaper, 0u);
  EXPECT_EQ(printer.BtSecurity, 0u);
  EXPECT_EQ(printer.Density, 6u);
  EXPECT_EQ(printer.Service, 1u);
  EXPECT_EQ(printer.Msr, 4u);
  EXPECT_EQ(printer.BtPin, "000000000000");
  EXPECT_EQ(printer.Flowcontrol, 1u);
  EXPECT_EQ(printer.BtName, "Shop 1 ");
}

TEST(SettingsCodecTest, DiffListsChangedKeysInTableOrder) {
  protocol::PrinterSettings before;
  protocol::PrinterSettings after;
  after.BtName = "Shop 1";
  after.Density = 3;
  after.BtSkip = 1;  // not a printer setting
  const std::vector<SettingChange> changes = DiffSettings(before, after);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].key, "print.density");
  EXPECT_EQ(changes[0].before, "100%");
  EXPECT_EQ(changes[0].after, "150%");
  EXPECT_EQ(changes[1].key, "bluetooth.name");
  EXPECT_EQ(changes[1].before, "");
  EXPECT_EQ(changes[1].after, "Shop 1");
}

}  // namespace
}  // namespace cli
