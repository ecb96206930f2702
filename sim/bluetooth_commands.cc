#include "sim/bluetooth_commands.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint8_t kUs = 0x1F;
constexpr uint8_t kCr = 0x0D;
// US US "p" s c PIN CR name CR: past this length without the second CR the write is not one.
constexpr size_t kMaxWriteLength = 5 + 2 * (kMaxBtText + 1);

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

CommandFamily::Outcome BluetoothCommands::Parse(std::span<const uint8_t> bytes,
                                                PrinterModel& printer) {
  if (bytes[0] != kUs) return {Status::kNotMine};
  if (bytes.size() < 2) return {Status::kNeedMore};
  if (bytes[1] != kUs) return {Status::kNotMine};
  if (bytes.size() < 3) return {Status::kNeedMore};
  PrinterState& state = printer.state();
  if (bytes[2] == 'i') {
    if (bytes.size() < 4) return {Status::kNeedMore};
    const uint8_t kind = bytes[3];
    const std::string* value = nullptr;
    switch (kind) {
      case 'c':
        value = &state.bt_conn_mode;
        break;
      case 'd':
        value = &state.bt_name;
        break;
      case 'k':
        value = &state.bt_pin;
        break;
      case 's':
        value = &state.bt_security;
        break;
      default:
        printer.Note("Bluetooth read of unknown item " + HexBytes(bytes.subspan(3, 1)) +
                     " ignored");
        return {Status::kDone, 4};
    }
    std::vector<uint8_t> reply = {0x37, 0x42, kind};
    reply.insert(reply.end(), value->begin(), value->end());
    reply.push_back(0x00);
    printer.QueueReply(Command::kReadBt, std::move(reply));
    return {Status::kDone, 4};
  }
  if (bytes[2] != 'p') {
    printer.Note("Bluetooth function " + HexBytes(bytes.subspan(2, 1)) + " not supported");
    return {Status::kDone, 3};
  }
  // Security and connection-mode characters, then PIN and name, each closed by CR.
  const auto body_begin = bytes.begin() + 5;
  if (bytes.size() < 6) return {Status::kNeedMore};
  const auto first_cr = std::find(body_begin, bytes.end(), kCr);
  const auto second_cr =
      first_cr == bytes.end() ? bytes.end() : std::find(first_cr + 1, bytes.end(), kCr);
  if (second_cr == bytes.end()) {
    if (bytes.size() < kMaxWriteLength) return {Status::kNeedMore};
    printer.Note("Bluetooth write without its closing CR dropped");
    return {Status::kDone, 3};
  }
  const size_t total = static_cast<size_t>(second_cr - bytes.begin()) + 1;
  const std::string pin(body_begin, first_cr);
  const std::string name(first_cr + 1, second_cr);
  if (!IsDigit(bytes[3]) || !IsDigit(bytes[4]) || pin.size() > kMaxBtText ||
      name.size() > kMaxBtText) {
    printer.Note("Bluetooth write with bad values refused");
    return {Status::kDone, total};
  }
  state.bt_security = std::string(1, static_cast<char>(bytes[3]));
  state.bt_conn_mode = std::string(1, static_cast<char>(bytes[4]));
  state.bt_pin = pin;
  state.bt_name = name;
  printer.StateChanged();
  return {Status::kDone, total};
}

}  // namespace sim
