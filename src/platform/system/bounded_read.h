#pragma once

#include <istream>
#include <string>

namespace platform {

// Appends the whole of `in` to `text`; false when it holds more than `max_bytes` or fails while
// reading (a file of untrusted input is read no further than its reader's limit).
inline bool ReadBounded(std::istream& in, size_t max_bytes, std::string* text) {
  char buffer[8192];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text->append(buffer, static_cast<size_t>(in.gcount()));
    if (text->size() > max_bytes) return false;
  }
  return !in.bad();
}

}  // namespace platform
