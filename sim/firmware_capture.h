#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/system/unique_fd.h"

namespace sim {

// The printer in firmware download mode: every byte it receives is firmware and is kept, in
// order, in one file. Each piece is written straight to the file (no buffer of our own), so a
// reader finds every byte of a connection there as soon as the connection has closed.
class FirmwareCapture {
 public:
  // Creates `path`, or empties it: a capture holds the bytes of one run. False, with `error`
  // saying why, when the file cannot be written.
  bool Open(const std::string& path, std::string* error);
  // False, with `error` saying why, when the bytes could not all be written; the capture has
  // then failed, and nothing more is kept (it would follow a hole).
  bool Append(std::span<const uint8_t> bytes, std::string* error);
  uint64_t total() const { return total_; }
  bool failed() const { return failed_; }

 private:
  bool failed_ = false;
  platform::UniqueFd fd_;
  std::string path_;
  uint64_t total_ = 0;
};

}  // namespace sim
