#pragma once

// What every fuzz target shares: an invariant check that stops the run loudly (libFuzzer keeps
// the input that got there), and a small reader that takes steering bytes off the front of an
// input so one input can choose an operation, a chunk size or a seed as well as carry data.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace fuzz {

[[noreturn]] inline void Fail(const char* target, const char* what) {
  std::fprintf(stderr, "fuzz invariant broken in %s: %s\n", target, what);
  std::abort();
}

#define FUZZ_CHECK(target, condition)                   \
  do {                                                  \
    if (!(condition)) ::fuzz::Fail(target, #condition); \
  } while (0)

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // The next byte, or 0 once the input is used up.
  uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
  // Up to `count` of the remaining bytes.
  std::span<const uint8_t> Take(size_t count) {
    const size_t n = count < Remaining() ? count : Remaining();
    std::span<const uint8_t> piece(data_ + offset_, n);
    offset_ += n;
    return piece;
  }
  std::span<const uint8_t> Rest() { return Take(Remaining()); }
  size_t Remaining() const { return size_ - offset_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

}  // namespace fuzz
