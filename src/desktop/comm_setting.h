#pragma once

// The communication setting of the desktop main dialog and its seven registry values.

#include <optional>

#include "link/link_settings.h"
#include "platform/registry/registry.h"

namespace desktop {

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
// dialog with no layout at all. The other values read as 0 or "" when missing or mistyped. With
// TCP/IP, uBaudrate holds the TCP port.
std::optional<devlink::LinkSettings> LoadCommSetting(platform::Registry& registry);

// Writes the seven values as one update. False when the store refused it; the registry's
// LastError then says why, for the user to hear.
bool StoreCommSetting(platform::Registry& registry, const devlink::LinkSettings& setting);

}  // namespace desktop
