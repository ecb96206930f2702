#pragma once

#include <string>

#include "platform/registry/registry.h"

namespace platform {

// Turns a port name of the Windows world into a Linux device path:
// - a name starting with '/' is a path already;
// - a trailing ':' (the handheld's "COM1:") is ignored;
// - an explicit mapping value COMn = "/dev/ttyUSB0" under kPortsKey wins;
// - otherwise COMn is /dev/ttyS<n-1> (wired serial) or /dev/rfcomm<n-1> (Bluetooth).
// Anything else is returned unchanged (and will fail to open).
std::string ResolveComName(const std::string& port_name, bool bluetooth, Registry& registry);

}  // namespace platform
