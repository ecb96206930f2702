// The settings file codec, ini and JSON. Whatever it reads either is refused with a message and
// leaves the record as it was, or applies to a record that writes out as ini and JSON texts that
// read back to that same record.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/settings_codec.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "settings_codec";
  std::vector<cli::Assignment> assignments;
  std::string error;
  if (!cli::ParseSettingsText(fuzz::AsText(data, size), "f", &assignments, &error)) {
    FUZZ_CHECK(kTarget, !error.empty());
    FUZZ_CHECK(kTarget, assignments.empty());
    return 0;
  }
  const protocol::PrinterSettings reported;
  protocol::PrinterSettings settings = reported;
  if (!cli::ApplyAssignments(assignments, &settings, &error)) {
    FUZZ_CHECK(kTarget, !error.empty());
    FUZZ_CHECK(kTarget, settings == reported);
    return 0;
  }
  FUZZ_CHECK(kTarget, cli::CheckAssignments(assignments, &error));
  for (const std::string& text :
       {cli::SettingsToIni(settings, {"printer: f"}), cli::SettingsToJson(settings).dump(2)}) {
    std::vector<cli::Assignment> again;
    FUZZ_CHECK(kTarget, cli::ParseSettingsText(text, "again", &again, &error));
    protocol::PrinterSettings back = reported;
    FUZZ_CHECK(kTarget, cli::ApplyAssignments(again, &back, &error));
    FUZZ_CHECK(kTarget, back == settings);
  }
  return 0;
}
