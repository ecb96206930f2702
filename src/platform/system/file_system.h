#pragma once

// Files the system reads whole and keeps open while it works on them (the firmware file), behind a
// seam so tests can hold the files in memory and make any step fail.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The most a file read whole may hold. Every byte of it stays in memory while a job sends it, and
// no file the system reads this way comes near the limit.
inline constexpr uint64_t kMaxWholeFileBytes = 64ull << 20;

// One open file. The descriptor (or what stands for it) is released by Close or on destruction.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  // The length in bytes, found by seeking to the end; nullopt when the file cannot tell.
  virtual std::optional<uint64_t> Length() = 0;
  // Every byte from the start. nullopt, with `error` saying why, when the file is longer than
  // kMaxWholeFileBytes (the text names the limit), a read fails, or the file changes length
  // while it is read.
  virtual std::optional<std::vector<uint8_t>> ReadWhole(std::string* error) = 0;
  // Safe to call twice.
  virtual void Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing regular file for reading and writing, as fopen's "r+b" does, so a file the
  // user has write-protected cannot be chosen. A file with no write permission bit at all is
  // refused even where the caller could write it anyway (the superuser). nullptr, with `error`
  // saying why, when the file is missing, not a regular file, protected or cannot be opened.
  virtual std::unique_ptr<OpenFile> OpenReadWrite(const std::string& path, std::string* error) = 0;
};

}  // namespace platform
