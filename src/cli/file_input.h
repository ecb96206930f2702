#pragma once

// The files the command line reads whole: settings files, printers files, firmware. A settings or
// printers file named "-" is standard input.

#include <cstddef>
#include <istream>
#include <string>

namespace cli {

// Standard input, as the file "-": it can be read only once in a run.
class StandardInput {
 public:
  // `in` null: the environment has no standard input to offer.
  explicit StandardInput(std::istream* in) : in_(in) {}

  // The whole input, at most `limit` bytes; false with a message when it was read already, is
  // missing, is larger or fails.
  bool ReadAll(size_t limit, std::string* content, std::string* error);

 private:
  std::istream* in_;
  bool taken_ = false;
};

// What a file is called in messages: "standard input" for "-", else its path.
std::string InputName(const std::string& path);

// The whole content of a file (at most `limit` bytes), read in pieces so that a pipe works too;
// false with a message naming it.
bool ReadWholeFile(const std::string& path, size_t limit, std::string* content, std::string* error);

// The same, with "-" read from `standard_input` (which may be null: "-" is then a file name).
bool ReadInputFile(const std::string& path, size_t limit, StandardInput* standard_input,
                   std::string* content, std::string* error);

}  // namespace cli
