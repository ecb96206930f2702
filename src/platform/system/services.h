#pragma once

#include "platform/devices/devices.h"
#include "platform/devices/host_resolver.h"
#include "platform/registry/registry.h"
#include "platform/system/clock.h"
#include "platform/system/trace.h"

namespace platform {

// The platform services a program passes down explicitly at construction; nothing in the system
// reaches for a global instead.
struct Services {
  Clock& clock;
  DeviceFactory& devices;
  Registry& registry;
  TraceSink& trace;
  // Where a TCP/IP link looks up a printer's host name; null: only IP addresses are reached.
  HostResolver* names = nullptr;
};

}  // namespace platform
