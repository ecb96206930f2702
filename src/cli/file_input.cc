#include "cli/file_input.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace cli {
namespace {

// Reads `in` to its end in pieces; false with `error` (about `name`) past `limit` bytes or on a
// failing read.
bool ReadStream(std::istream& in, const std::string& name, size_t limit, std::string* content,
                std::string* error) {
  std::string text;
  char piece[65536];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    text.append(piece, static_cast<size_t>(in.gcount()));
    if (text.size() > limit) {
      *error = name + ": too large (more than " + std::to_string(limit) + " bytes)";
      return false;
    }
  }
  if (in.bad()) {
    *error = name + ": cannot be read";
    return false;
  }
  *content = std::move(text);
  return true;
}

}  // namespace

bool StandardInput::ReadAll(size_t limit, std::string* content, std::string* error) {
  if (in_ == nullptr) {
    *error = "standard input: not available";
    return false;
  }
  if (taken_) {
    *error = "standard input (\"-\") can be read only once";
    return false;
  }
  taken_ = true;
  return ReadStream(*in_, "standard input", limit, content, error);
}

std::string InputName(const std::string& path) { return path == "-" ? "standard input" : path; }

bool ReadInputFile(const std::string& path, size_t limit, StandardInput* standard_input,
                   std::string* content, std::string* error) {
  if (path == "-" && standard_input != nullptr) {
    return standard_input->ReadAll(limit, content, error);
  }
  return ReadWholeFile(path, limit, content, error);
}

bool ReadWholeFile(const std::string& path, size_t limit, std::string* content,
                   std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = path + ": a folder, not a file";
    return false;
  }
  // Read in pieces rather than by the size the file claims: a pipe (--printers <(...)) has none.
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    // The system's reason: a folder on the way the user may not enter, a loop of links...
    const int code = errno;
    *error = path + ": " +
             (code == ENOENT ? std::string("no such file")
              : code != 0    ? std::string(std::strerror(code))
                             : "cannot be opened");
    return false;
  }
  return ReadStream(in, path, limit, content, error);
}

}  // namespace cli
