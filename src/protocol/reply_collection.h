#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "link/cdev.h"
#include "platform/clock.h"

// How the command layer gathers a printer's reply from a link whose reads return whatever has
// arrived (possibly nothing, possibly a piece). Every helper is bounded twice: by a capacity no
// printer can overrun, and by a count of reads or a time after which it gives up.
namespace reply {

// Bytes received so far, up to a fixed capacity; bytes beyond it are dropped.
class Buffer {
 public:
  explicit Buffer(size_t capacity) : data_(capacity, 0) {}

  size_t size() const { return size_; }
  size_t capacity() const { return data_.size(); }
  bool empty() const { return size_ == 0; }
  bool full() const { return size_ == data_.size(); }
  const uint8_t* data() const { return data_.data(); }
  // Byte i, or 0 past the bytes held (the buffer reads as zero-filled).
  uint8_t At(size_t i) const { return i < size_ ? data_[i] : 0; }
  // Appends as many bytes as fit; the count appended.
  size_t Append(const uint8_t* bytes, size_t count);
  bool Push(uint8_t byte);
  void Clear();
  // Drops every byte before the first `first` `second` pair; false (nothing dropped) when the
  // pair is not held.
  bool DropBefore(uint8_t first, uint8_t second);

 private:
  std::vector<uint8_t> data_;
  size_t size_ = 0;
};

// Pause after each read while collecting, so a printer that answers in pieces gets the time.
inline constexpr uint32_t kReadGapMs = 10;
// The wait argument every reply read passes to the link.
inline constexpr uint32_t kReadWaitMs = 1000;

// Fixed length: reads and appends until exactly `expected` bytes came. False when more than
// `total_ms` passed first, or when the printer sent more than expected (a reply that overshoots
// is not the reply we asked for). `reply` must hold at least `expected` bytes.
bool CollectFixed(CDev& dev, platform::Clock& clock, size_t expected, uint32_t total_ms,
                  Buffer& reply);

// NUL-terminated with resend: appends until a 00h is stored (or, with `fixed_size` non-zero,
// until that many bytes are held, 00h being data then) or 12 bytes are held. The third and every
// later read that finds nothing while nothing is held clears the reply and sends `command` again;
// the tenth resend gives up. A reply that starts and then stalls gives up after
// kStalledReplyMs without a new byte, so a printer that goes quiet mid-reply cannot hang us.
enum class NulReply { kComplete, kTooLong, kMissing };
inline constexpr size_t kNulReplyCapacity = 12;
inline constexpr int kNulReplyResends = 10;
inline constexpr uint32_t kStalledReplyMs = 2000;
NulReply CollectNulTerminated(CDev& dev, platform::Clock& clock,
                              const std::vector<uint8_t>& command, size_t fixed_size,
                              Buffer& reply);

// NUL-terminated by time: reads up to 255 bytes at a time and appends until a 00h is stored, or
// more than 2000 ms passed, or the reply is full. True when the 00h came.
inline constexpr size_t kTimedReadSize = 255;
inline constexpr size_t kTimedReplyCapacity = 512;
inline constexpr uint32_t kTimedReplyMs = 2000;
bool CollectTimed(CDev& dev, platform::Clock& clock, Buffer& reply);

// One read must carry the whole reply, ending in 00h. Other reads (nothing, or bytes without a
// closing 00h) are dropped and counted; the third and every later one sends `command` again, and
// the tenth resend gives up. True when a reply was taken; it is then the whole of `reply`.
inline constexpr size_t kWholeReadSize = 100;
bool CollectWholeRead(CDev& dev, const std::vector<uint8_t>& command, Buffer& reply);

// Up to `reads` reads; one that returns exactly `size` bytes with the last one 00h is taken, any
// other sends `command` again. True when a reply was taken.
bool CollectExactRead(CDev& dev, const std::vector<uint8_t>& command, size_t size, int reads,
                      Buffer& reply);

}  // namespace reply
