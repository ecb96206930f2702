#include "ui/core/json.h"

#include <cstdio>

#include "ui/core/utf8.h"

namespace ui {
namespace {

void MakeStringsValid(Json& value) {
  if (value.is_string()) {
    auto& text = value.get_ref<std::string&>();
    if (!IsValidUtf8(text)) text = ToValidUtf8(text);
  } else if (value.is_structured()) {
    for (auto& element : value) MakeStringsValid(element);
  }
}

}  // namespace

std::string ToValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t len = Utf8SequenceLength(text, pos);
    if (len > 0) {
      out.append(text.substr(pos, len));
      pos += len;
      continue;
    }
    const auto byte = static_cast<unsigned char>(text[pos++]);
    out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
    out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
  }
  return out;
}

std::string EventLine(Json fields, uint64_t ms) {
  MakeStringsValid(fields);
  // Keys are our own ASCII names; `replace` only keeps a stray one from throwing.
  std::string line = fields.empty() ? std::string("{")
                                    : fields.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (line.size() > 1) line.back() = ',';
  // A double would print 1.25 for 1250 ms; the lines have always shown 1.250.
  char t[48];
  std::snprintf(t, sizeof t, "\"t\":%llu.%03llu}", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return line + t;
}

}  // namespace ui
