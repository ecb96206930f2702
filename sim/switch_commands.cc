#include "sim/switch_commands.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint8_t kHeader[] = {0x1D, 0x28, 0x45};
constexpr size_t kHeaderSize = 3;
// GS ( E pL pH fn
constexpr size_t kFnOffset = 5;
// No function of the family carries more; a longer length is garbage, not a command to wait for.
constexpr size_t kMaxParameterLength = 64;

enum Function : uint8_t {
  kIn = 0x01,
  kOut = 0x02,
  kWriteSwitch = 0x03,
  kReadSwitch = 0x04,
  kWriteSerial = 0x0B,
  kReadSerial = 0x0C,
  kWriteTearOff = 0x20,
  kReadTearOff = 0x21,
};

// The switch write has a fixed shape: fn, the switch number and 8 characters. Hosts send the
// length byte pL as 0Bh although only 10 bytes follow pH, and they send the command in two writes
// ("1D 28 45 0B 00 03", then half a second later "a c1..c8"). Trusting pL would make the printer
// wait for an eleventh byte and swallow the first byte of whatever comes next (in the
// factory-default block, the next command's GS). So, like the firmware it stands for, the model
// takes exactly fn + a + c1..c8 for this function whatever pL says, and the pause between the two
// halves does not matter because parsing simply waits for the rest.
constexpr size_t kWriteSwitchParameters = 10;

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> head, const std::string& text = {},
                           std::initializer_list<uint8_t> tail = {}) {
  std::vector<uint8_t> out(head);
  out.insert(out.end(), text.begin(), text.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

// Whether a setting write may proceed; notes writes outside setting mode.
bool WriteAllowed(PrinterModel& printer, const char* what) {
  if (printer.state().setting_mode) return true;
  if (printer.config().strict_setting_mode) {
    printer.Note(std::string(what) + " outside setting mode, ignored");
    return false;
  }
  printer.Note(std::string(what) + " outside setting mode, accepted");
  return true;
}

void WriteSwitch(std::span<const uint8_t> params, PrinterModel& printer) {
  const uint8_t number = params[1];
  auto& switches = printer.state().switches;
  auto it = switches.find(number);
  if (it == switches.end()) {
    printer.Note("write of unknown switch " + std::to_string(number) + " ignored");
    return;
  }
  if (!WriteAllowed(printer, "switch write")) return;
  if (!ApplySwitchText(params.subspan(2, 8), it->second)) {
    printer.Note("switch " + std::to_string(number) + " write with bad characters ignored");
    return;
  }
  printer.StateChanged();
}

void ReadSwitch(uint8_t number, PrinterModel& printer) {
  const auto& switches = printer.state().switches;
  auto it = switches.find(number);
  uint8_t bits = 0;
  if (it == switches.end()) {
    printer.Note("read of unknown switch " + std::to_string(number) + ", answered as zeros");
  } else {
    bits = it->second;
  }
  printer.QueueReply(Command::kReadSwitch, Bytes({0x37, 0x21}, SwitchText(bits), {0x00}));
}

}  // namespace

std::string SwitchText(uint8_t bits) {
  std::string text(8, '0');
  for (int i = 0; i < 8; ++i) {
    if (bits & (0x80 >> i)) text[i] = '1';
  }
  return text;
}

bool ApplySwitchText(std::span<const uint8_t> chars, uint8_t& bits) {
  if (chars.size() != 8) return false;
  uint8_t result = bits;
  for (int i = 0; i < 8; ++i) {
    const uint8_t mask = static_cast<uint8_t>(0x80 >> i);
    switch (chars[i]) {
      case '0':
        result = static_cast<uint8_t>(result & ~mask);
        break;
      case '1':
        result = static_cast<uint8_t>(result | mask);
        break;
      case '2':
        break;
      default:
        return false;
    }
  }
  bits = result;
  return true;
}

CommandFamily::Outcome SwitchCommands::Parse(std::span<const uint8_t> bytes,
                                             PrinterModel& printer) {
  const size_t prefix = std::min(bytes.size(), kHeaderSize);
  if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(prefix), kHeader)) {
    return {Status::kNotMine};
  }
  if (bytes.size() <= kFnOffset) return {Status::kNeedMore};
  const uint8_t fn = bytes[kFnOffset];
  size_t length = bytes[3] + 256u * bytes[4];
  if (fn == kWriteSwitch) {
    length = kWriteSwitchParameters;
  } else if (length == 0 || length > kMaxParameterLength) {
    return {Status::kNotMine};
  }
  const size_t total = kFnOffset + length;
  if (bytes.size() < total) return {Status::kNeedMore};
  const auto params = bytes.subspan(kFnOffset, length);  // params[0] is fn
  PrinterState& state = printer.state();
  const std::string text(params.begin() + 1, params.end());

  switch (fn) {
    case kIn:
      if (text != "IN") {
        printer.Note("GS ( E 01 without \"IN\" ignored");
        break;
      }
      state.setting_mode = true;
      printer.StateChanged();
      printer.QueueReply(Command::kSettingIn, {0x37, 0x20, 0x00});
      break;
    case kOut:
      if (text != "OUT") {
        printer.Note("GS ( E 02 without \"OUT\" ignored");
        break;
      }
      if (!state.setting_mode) printer.Note("leave setting mode while not in it");
      state.setting_mode = false;
      printer.StateChanged();
      break;
    case kWriteSwitch:
      if (bytes[3] != 0x0A && bytes[3] != 0x0B) printer.Note("switch write with unusual pL");
      WriteSwitch(params, printer);
      break;
    case kReadSwitch:
      if (length != 2) {
        printer.Note("switch read with bad length ignored");
        break;
      }
      ReadSwitch(params[1], printer);
      break;
    case kWriteSerial: {
      const uint8_t item = length >= 2 ? params[1] : 0;
      const std::string value(params.begin() + std::min<size_t>(2, length), params.end());
      if (item < 1 || item > 4 || value.empty() || value.size() > kMaxSerialItem) {
        printer.Note("serial item write refused");
        break;
      }
      if (!WriteAllowed(printer, "serial item write")) break;
      state.serial[item - 1] = value;
      printer.StateChanged();
      break;
    }
    case kReadSerial: {
      const uint8_t item = length == 2 ? params[1] : 0;
      if (item < 1 || item > 4) {
        printer.Note("serial item read of unknown item ignored");
        break;
      }
      printer.QueueReply(Command::kReadSerial,
                         Bytes({0x37, 0x33, static_cast<uint8_t>(0x30 + item), 0x1F},
                               state.serial[item - 1], {0x00}));
      break;
    }
    case kWriteTearOff:
      if (length != 4 || params[1] != 0x00) {
        printer.Note("tear-off write with bad shape ignored");
        break;
      }
      if (!printer.NewerFirmware()) {
        printer.Note("tear-off write: this firmware has no tear-off position");
        break;
      }
      if (!WriteAllowed(printer, "tear-off write")) break;
      state.tear_off = static_cast<uint16_t>(params[2] + 256u * params[3]);
      printer.StateChanged();
      break;
    case kReadTearOff:
      if (length != 2 || params[1] != 0x00) {
        printer.Note("tear-off read with bad shape ignored");
        break;
      }
      if (!printer.NewerFirmware()) {
        printer.Note("tear-off read: this firmware has no tear-off position, no answer");
        break;
      }
      printer.QueueReply(Command::kReadTearOff,
                         {0x37, 0x35, 0x30, 0x1F, static_cast<uint8_t>(state.tear_off & 0xFF),
                          static_cast<uint8_t>(state.tear_off >> 8), 0x00});
      break;
    default:
      printer.Note("GS ( E function " + HexBytes(params.first(1)) + " not supported, ignored");
      break;
  }
  return {Status::kDone, total};
}

}  // namespace sim
