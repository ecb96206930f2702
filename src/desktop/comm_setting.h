#pragma once

// The communication setting of the desktop main dialog and its seven registry values.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace desktop {

struct CommSetting {
  std::string port_name;   // COMn; a USB device path; "NET" and the dotted address
  uint32_t baud_rate = 0;  // TCP/IP: the TCP port
  int parity = 0;          // 0 none, 1 odd, 2 even
  int data_bits = 0;
  int stop_bits = 0;     // 0 one, 2 two
  int flow_control = 0;  // 0 none, 1 DTR/DSR
  int interface = 0;     // 0 serial, 1 Bluetooth, 2 USB, 3 TCP/IP
  bool operator==(const CommSetting&) const = default;
};

// Value names under platform::kPellisetKey.
inline constexpr char kValuePortType[] = "uPortType";
inline constexpr char kValuePort[] = "uPort";
inline constexpr char kValueBaudrate[] = "uBaudrate";
inline constexpr char kValueDatabit[] = "uDatabit";
inline constexpr char kValueParity[] = "uParity";
inline constexpr char kValueStopbit[] = "uStopbit";
inline constexpr char kValueFlowcontrol[] = "uFlowcontrol";

inline constexpr int kInterfaceCount = 4;

// The stored setting, or nullopt when no interface is stored. The interface counts only as a
// REG_DWORD naming one of the four interfaces: anything else would select no row and leave the
// dialog with no layout at all. The other values read as 0 or "" when missing or mistyped.
std::optional<CommSetting> LoadCommSetting(platform::Registry& registry);

// Writes the seven values as one update. False when the store refused it; the registry's
// LastError then says why, for the user to hear.
bool StoreCommSetting(platform::Registry& registry, const CommSetting& setting);

}  // namespace desktop
