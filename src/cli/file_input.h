#pragma once

// The files the command line reads whole: settings files, printers files, firmware.

#include <cstddef>
#include <string>

namespace cli {

// The whole content of a file (at most `limit` bytes), read in pieces so that a pipe works too;
// false with a message naming it.
bool ReadWholeFile(const std::string& path, size_t limit, std::string* content, std::string* error);

}  // namespace cli
