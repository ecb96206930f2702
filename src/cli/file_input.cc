#include "cli/file_input.h"

#include <filesystem>
#include <fstream>

namespace cli {

bool ReadWholeFile(const std::string& path, size_t limit, std::string* content,
                   std::string* error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *error = path + ": is a folder, not a file";
    return false;
  }
  // Read in pieces rather than by the size the file claims: a pipe (--printers <(...)) has none.
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error =
        path + ": " +
        (std::filesystem::exists(path, ec) ? "cannot be opened (permission?)" : "no such file");
    return false;
  }
  std::string text;
  char piece[65536];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) {
    text.append(piece, static_cast<size_t>(in.gcount()));
    if (text.size() > limit) {
      *error = path + ": too large (more than " + std::to_string(limit) + " bytes)";
      return false;
    }
  }
  if (in.bad()) {
    *error = path + ": cannot be read";
    return false;
  }
  *content = std::move(text);
  return true;
}

}  // namespace cli
