#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace sim {

// Switch numbers the printer keeps. "P" (50h) holds the radio interface in its two lowest bits.
inline constexpr uint8_t kRadioSwitch = 'P';
inline constexpr uint8_t kBleSwitch = 116;
inline constexpr uint8_t kKnownSwitches[] = {1, 2, 3, 4, 5, 6, 7, 8, kBleSwitch, kRadioSwitch};

// Longest texts the printer stores; longer writes are refused (a real printer has fixed slots).
inline constexpr size_t kMaxSerialItem = 16;
inline constexpr size_t kMaxSentinel = 10;
inline constexpr size_t kMaxBtText = 64;

// What the printer remembers across power cycles (and what --state saves), plus the setting mode it
// is in right now.
struct PrinterState {
  // Switch number -> its 8 bits (bit 8 is the first character on the wire).
  std::map<uint8_t, uint8_t> switches;
  std::array<std::string, 4> serial;  // 1 baud rate, 2 parity, 3 flow control, 4 data bits
  uint16_t tear_off = 0;
  // Bluetooth items exactly as the printer reports them: security and connection mode are the
  // characters the host wrote ("0".."9"), pin and name free text.
  std::string bt_security;
  std::string bt_conn_mode;
  std::string bt_pin;
  std::string bt_name;
  std::array<std::string, 3> sentinel_start;
  std::array<std::string, 3> sentinel_end;
  bool setting_mode = false;

  bool operator==(const PrinterState&) const = default;
};

// The state of a printer fresh from the factory, for a model named `model_name` (its Bluetooth
// device name). Matches what the factory-default block writes.
PrinterState FactoryState(const std::string& model_name);

}  // namespace sim
