#include "sim/identification_commands.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kEsc = 0x1B;

// '_', the text, NUL: the framing of every GS I answer.
std::vector<uint8_t> Underscored(const std::string& text) {
  // Sized up front: GCC 12's -O2 array-bounds check misreads push_back followed by insert.
  std::vector<uint8_t> reply(text.size() + 2, 0x00);
  reply[0] = '_';
  std::copy(text.begin(), text.end(), reply.begin() + 1);
  return reply;
}

}  // namespace

CommandFamily::Outcome IdentificationCommands::Parse(std::span<const uint8_t> bytes,
                                                     PrinterModel& printer) {
  const uint8_t lead = bytes[0];
  if (lead != kGs && lead != kEsc) return {Status::kNotMine};
  const uint8_t second = lead == kGs ? 'I' : 'M';
  if (bytes.size() < 2) return {Status::kNeedMore};
  if (bytes[1] != second) return {Status::kNotMine};
  if (bytes.size() < 3) return {Status::kNeedMore};
  const uint8_t n = bytes[2];
  const PrinterConfig& config = printer.config();
  if (lead == kEsc) {
    if (n != 'I') return {Status::kNotMine};
    printer.QueueReply(Command::kOpenCheck, {0x37, 0x80, config.open_check_value, 0x00});
    return {Status::kDone, 3};
  }
  switch (n) {
    case 'A':
      printer.QueueReply(Command::kVersion, Underscored(config.firmware));
      break;
    case 'B':
      printer.QueueReply(Command::kMaker, Underscored(config.maker));
      break;
    case 'C':
      printer.QueueReply(Command::kModel, Underscored(config.model));
      break;
    case 'E':
      printer.QueueReply(Command::kCodePage, Underscored(config.code_page));
      break;
    default:
      printer.Note("GS I " + HexBytes(bytes.subspan(2, 1)) + " not supported, ignored");
      break;
  }
  return {Status::kDone, 3};
}

}  // namespace sim
