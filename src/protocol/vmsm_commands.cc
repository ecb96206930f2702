#include "protocol/vmsm_commands.h"

#include <iterator>
#include <limits>

namespace protocol::vmsm {
namespace {

// GS ( E: memory switches, serial items, setting mode.
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kParen = 0x28;
constexpr uint8_t kE = 0x45;
constexpr uint8_t kFnEnterSetting = 0x01;
constexpr uint8_t kFnLeaveSetting = 0x02;
constexpr uint8_t kFnWriteSwitch = 0x03;
constexpr uint8_t kFnReadSwitch = 0x04;
constexpr uint8_t kFnWriteSerial = 0x0B;
constexpr uint8_t kFnReadSerial = 0x0C;
constexpr uint8_t kFnWriteTearOff = 0x20;
constexpr uint8_t kFnReadTearOff = 0x21;
// The switch write declares 11 bytes after its length bytes, one more than it carries.
constexpr uint8_t kWriteSwitchLength = 0x0B;

// US US: Bluetooth items.
constexpr uint8_t kUs = 0x1F;
constexpr uint8_t kBtRead = 'i';
constexpr uint8_t kBtWrite = 'p';

// BS M S: MSR sentinels.
constexpr uint8_t kBs = 0x08;
constexpr uint8_t kSentinelRead = '4';

constexpr size_t kWriteSwitchHeaderSize = 6;
constexpr size_t kWriteSwitchBodySize = 9;
constexpr size_t kSerialHeaderSize = 7;
constexpr size_t kSentinelHeaderSize = 7;
constexpr size_t kBtFixedSize = 7;  // US US p, two digits, two line ends

// The factory settings, as the printer ships them.
struct FactorySwitch {
  uint8_t a;
  std::string_view chars;
};
constexpr FactorySwitch kFactorySwitches[] = {
    {kSwitchPrint, "00001100"},      // density 100%, full speed, double-byte mode on
    {kSwitchCodePage, "00000000"},   // PC437
    {kSwitch3, "22220001"},          // only its lowest bit
    {kSwitchPowerOff, "00001111"},   // 15 minutes
    {kSwitchPowerSave, "00001010"},  // 10 seconds
    {kSwitchMsr, "01110000"},        // tracks 1/2/3 auto trigger
    {kSwitchOptions, "00000000"},    // font A, beeps on, receipt, no sentinel
};
struct FactorySerial {
  uint8_t a;
  std::string_view value;
};
constexpr FactorySerial kFactorySerial[] = {
    {kSerialBaudrate, "115200"},
    {kSerialParity, "0"},
    {kSerialFlowcontrol, "0"},
    {kSerialDatabit, "8"},
};
constexpr std::string_view kFactorySentinelStart = "START";  // followed by the track digit
constexpr std::string_view kFactorySentinelEnd = "END";
constexpr uint32_t kFactoryBtSecurity = 1;
constexpr uint32_t kFactoryBtConnMode = 1;
constexpr std::string_view kFactoryBtPin = "4862";
constexpr std::string_view kFactoryBtName = "TMQ-D550";

constexpr size_t FactoryBlockSize() {
  size_t size = 8;  // enter setting mode
  size += std::size(kFactorySwitches) * (kWriteSwitchHeaderSize + kWriteSwitchBodySize);
  for (const FactorySerial& s : kFactorySerial) size += kSerialHeaderSize + s.value.size();
  size += 9;  // leave setting mode
  size += kSentinelTracks * (kSentinelHeaderSize + kFactorySentinelStart.size() + 1 +
                             kSentinelHeaderSize + kFactorySentinelEnd.size() + 1);
  size += kBtFixedSize + kFactoryBtPin.size() + kFactoryBtName.size();
  return size;
}
static_assert(FactoryBlockSize() == kFactoryDefaultBlockSize,
              "the factory block must stay the size the printer expects");

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }
void Append(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

char Flag(bool on) { return on ? '1' : '0'; }

// Characters `first`..`first + width - 1` (1-based) carry `value`, most significant first.
void PutBits(SwitchChars& chars, int first, int width, uint32_t value) {
  for (int i = 0; i < width; ++i) {
    chars[first - 1 + i] = Flag(((value >> (width - 1 - i)) & 1u) != 0);
  }
}

uint32_t GetBits(const SwitchChars& chars, int first, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = value << 1 | (chars[first - 1 + i] != '0' ? 1u : 0u);
  return value;
}

char Digit(uint32_t value) { return static_cast<char>('0' + value); }

}  // namespace

Bytes InitSettingCommand() { return {kGs, kParen, kE, 0x03, 0x00, kFnEnterSetting, 'I', 'N'}; }

Bytes EndSettingCommand() { return {kGs, kParen, kE, 0x04, 0x00, kFnLeaveSetting, 'O', 'U', 'T'}; }

Bytes ReadSwitchCommand(uint8_t a) { return {kGs, kParen, kE, 0x02, 0x00, kFnReadSwitch, a}; }

Bytes WriteSwitchHeader() { return {kGs, kParen, kE, kWriteSwitchLength, 0x00, kFnWriteSwitch}; }

Bytes WriteSwitchBody(uint8_t a, const SwitchChars& chars) {
  Bytes out{a};
  out.insert(out.end(), chars.begin(), chars.end());
  return out;
}

SwitchChars EncodeSwitch(uint8_t a, const PrinterSettings& s) {
  SwitchChars c = kUnchangedSwitch;
  switch (a) {
    case kSwitchPrint:
      c[3] = Flag(s.Speed == 1);
      c[4] = Flag(s.LCharMode == 1);
      PutBits(c, 6, 3, s.Density);
      break;
    case kSwitchCodePage:
      PutBits(c, 1, 5, s.CodePage);
      c[5] = Flag(((s.CodePage >> 5) & 1u) != 0);
      break;
    case kSwitchPowerOff:
      PutBits(c, 2, 7, s.TimeOff);
      break;
    case kSwitchPowerSave:
      PutBits(c, 1, 8, s.TimeSave);
      break;
    case kSwitchMsr:
      PutBits(c, 1, 4, s.Msr + 1);
      break;
    case kSwitchOptions:
      c[1] = Flag(s.Sentinel == 2);
      c[2] = Flag(s.Sentinel == 1);
      c[3] = Flag(s.Service > 0);
      c[4] = Flag(s.BeepLowBat > 0);
      c[5] = Flag(s.BeepPaper > 0);
      c[6] = Flag(s.FontType == 2);
      c[7] = Flag(s.FontType == 1);
      break;
    case kSwitchBle:
      PutBits(c, 1, 7, 0);
      c[7] = Flag(s.BleMode != 0);
      break;
    default:
      break;
  }
  return c;
}

void DecodeSwitch(uint8_t a, const SwitchChars& c, PrinterSettings& s) {
  switch (a) {
    case kSwitchPrint:
      s.Density = GetBits(c, 6, 3);
      s.Speed = GetBits(c, 4, 1);
      s.LCharMode = GetBits(c, 5, 1);
      break;
    case kSwitchCodePage:
      s.CodePage = 32 * GetBits(c, 6, 1) + GetBits(c, 1, 5);
      break;
    case kSwitchPowerOff:
      s.TimeOff = GetBits(c, 2, 7);
      break;
    case kSwitchPowerSave:
      s.TimeSave = GetBits(c, 1, 8);
      break;
    case kSwitchMsr:
      // A high nibble of 0 wraps round; written back it gives 0 again.
      s.Msr = GetBits(c, 1, 4) - 1u;
      break;
    case kSwitchOptions:
      s.FontType = GetBits(c, 7, 2);
      s.BeepPaper = GetBits(c, 6, 1);
      s.BeepLowBat = GetBits(c, 5, 1);
      s.Service = GetBits(c, 4, 1);
      s.Sentinel = GetBits(c, 2, 2);
      break;
    case kSwitchBle:
      s.BleMode = GetBits(c, 8, 1);
      break;
    default:
      break;
  }
}

Bytes ReadSerialCommand(uint8_t a) { return {kGs, kParen, kE, 0x02, 0x00, kFnReadSerial, a}; }

std::string BaudrateText(uint32_t baudrate) {
  switch (baudrate) {
    case 2400:
    case 4800:
    case 9600:
    case 19200:
    case 38400:
    case 57600:
      return std::to_string(baudrate);
    default:
      return "115200";
  }
}

std::string SerialValueText(uint8_t a, const PrinterSettings& s) {
  switch (a) {
    case kSerialBaudrate:
      return BaudrateText(s.Baudrate);
    case kSerialParity:
      return std::string(1, Digit(s.Parity));
    case kSerialFlowcontrol:
      return std::string(1, Digit(s.Flowcontrol));
    case kSerialDatabit:
      return std::string(1, Digit(s.Databit));
    default:
      return {};
  }
}

Bytes WriteSerialHeader(uint8_t a, size_t value_chars) {
  return {kGs, kParen, kE, static_cast<uint8_t>(2 + value_chars), 0x00, kFnWriteSerial, a};
}

bool DecodeSerialValue(uint8_t a, std::string_view value, PrinterSettings& s) {
  if (value.empty()) return false;
  const uint32_t first = static_cast<uint8_t>(value[0]) - static_cast<uint32_t>('0');
  switch (a) {
    case kSerialBaudrate: {
      uint32_t number = 0;
      for (char ch : value) {
        if (ch < '0' || ch > '9') break;
        const uint32_t digit = static_cast<uint32_t>(ch - '0');
        if (number > (std::numeric_limits<uint32_t>::max() - digit) / 10) break;
        number = number * 10 + digit;
      }
      s.Baudrate = number;
      break;
    }
    case kSerialParity:
      s.Parity = first;
      break;
    case kSerialFlowcontrol:
      s.Flowcontrol = first;
      break;
    case kSerialDatabit:
      s.Databit = first;
      break;
    default:
      break;
  }
  return true;
}

Bytes ReadTearOffCommand() { return {kGs, kParen, kE, 0x02, 0x00, kFnReadTearOff, 0x00}; }

Bytes WriteTearOffCommand(uint32_t cutting_position) {
  return {kGs,
          kParen,
          kE,
          0x04,
          0x00,
          kFnWriteTearOff,
          0x00,
          static_cast<uint8_t>(cutting_position & 0xFF),
          static_cast<uint8_t>((cutting_position >> 8) & 0xFF)};
}

Bytes ReadRfInterfaceCommand() { return ReadSwitchCommand(kSwitchRfInterface); }

Bytes WriteRfInterfaceBody(uint32_t rf_interface) {
  SwitchChars c = {'0', '0', '0', '0', '0', '0', '0', '0'};
  c[6] = Flag(rf_interface == 2);
  c[7] = Flag(rf_interface == 1);
  return WriteSwitchBody(kSwitchRfInterface, c);
}

Bytes ReadBtInfoCommand(uint8_t kind) { return {kUs, kUs, kBtRead, kind}; }

Bytes WriteBtInfoCommand(const PrinterSettings& s) {
  Bytes out{kUs, kUs, kBtWrite, static_cast<uint8_t>(Digit(s.BtSecurity)),
            static_cast<uint8_t>(Digit(s.BtConnMode + 1))};
  Append(out, s.BtPin);
  out.push_back(kLineEnd);
  Append(out, s.BtName);
  out.push_back(kLineEnd);
  return out;
}

Bytes ReadSentinelCommand(uint8_t track) {
  return {kBs, 'M', 'S', 0x02, 0x00, kSentinelRead, static_cast<uint8_t>('0' + track)};
}

Bytes WriteSentinelHeader(uint8_t part, uint8_t track, size_t length) {
  return {kBs,
          'M',
          'S',
          static_cast<uint8_t>(length + 2),
          0x00,
          part,
          static_cast<uint8_t>('0' + track)};
}

Bytes FactoryDefaultBlock() {
  Bytes out;
  out.reserve(kFactoryDefaultBlockSize);
  Append(out, InitSettingCommand());
  for (const FactorySwitch& s : kFactorySwitches) {
    SwitchChars chars;
    for (size_t i = 0; i < chars.size(); ++i) chars[i] = s.chars[i];
    Append(out, WriteSwitchHeader());
    Append(out, WriteSwitchBody(s.a, chars));
  }
  for (const FactorySerial& s : kFactorySerial) {
    Append(out, WriteSerialHeader(s.a, s.value.size()));
    Append(out, s.value);
  }
  Append(out, EndSettingCommand());
  for (uint8_t track = 1; track <= kSentinelTracks; ++track) {
    const char digit = static_cast<char>('0' + track);
    const std::string start = std::string(kFactorySentinelStart) + digit;
    const std::string end = std::string(kFactorySentinelEnd) + digit;
    Append(out, WriteSentinelHeader(kSentinelStartPart, track, start.size()));
    Append(out, start);
    Append(out, WriteSentinelHeader(kSentinelEndPart, track, end.size()));
    Append(out, end);
  }
  PrinterSettings bt;
  bt.BtSecurity = kFactoryBtSecurity;
  bt.BtConnMode = kFactoryBtConnMode;
  bt.BtPin = kFactoryBtPin;
  bt.BtName = kFactoryBtName;
  Append(out, WriteBtInfoCommand(bt));
  return out;
}

}  // namespace protocol::vmsm
