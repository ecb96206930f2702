#pragma once

// Everything a protocol test needs in one place: virtual time, a scripted conversation, fake
// devices that carry it, an in-memory registry and a trace that keeps its texts. `services` plugs
// them into the code under test:
//   fakes::TestServices t;
//   CCommonUtil util(t.services);
//   t.conversation.Expect(...).Reply(...);
//   t.devices.record.dsr_on = false;   // knobs and records of the fake devices

#include <string>
#include <string_view>
#include <vector>

#include "fakes/conversation.h"
#include "fakes/fake_devices.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"

namespace fakes {

// Keeps every text it is given.
class RecordingTrace : public platform::TraceSink {
 public:
  void Trace(std::string_view text) override { texts.emplace_back(text); }
  // True when some text contains `part`.
  bool Contains(std::string_view part) const;
  std::vector<std::string> texts;
};

struct TestServices {
  TestServices() = default;
  TestServices(const TestServices&) = delete;
  TestServices& operator=(const TestServices&) = delete;

  platform::VirtualClock clock{0};
  Conversation conversation{clock};
  FakeDeviceFactory devices{clock, conversation};
  platform::MemoryRegistry registry;
  RecordingTrace trace;
  platform::Services services{clock, devices, registry, trace};
};

}  // namespace fakes
