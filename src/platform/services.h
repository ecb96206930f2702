#pragma once

#include "platform/clock.h"
#include "platform/devices.h"
#include "platform/registry.h"
#include "platform/trace.h"

namespace platform {

// The platform services a program passes down explicitly at construction; nothing in the system
// reaches for a global instead.
struct Services {
  Clock& clock;
  DeviceFactory& devices;
  Registry& registry;
  TraceSink& trace;
};

}  // namespace platform
