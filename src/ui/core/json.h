#pragma once

// Just enough JSON for the automation events: one object per line, built field by field.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The text as a JSON string literal, quotes included. Quotes, backslashes and control characters
// are escaped; valid UTF-8 passes through unchanged; a byte that is not part of a valid UTF-8
// sequence is written as \u00XX (its Latin-1 reading), so the output is always valid JSON.
std::string JsonQuote(std::string_view text);

class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view value);
  JsonObject& Add(std::string_view key, const char* value) {
    return Add(key, std::string_view(value));
  }
  JsonObject& Add(std::string_view key, const std::string& value) {
    return Add(key, std::string_view(value));
  }
  JsonObject& Add(std::string_view key, int64_t value);
  JsonObject& Add(std::string_view key, int value) { return Add(key, int64_t{value}); }
  JsonObject& Add(std::string_view key, bool value);
  // Seconds with millisecond precision: 1.25 -> 1.250.
  JsonObject& AddSeconds(std::string_view key, uint64_t ms);
  JsonObject& Add(std::string_view key, const std::vector<std::string>& values);
  JsonObject& Add(std::string_view key, const std::vector<int>& values);
  // `raw` must already be JSON (a nested object or array).
  JsonObject& AddRaw(std::string_view key, std::string_view raw);
  std::string Str() const { return body_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string body_ = "{";
};

// "[a,b,...]" of already-encoded JSON values.
std::string JsonArray(const std::vector<std::string>& raw_values);

}  // namespace ui
