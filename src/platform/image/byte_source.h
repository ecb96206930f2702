#pragma once

// A bounded reader over a file or a buffer: what the decoders of untrusted files read through.
// Nothing ever reads past the end of what the source holds; a short read is the caller's to judge.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `length` bytes at the current position into `buffer`: the count read, 0 at the
  // end, -1 on a read error.
  virtual long Read(uint8_t* buffer, size_t length) = 0;
  // Moves the position to `offset` from the start; false when that is past the end or fails.
  virtual bool Seek(uint64_t offset) = 0;
  virtual uint64_t Position() const = 0;
  // The size in bytes of the whole source.
  virtual uint64_t Size() const = 0;
};

// Opens a regular file for reading; nullptr and a one-line reason that does not name the file
// (the system's text, "a folder, not a file", "not a regular file") when it cannot: callers put
// the name in front.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, std::string* reason);
// A source over a copy of `bytes` (tests, fuzzing).
std::unique_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes);
std::unique_ptr<ByteSource> MemorySource(const uint8_t* data, size_t length);

}  // namespace platform
