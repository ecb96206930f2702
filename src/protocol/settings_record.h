#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace protocol {
// Every printer setting the utility reads and writes, in the printer's own encoding. The member
// initialisers are the profile defaults, so a fresh record is what an empty profile loads.
// Field names follow the names the printer settings are known by throughout the programs.
struct PrinterSettings {
  uint32_t Sentinel = 0;                     // 0 none, 1 static, 2 dynamic
  std::array<std::string, 3> SentinelStart;  // MSR tracks 1..3, at most 10 bytes each
  std::array<std::string, 3> SentinelEnd;
  uint32_t Density = 4;          // 0..7, see the density table of the settings lists
  uint32_t Speed = 0;            // 0 full speed, 1 50 mm/s
  uint32_t CodePage = 0;         // 0..36, index in the code page list
  uint32_t Service = 0;          // 0 receipt, 1 black mark
  uint32_t FontType = 0;         // 0 font A, 1 font B, 2 font C
  uint32_t BeepPaper = 0;        // 0 on, 1 off
  uint32_t BeepLowBat = 0;       // 0 on, 1 off
  uint32_t LCharMode = 0;        // double-byte font mode
  uint32_t TimeOff = 0;          // minutes, 0..127
  uint32_t TimeSave = 0;         // seconds, 0..255
  uint32_t CuttingPosition = 0;  // tear-off position, 0..65535
  uint32_t Msr = 6;              // index in the MSR trigger list
  uint32_t Baudrate = 115200;
  uint32_t Databit = 8;
  uint32_t Parity = 0;       // 0 none, 1 odd, 2 even
  uint32_t Flowcontrol = 1;  // the "Stop Bits" item: 1 or 2; a fresh printer holds 0
  uint32_t BtSecurity = 0;   // 0 disable, 1 enable
  uint32_t BtConnMode = 0;   // 0..2 = mode 1..3
  std::string BtPin;         // at most 12 characters
  std::string BtName;        // at most 30 characters
  uint32_t BtSkip = 0;       // 1: leave the printer's Bluetooth settings alone
  uint32_t BleMode = 0;
  uint32_t RfInterface = 0;  // 0 none, 1 and 2 the two radio interfaces

  bool operator==(const PrinterSettings&) const = default;
};

inline constexpr size_t kSentinelTracks = 3;
// The printer keeps at most this many bytes per sentinel; the sentinel dialogs say so too.
inline constexpr size_t kMaxSentinelBytes = 10;
// The Bluetooth command must fit the printer's 100-byte command buffer; these limits, with the
// fixed bytes, keep it there.
inline constexpr size_t kMaxBtPinChars = 12;
inline constexpr size_t kMaxBtNameChars = 30;
}  // namespace protocol
