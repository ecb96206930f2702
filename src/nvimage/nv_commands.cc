#include "nvimage/nv_commands.h"

namespace nv {

// GS ( L, pL pH = 04 00 (m, fn, kc1, kc2), m = 30h, fn = 42h (66).
std::array<uint8_t, 9> DeleteCommand(const KeyCode& key_code) {
  return {0x1D, 0x28, 0x4C, 0x04, 0x00, 0x30, 0x42, key_code[0], key_code[1]};
}

// GS ( L, pL pH = 06 00 (m, fn, kc1, kc2, x, y), m = 30h, fn = 45h (69), x = y = 1.
std::array<uint8_t, 11> PrintCommand(const KeyCode& key_code) {
  return {0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, key_code[0], key_code[1], 0x01, 0x01};
}

std::optional<KeyCode> KeyCodeFromText(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  return KeyCode{static_cast<uint8_t>(text[0]), static_cast<uint8_t>(text[1])};
}

}  // namespace nv
