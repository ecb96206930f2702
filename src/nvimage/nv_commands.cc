#include "nvimage/nv_commands.h"

namespace nv {
namespace {

// GS ( L with m = 30h: the NV graphics functions.
constexpr uint8_t kGs = 0x1D;
constexpr uint8_t kParen = 0x28;
constexpr uint8_t kL = 0x4C;
constexpr uint8_t kM = 0x30;
constexpr uint8_t kFnDelete = 0x42;  // 66
constexpr uint8_t kFnPrint = 0x45;   // 69
// Parameter lengths (low byte; the high byte is 00): m, fn, kc1, kc2 and, for printing, the two
// scale factors.
constexpr uint8_t kDeleteLength = 0x04;
constexpr uint8_t kPrintLength = 0x06;
constexpr uint8_t kNormalScale = 0x01;

}  // namespace

std::array<uint8_t, 9> DeleteCommand(const KeyCode& key_code) {
  return {kGs, kParen, kL, kDeleteLength, 0x00, kM, kFnDelete, key_code[0], key_code[1]};
}

std::array<uint8_t, 11> PrintCommand(const KeyCode& key_code) {
  return {kGs,      kParen,      kL,          kPrintLength, 0x00,        kM,
          kFnPrint, key_code[0], key_code[1], kNormalScale, kNormalScale};
}

std::optional<KeyCode> KeyCodeFromText(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  return KeyCode{static_cast<uint8_t>(text[0]), static_cast<uint8_t>(text[1])};
}

}  // namespace nv
