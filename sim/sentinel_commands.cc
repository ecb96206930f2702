#include "sim/sentinel_commands.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint8_t kHeader[] = {0x08, 0x4D, 0x53};
constexpr size_t kHeaderSize = 3;
constexpr size_t kFnOffset = 5;  // BS M S pL pH fn t
constexpr size_t kMaxParameterLength = 64;

}  // namespace

CommandFamily::Outcome SentinelCommands::Parse(std::span<const uint8_t> bytes,
                                               PrinterModel& printer) {
  const size_t prefix = std::min(bytes.size(), kHeaderSize);
  if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(prefix), kHeader)) {
    return {Status::kNotMine};
  }
  if (bytes.size() < kFnOffset) return {Status::kNeedMore};
  const size_t length = bytes[3] + 256u * bytes[4];
  if (length < 2 || length > kMaxParameterLength) return {Status::kNotMine};
  const size_t total = kFnOffset + length;
  if (bytes.size() < total) return {Status::kNeedMore};
  const uint8_t fn = bytes[kFnOffset];
  const uint8_t track_digit = bytes[kFnOffset + 1];
  if (track_digit < '1' || track_digit > '3') {
    printer.Note("sentinel command for unknown track ignored");
    return {Status::kDone, total};
  }
  const size_t track = track_digit - '1';
  PrinterState& state = printer.state();
  const auto data = bytes.subspan(kFnOffset + 2, length - 2);
  switch (fn) {
    case '4': {
      std::vector<uint8_t> reply = {0x37, 0x81, track_digit};
      reply.insert(reply.end(), state.sentinel_start[track].begin(),
                   state.sentinel_start[track].end());
      reply.push_back(0x1F);
      reply.insert(reply.end(), state.sentinel_end[track].begin(), state.sentinel_end[track].end());
      reply.push_back(0x00);
      printer.QueueReply(Command::kReadSentinel, std::move(reply));
      break;
    }
    case '2':
    case '3': {
      // Hosts send an empty sentinel as the single byte 00h, since a length of 2 with no data
      // looks like a truncated command to some firmware.
      std::string value(data.begin(), data.end());
      if (value == std::string(1, '\0')) value.clear();
      if (value.size() > kMaxSentinel || value.find('\x1F') != std::string::npos ||
          value.find('\0') != std::string::npos) {
        printer.Note("sentinel write refused (too long or holds 1Fh/00h)");
        break;
      }
      (fn == '2' ? state.sentinel_start : state.sentinel_end)[track] = value;
      printer.StateChanged();
      break;
    }
    default:
      printer.Note("sentinel function " + HexBytes(bytes.subspan(kFnOffset, 1)) + " not supported");
      break;
  }
  return {Status::kDone, total};
}

}  // namespace sim
