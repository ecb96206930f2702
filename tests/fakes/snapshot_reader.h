#pragma once

// The automation events read back: a control of a snapshot event, field by field.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>

namespace fakes {

// Whether control `id` of the first snapshot that has one, among `events` (one JSON event a line,
// as the automation host writes them), has each field of `expected` (a JSON object) with an equal
// value. Every line must be a JSON object.
inline ::testing::AssertionResult ControlShows(const std::string& events, int id,
                                               std::string_view expected) {
  const auto fields = nlohmann::json::parse(expected, nullptr, false);
  if (!fields.is_object()) return ::testing::AssertionFailure() << "bad expectation " << expected;
  std::istringstream in(events);
  for (std::string line; std::getline(in, line);) {
    const auto event = nlohmann::json::parse(line, nullptr, false);
    if (!event.is_object()) return ::testing::AssertionFailure() << "not a JSON object: " << line;
    if (event.value("event", "") != "snapshot") continue;
    for (const auto& control : event.value("controls", nlohmann::json::array())) {
      if (control.value("id", -1) != id) continue;
      for (const auto& [key, value] : fields.items()) {
        const auto it = control.find(key);
        if (it == control.end() || *it != value) {
          return ::testing::AssertionFailure() << "control " << id << " lacks " << key << ":"
                                               << value.dump() << " in " << control.dump();
        }
      }
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "no snapshot shows control " << id;
}

}  // namespace fakes
