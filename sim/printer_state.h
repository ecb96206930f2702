#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

// Switch numbers the printer keeps. "P" (50h) holds the radio interface in its two lowest bits.
inline constexpr uint8_t kRadioSwitch = 'P';
inline constexpr uint8_t kBleSwitch = 116;
inline constexpr uint8_t kKnownSwitches[] = {1, 2, 3, 4, 5, 6, 7, 8, kBleSwitch, kRadioSwitch};

// Longest texts the printer stores; longer writes are refused (a real printer has fixed slots).
inline constexpr size_t kMaxSerialItem = 16;
inline constexpr size_t kMaxSentinel = 10;
inline constexpr size_t kMaxBtText = 64;

// NV graphics. A key code is two characters 20h..7Eh; the order of std::array (kc1, then kc2) is
// the order the key code list reports.
using NvKeyCode = std::array<uint8_t, 2>;
inline constexpr uint8_t kMinKeyCodeChar = 0x20;
inline constexpr uint8_t kMaxKeyCodeChar = 0x7E;
// The printer's limits for one image, and the NV graphics area all images share (the host plans
// its downloads against the same 256 KiB).
inline constexpr uint32_t kNvMaxWidth = 8192;
inline constexpr uint32_t kNvMaxHeight = 2304;
inline constexpr size_t kNvCapacityBytes = 262144;
// One define carries its raster in a parameter block of at most 65535 bytes, 11 of them its head.
inline constexpr size_t kNvMaxRasterBytes = 65535 - 11;

// One stored image: `height` rows of ceil(width / 8) bytes, most significant bit the leftmost dot,
// a set bit a black dot.
struct NvImage {
  uint16_t width = 0;
  uint16_t height = 0;
  std::vector<uint8_t> raster;

  static size_t RowBytes(uint32_t width) { return (width + 7) / 8; }
  bool operator==(const NvImage&) const = default;
};

// Raster bytes of all stored images, what counts against kNvCapacityBytes.
inline size_t NvBytesUsed(const std::map<NvKeyCode, NvImage>& images) {
  size_t used = 0;
  for (const auto& entry : images) used += entry.second.raster.size();
  return used;
}

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
  std::map<NvKeyCode, NvImage> nv_images;
  bool setting_mode = false;

  bool operator==(const PrinterState&) const = default;
};

// The state of a printer fresh from the factory, for a model named `model_name` (its Bluetooth
// device name). Matches what the factory-default block writes.
PrinterState FactoryState(const std::string& model_name);

}  // namespace sim
