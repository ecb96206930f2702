// The virtual printer's state file. A refused file leaves the state untouched; an accepted one
// writes back as text that reads to the same state.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "sim/state_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "state_file";
  const std::string text(reinterpret_cast<const char*>(data), size);
  const sim::PrinterState factory = sim::FactoryState("TMQ-D550");
  sim::PrinterState state = factory;
  std::string error;
  if (!sim::StateFromText(text, state, &error)) {
    FUZZ_CHECK(kTarget, state == factory);
    FUZZ_CHECK(kTarget, !error.empty());
    return 0;
  }
  const std::string written = sim::StateToText(state);
  sim::PrinterState again = factory;
  FUZZ_CHECK(kTarget, sim::StateFromText(written, again, &error));
  FUZZ_CHECK(kTarget, again == state);
  FUZZ_CHECK(kTarget, sim::StateToText(again) == written);
  return 0;
}
