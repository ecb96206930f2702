#include "ui/core/json.h"

#include <cstdio>

#include "ui/core/utf8.h"

namespace ui {

std::string JsonQuote(std::string_view text) {
  std::string out = "\"";
  for (size_t pos = 0; pos < text.size();) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c >= 0x80) {
      const size_t len = Utf8SequenceLength(text, pos);
      if (len > 0) {
        out.append(text.substr(pos, len));
        pos += len;
        continue;
      }
    }
    ++pos;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x80) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
  }
  out.push_back('"');
  return out;
}

void JsonObject::Key(std::string_view key) {
  if (body_.size() > 1) body_.push_back(',');
  body_ += JsonQuote(key);
  body_.push_back(':');
}

JsonObject& JsonObject::Add(std::string_view key, std::string_view value) {
  Key(key);
  body_ += JsonQuote(value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, int64_t value) {
  Key(key);
  body_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, bool value) {
  Key(key);
  body_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::AddSeconds(std::string_view key, uint64_t ms) {
  Key(key);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  body_ += buf;
  return *this;
}

JsonObject& JsonObject::Add(std::string_view key, const std::vector<std::string>& values) {
  std::vector<std::string> raw;
  raw.reserve(values.size());
  for (const auto& v : values) raw.push_back(JsonQuote(v));
  return AddRaw(key, JsonArray(raw));
}

JsonObject& JsonObject::Add(std::string_view key, const std::vector<int>& values) {
  std::vector<std::string> raw;
  raw.reserve(values.size());
  for (int v : values) raw.push_back(std::to_string(v));
  return AddRaw(key, JsonArray(raw));
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string_view raw) {
  Key(key);
  body_.append(raw);
  return *this;
}

std::string JsonArray(const std::vector<std::string>& raw_values) {
  std::string out = "[";
  for (size_t i = 0; i < raw_values.size(); ++i) {
    if (i > 0) out.push_back(',');
    out += raw_values[i];
  }
  out.push_back(']');
  return out;
}

}  // namespace ui
