#include "protocol/vmsm_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fakes/conversation.h"

namespace {

using fakes::Cat;
using fakes::Hex;
using fakes::Text;

std::string Chars(const protocol::vmsm::SwitchChars& c) { return std::string(c.begin(), c.end()); }

protocol::vmsm::SwitchChars ToChars(const std::string& text) {
  protocol::vmsm::SwitchChars c{};
  for (size_t i = 0; i < c.size(); ++i) c[i] = text.at(i);
  return c;
}

TEST(VmsmCommandsTest, FactoryBlockIsTheDocumentedBytes) {
  const fakes::Bytes kSwitchWrite = Hex("1D 28 45 0B 00 03");
  // clang-format off
  const fakes::Bytes expected = Cat({
      Hex("1D 28 45 03 00 01 49 4E"),
      kSwitchWrite, Hex("01"), Text("00001100"),
      kSwitchWrite, Hex("02"), Text("00000000"),
      kSwitchWrite, Hex("03"), Text("22220001"),
      kSwitchWrite, Hex("05"), Text("00001111"),
      kSwitchWrite, Hex("06"), Text("00001010"),
      kSwitchWrite, Hex("07"), Text("01110000"),
      kSwitchWrite, Hex("08"), Text("00000000"),
      Hex("1D 28 45 08 00 0B 01"), Text("115200"),
      Hex("1D 28 45 03 00 0B 02"), Text("0"),
      Hex("1D 28 45 03 00 0B 03"), Text("0"),
      Hex("1D 28 45 03 00 0B 04"), Text("8"),
      Hex("1D 28 45 04 00 02 4F 55 54"),
      Hex("08 4D 53 08 00 32 31"), Text("START1"), Hex("08 4D 53 06 00 33 31"), Text("END1"),
      Hex("08 4D 53 08 00 32 32"), Text("START2"), Hex("08 4D 53 06 00 33 32"), Text("END2"),
      Hex("08 4D 53 08 00 32 33"), Text("START3"), Hex("08 4D 53 06 00 33 33"), Text("END3"),
      Hex("1F 1F 70 31 32"), Text("4862"), Hex("0D"), Text("TMQ-D550"), Hex("0D"),
  });
  // clang-format on
  ASSERT_EQ(expected.size(), 250u);
  EXPECT_EQ(fakes::ToHex(protocol::vmsm::FactoryDefaultBlock()), fakes::ToHex(expected));
}

TEST(VmsmCommandsTest, RadioInterfaceBody) {
  EXPECT_EQ(protocol::vmsm::WriteRfInterfaceBody(2), Cat({Hex("50"), Text("00000010")}));
  EXPECT_EQ(protocol::vmsm::WriteRfInterfaceBody(1), Cat({Hex("50"), Text("00000001")}));
  EXPECT_EQ(protocol::vmsm::WriteRfInterfaceBody(0), Cat({Hex("50"), Text("00000000")}));
  EXPECT_EQ(protocol::vmsm::WriteRfInterfaceBody(3), Cat({Hex("50"), Text("00000000")}));
}

struct EncodeCase {
  const char* name;
  uint8_t a;
  std::function<void(protocol::PrinterSettings&)> set;
  const char* chars;
};

TEST(VmsmCommandsTest, EncodeSwitchSetsEveryListedCharacter) {
  const EncodeCase cases[] = {
      // Full speed and double-byte off must be written as "0", or they could never be switched
      // back on the printer.
      {"speed 0", 1,
       [](protocol::PrinterSettings& s) { s.Speed = 0, s.LCharMode = 0, s.Density = 4; },
       "22200100"},
      {"speed 1", 1,
       [](protocol::PrinterSettings& s) { s.Speed = 1, s.LCharMode = 1, s.Density = 7; },
       "22211111"},
      {"speed out of range", 1, [](protocol::PrinterSettings& s) { s.Speed = 2, s.LCharMode = 2; },
       "22200100"},
      {"code page 33", 2, [](protocol::PrinterSettings& s) { s.CodePage = 33; }, "00001122"},
      {"code page 36", 2, [](protocol::PrinterSettings& s) { s.CodePage = 36; }, "00100122"},
      {"switch 3", 3, [](protocol::PrinterSettings&) {}, "22222222"},
      {"power off 90", 5, [](protocol::PrinterSettings& s) { s.TimeOff = 90; }, "21011010"},
      {"power save 255", 6, [](protocol::PrinterSettings& s) { s.TimeSave = 255; }, "11111111"},
      {"power save 10", 6, [](protocol::PrinterSettings& s) { s.TimeSave = 10; }, "00001010"},
      {"msr 6", 7, [](protocol::PrinterSettings& s) { s.Msr = 6; }, "01112222"},
      {"msr 7", 7, [](protocol::PrinterSettings& s) { s.Msr = 7; }, "10002222"},
      {"options font C", 8,
       [](protocol::PrinterSettings& s) {
         s.FontType = 2, s.BeepPaper = 1, s.BeepLowBat = 0, s.Service = 1, s.Sentinel = 2;
       },
       "21010110"},
      {"options font B", 8, [](protocol::PrinterSettings& s) { s.FontType = 1, s.Sentinel = 1; },
       "20100001"},
      {"options font 3", 8, [](protocol::PrinterSettings& s) { s.FontType = 3, s.BeepLowBat = 5; },
       "20001000"},
      {"ble on", 116, [](protocol::PrinterSettings& s) { s.BleMode = 1; }, "00000001"},
      {"ble off", 116, [](protocol::PrinterSettings& s) { s.BleMode = 0; }, "00000000"},
      {"unknown switch", 9, [](protocol::PrinterSettings& s) { s.Density = 1; }, "22222222"},
  };
  for (const EncodeCase& c : cases) {
    protocol::PrinterSettings s;
    c.set(s);
    EXPECT_EQ(Chars(protocol::vmsm::EncodeSwitch(c.a, s)), c.chars) << c.name;
  }
}

TEST(VmsmCommandsTest, DecodeSwitch) {
  protocol::PrinterSettings s;
  protocol::vmsm::DecodeSwitch(2, ToChars("00001100"), s);
  EXPECT_EQ(s.CodePage, 33u);
  protocol::vmsm::DecodeSwitch(1, ToChars("00011011"), s);
  EXPECT_EQ(s.Speed, 1u);
  EXPECT_EQ(s.LCharMode, 1u);
  EXPECT_EQ(s.Density, 3u);
  protocol::vmsm::DecodeSwitch(5, ToChars("11111111"), s);
  EXPECT_EQ(s.TimeOff, 127u);
  protocol::vmsm::DecodeSwitch(7, ToChars("01110000"), s);
  EXPECT_EQ(s.Msr, 6u);
  protocol::vmsm::DecodeSwitch(8, ToChars("01101011"), s);
  EXPECT_EQ(s.Sentinel, 3u);
  EXPECT_EQ(s.Service, 0u);
  EXPECT_EQ(s.BeepLowBat, 1u);
  EXPECT_EQ(s.BeepPaper, 0u);
  EXPECT_EQ(s.FontType, 3u);
  protocol::vmsm::DecodeSwitch(116, ToChars("00000001"), s);
  EXPECT_EQ(s.BleMode, 1u);

  const protocol::PrinterSettings before = s;
  protocol::vmsm::DecodeSwitch(9, ToChars("11111111"), s);
  protocol::vmsm::DecodeSwitch(3, ToChars("11111111"), s);
  EXPECT_EQ(s, before);
}

TEST(VmsmCommandsTest, MsrNibbleZeroSurvivesARoundTrip) {
  protocol::PrinterSettings s;
  protocol::vmsm::DecodeSwitch(7, ToChars("00000000"), s);
  EXPECT_EQ(Chars(protocol::vmsm::EncodeSwitch(7, s)), "00002222");
}

// Whatever the record holds in range, writing a switch and reading the same characters back gives
// the record again.
TEST(VmsmCommandsTest, SwitchRoundTrip) {
  for (uint32_t v = 0; v < 8; ++v) {
    protocol::PrinterSettings s;
    s.Density = v;
    s.Speed = v & 1;
    s.LCharMode = (v >> 1) & 1;
    s.CodePage = v * 5;  // 0..35
    s.TimeOff = v * 18;
    s.TimeSave = v * 36;
    s.Msr = v;
    s.FontType = v % 3;
    s.BeepPaper = v & 1;
    s.BeepLowBat = (v >> 2) & 1;
    s.Service = (v >> 1) & 1;
    s.Sentinel = v % 3;
    s.BleMode = v & 1;
    protocol::PrinterSettings back;
    for (uint8_t a : {1, 2, 5, 6, 7, 8, 116}) {
      protocol::vmsm::SwitchChars c = protocol::vmsm::EncodeSwitch(a, s);
      for (char& ch : c) {
        if (ch == '2') ch = '0';
      }
      protocol::vmsm::DecodeSwitch(a, c, back);
    }
    EXPECT_EQ(back, s) << "v=" << v;
  }
}

TEST(VmsmCommandsTest, SerialValues) {
  protocol::PrinterSettings s;
  const std::pair<uint32_t, const char*> rates[] = {
      {2400, "2400"},   {4800, "4800"},     {9600, "9600"},   {19200, "19200"},   {38400, "38400"},
      {57600, "57600"}, {115200, "115200"}, {1200, "115200"}, {230400, "115200"}, {0, "115200"},
  };
  for (const auto& [rate, text] : rates) {
    s.Baudrate = rate;
    EXPECT_EQ(protocol::vmsm::SerialValueText(1, s), text) << rate;
  }
  s.Parity = 2;
  s.Flowcontrol = 1;
  s.Databit = 7;
  EXPECT_EQ(protocol::vmsm::SerialValueText(2, s), "2");
  EXPECT_EQ(protocol::vmsm::SerialValueText(3, s), "1");
  EXPECT_EQ(protocol::vmsm::SerialValueText(4, s), "7");
  EXPECT_EQ(protocol::vmsm::SerialValueText(5, s), "");
  EXPECT_EQ(protocol::vmsm::WriteSerialHeader(1, 6), Hex("1D 28 45 08 00 0B 01"));
  EXPECT_EQ(protocol::vmsm::WriteSerialHeader(4, 1), Hex("1D 28 45 03 00 0B 04"));
}

TEST(VmsmCommandsTest, DecodeSerialValue) {
  protocol::PrinterSettings s;
  EXPECT_TRUE(protocol::vmsm::DecodeSerialValue(1, "9600", s));
  EXPECT_EQ(s.Baudrate, 9600u);
  EXPECT_TRUE(protocol::vmsm::DecodeSerialValue(1, "19200 bps", s));
  EXPECT_EQ(s.Baudrate, 19200u);
  EXPECT_TRUE(protocol::vmsm::DecodeSerialValue(1, "99999999999999", s));  // no wrap round
  EXPECT_LE(s.Baudrate, 4294967295u);
  EXPECT_GE(s.Baudrate, 999999999u);
  EXPECT_TRUE(protocol::vmsm::DecodeSerialValue(2, "1", s));
  EXPECT_EQ(s.Parity, 1u);
  EXPECT_TRUE(protocol::vmsm::DecodeSerialValue(3, "2", s));
  EXPECT_EQ(s.Flowcontrol, 2u);
  EXPECT_TRUE(protocol::vmsm::DecodeSerialValue(4, "7", s));
  EXPECT_EQ(s.Databit, 7u);
  const protocol::PrinterSettings before = s;
  EXPECT_FALSE(protocol::vmsm::DecodeSerialValue(4, "", s));
  EXPECT_EQ(s, before);
}

}  // namespace
