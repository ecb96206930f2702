#pragma once

// Platform services whose devices reach a virtual printer, in virtual time: what the protocol,
// transfer and dialog tests need to run against sim::PrinterModel. Header only; the test programs
// that include it link the simulator and GoogleTest.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"
#include "sim/printer_model.h"
#include "sim/sim_transports.h"

namespace fakes {

struct SimServices {
  explicit SimServices(uint64_t start_ms = 0) : clock(start_ms) {}
  SimServices(const SimServices&) = delete;
  SimServices& operator=(const SimServices&) = delete;
  // Bytes the printer skipped are bytes no printer understands: the test that sent them fails.
  ~SimServices() {
    for (const std::string& note : model.notes()) {
      if (note.find("skipped") != std::string::npos) {
        ADD_FAILURE() << "the virtual printer skipped bytes: " << note;
      }
    }
  }

  platform::VirtualClock clock;
  sim::PrinterModel model;
  sim::SimDeviceFactory devices{model, clock};
  platform::MemoryRegistry registry;
  platform::NullTrace trace;
  platform::Services services{clock, devices, registry, trace};
};

}  // namespace fakes
