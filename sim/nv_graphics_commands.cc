#include "sim/nv_graphics_commands.h"

#include <algorithm>
#include <string>

namespace sim {
namespace {

constexpr uint8_t kHeader[] = {0x1D, 0x28, 0x4C};
constexpr size_t kHeaderSize = 3;
constexpr size_t kParamsOffset = 5;  // GS ( L pL pH, then the parameters from m on
constexpr uint8_t kNvGraphics = 0x30;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kCan = 0x18;

enum Function : uint8_t {
  kKeyList = 0x40,
  kDeleteAll = 0x41,
  kDeleteOne = 0x42,
  kDefineRaster = 0x43,
  kPrintOne = 0x45,
};

// The fixed parameter blocks.
constexpr uint8_t kKeyListParams[] = {0x30, 0x40, 'K', 'C'};
constexpr uint8_t kDeleteAllParams[] = {0x30, 0x41, 'C', 'L', 'R'};
constexpr size_t kDeleteOneLength = 4;  // m fn kc1 kc2
constexpr size_t kPrintOneLength = 6;   // m fn kc1 kc2 x y

// The define's parameters before the raster: m fn a kc1 kc2 b xL xH yL yH c.
constexpr size_t kDefineHead = 11;
constexpr uint8_t kMonochromeTone = 0x30;
constexpr uint8_t kOneColour = 0x01;
constexpr uint8_t kFirstColour = 0x31;

bool Equal(std::span<const uint8_t> params, std::span<const uint8_t> expected) {
  return std::equal(params.begin(), params.end(), expected.begin(), expected.end());
}

bool ValidKeyCode(NvKeyCode key) {
  return std::all_of(key.begin(), key.end(),
                     [](uint8_t c) { return c >= kMinKeyCodeChar && c <= kMaxKeyCodeChar; });
}

std::string KeyText(NvKeyCode key) { return "key code " + HexBytes(key); }

// `image` enlarged: each dot becomes scale_x dots across and scale_y rows down.
NvImage Scaled(const NvImage& image, uint32_t scale_x, uint32_t scale_y) {
  NvImage out;
  out.width = static_cast<uint16_t>(image.width * scale_x);
  out.height = static_cast<uint16_t>(image.height * scale_y);
  const size_t in_row = NvImage::RowBytes(image.width);
  const size_t out_row = NvImage::RowBytes(out.width);
  out.raster.assign(out_row * out.height, 0);
  for (uint32_t y = 0; y < out.height; ++y) {
    const uint8_t* src = image.raster.data() + (y / scale_y) * in_row;
    uint8_t* dst = out.raster.data() + y * out_row;
    for (uint32_t x = 0; x < out.width; ++x) {
      const uint32_t sx = x / scale_x;
      if (src[sx / 8] & (0x80 >> (sx % 8))) dst[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return out;
}

void DeleteAll(std::span<const uint8_t> params, PrinterModel& printer) {
  if (!Equal(params, kDeleteAllParams)) {
    printer.Note("NV delete all without \"CLR\" ignored");
    return;
  }
  auto& images = printer.state().nv_images;
  if (images.empty()) return;
  for (const auto& entry : images) printer.ReportNv({NvEvent::Kind::kDeleted, entry.first});
  images.clear();
  printer.StateChanged();
}

void DeleteOne(std::span<const uint8_t> params, PrinterModel& printer) {
  if (params.size() != kDeleteOneLength) {
    printer.Note("NV delete with bad length ignored");
    return;
  }
  const NvKeyCode key = {params[2], params[3]};
  auto& images = printer.state().nv_images;
  if (images.erase(key) == 0) {
    printer.Note("NV delete of " + KeyText(key) + ": no such image");
    return;
  }
  printer.ReportNv({NvEvent::Kind::kDeleted, key});
  printer.StateChanged();
}

// Why a define cannot be stored, or empty when it can.
std::string DefineProblem(std::span<const uint8_t> params, const PrinterState& state) {
  if (params.size() < kDefineHead) return "shorter than its fixed part";
  if (params[2] != kMonochromeTone) return "tone " + HexBytes(params.subspan(2, 1)) + " not 30";
  if (params[5] != kOneColour) return "colour count " + HexBytes(params.subspan(5, 1)) + " not 01";
  if (params[10] != kFirstColour) return "colour " + HexBytes(params.subspan(10, 1)) + " not 31";
  const NvKeyCode key = {params[3], params[4]};
  if (!ValidKeyCode(key)) return KeyText(key) + " outside 20..7E";
  const uint32_t width = params[6] + 256u * params[7];
  const uint32_t height = params[8] + 256u * params[9];
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width == 0 || height == 0 || width > kNvMaxWidth || height > kNvMaxHeight) {
    return "size " + size + " outside 1..8192 x 1..2304";
  }
  const size_t raster = NvImage::RowBytes(width) * height;
  if (params.size() != kDefineHead + raster) {
    return "parameter length " + std::to_string(params.size()) + " does not fit " + size +
           " (needs " + std::to_string(kDefineHead + raster) + ")";
  }
  auto old = state.nv_images.find(key);
  const size_t freed = old == state.nv_images.end() ? 0 : old->second.raster.size();
  if (NvBytesUsed(state.nv_images) - freed + raster > kNvCapacityBytes) {
    return "NV graphics area full";
  }
  return {};
}

void Define(std::span<const uint8_t> params, PrinterModel& printer) {
  const std::string problem = DefineProblem(params, printer.state());
  if (!problem.empty()) {
    printer.Note("NV define refused: " + problem);
    return;
  }
  const NvKeyCode key = {params[3], params[4]};
  NvImage& image = printer.state().nv_images[key];
  image.width = static_cast<uint16_t>(params[6] + 256u * params[7]);
  image.height = static_cast<uint16_t>(params[8] + 256u * params[9]);
  image.raster.assign(params.begin() + kDefineHead, params.end());
  printer.StateChanged();
  printer.ReportNv({NvEvent::Kind::kDefined, key, &image});
}

void PrintOne(std::span<const uint8_t> params, PrinterModel& printer) {
  if (params.size() != kPrintOneLength) {
    printer.Note("NV print with bad length ignored");
    return;
  }
  const NvKeyCode key = {params[2], params[3]};
  const uint8_t scale_x = params[4];
  const uint8_t scale_y = params[5];
  if (scale_x < 1 || scale_x > 2 || scale_y < 1 || scale_y > 2) {
    printer.Note("NV print of " + KeyText(key) + " with scale other than 1 or 2 ignored");
    return;
  }
  const auto& images = printer.state().nv_images;
  auto it = images.find(key);
  if (it == images.end()) {
    printer.Note("NV print of " + KeyText(key) + ": no such image, nothing printed");
    return;
  }
  if (scale_x == 1 && scale_y == 1) {
    printer.ReportNv({NvEvent::Kind::kPrinted, key, &it->second});
    return;
  }
  const NvImage printed = Scaled(it->second, scale_x, scale_y);
  printer.ReportNv({NvEvent::Kind::kPrinted, key, &printed});
}

}  // namespace

CommandFamily::Outcome NvGraphicsCommands::Parse(std::span<const uint8_t> bytes,
                                                 PrinterModel& printer) {
  if (bytes[0] == kAck || bytes[0] == kCan) {
    Handshake(bytes[0], printer);
    return {Status::kDone, 1};
  }
  const size_t prefix = std::min(bytes.size(), kHeaderSize);
  if (!std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(prefix), kHeader)) {
    return {Status::kNotMine};
  }
  if (bytes.size() < kParamsOffset) return {Status::kNeedMore};
  // Every length up to 65535 is a real command here (an image fills most of it), so unlike the
  // setting families a long length is waited for, never taken as garbage.
  const size_t length = bytes[3] + 256u * bytes[4];
  const size_t total = kParamsOffset + length;
  if (bytes.size() < total) return {Status::kNeedMore, 0, total};
  const auto params = bytes.subspan(kParamsOffset, length);
  if (length < 2 || params[0] != kNvGraphics) {
    printer.Note("GS ( L with parameter length " + std::to_string(length) + " not NV graphics, " +
                 std::to_string(total) + " bytes skipped");
    return {Status::kDone, total};
  }
  switch (params[1]) {
    case kKeyList:
      ListKeys(params, printer);
      break;
    case kDeleteAll:
      DeleteAll(params, printer);
      break;
    case kDeleteOne:
      DeleteOne(params, printer);
      break;
    case kDefineRaster:
      Define(params, printer);
      break;
    case kPrintOne:
      PrintOne(params, printer);
      break;
    default:
      printer.Note("GS ( L function " + HexBytes(params.subspan(1, 1)) + " not supported, " +
                   std::to_string(total) + " bytes skipped");
      break;
  }
  return {Status::kDone, total};
}

void NvGraphicsCommands::ListKeys(std::span<const uint8_t> params, PrinterModel& printer) {
  if (!Equal(params, kKeyListParams)) {
    printer.Note("NV key code list without \"KC\" ignored");
    return;
  }
  if (!pending_keys_.empty()) printer.Note("NV key code list asked again, the earlier one dropped");
  pending_keys_.clear();
  for (const auto& entry : printer.state().nv_images) pending_keys_.push_back(entry.first);
  SendKeyBlock(printer);
}

void NvGraphicsCommands::SendKeyBlock(PrinterModel& printer) {
  const size_t per_block = std::max<size_t>(printer.config().nv_keys_per_block, 1);
  const size_t count = std::min(per_block, pending_keys_.size());
  const bool more = pending_keys_.size() > count;
  std::vector<uint8_t> reply = {0x37, 0x72, static_cast<uint8_t>(more ? 0x41 : 0x40)};
  for (size_t i = 0; i < count; ++i) {
    reply.insert(reply.end(), pending_keys_[i].begin(), pending_keys_[i].end());
  }
  reply.push_back(0x00);
  pending_keys_.erase(pending_keys_.begin(),
                      pending_keys_.begin() + static_cast<std::ptrdiff_t>(count));
  printer.QueueReply(Command::kNvKeys, std::move(reply));
}

void NvGraphicsCommands::Handshake(uint8_t byte, PrinterModel& printer) {
  const char* name = byte == kAck ? "ACK" : "CAN";
  if (pending_keys_.empty()) {
    printer.Note(std::string(name) + " outside a key code list exchange ignored");
    return;
  }
  if (byte == kAck) {
    SendKeyBlock(printer);
    return;
  }
  printer.Note("key code list stopped by CAN, " + std::to_string(pending_keys_.size()) +
               " key code(s) not sent");
  pending_keys_.clear();
}

}  // namespace sim
