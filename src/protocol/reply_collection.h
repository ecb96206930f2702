#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/cdev.h"
#include "platform/system/clock.h"

// How the command layer gathers a printer's reply from a link whose reads return whatever has
// arrived (possibly nothing, possibly a piece). Every helper is bounded twice: by a capacity no
// printer can overrun, and by a count of reads or a time after which it gives up.
namespace protocol::reply {

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
  // Drops the first `count` bytes (all of them when fewer are held).
  void DropFront(size_t count);

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
bool CollectFixed(devlink::CDev& dev, platform::Clock& clock, size_t expected, uint32_t total_ms,
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
NulReply CollectNulTerminated(devlink::CDev& dev, platform::Clock& clock,
                              const std::vector<uint8_t>& command, size_t fixed_size,
                              Buffer& reply);

// NUL-terminated by time: reads up to 255 bytes at a time and appends until a 00h is stored, or
// more than 2000 ms passed, or the reply is full. True when the 00h came.
inline constexpr size_t kTimedReadSize = 255;
inline constexpr size_t kTimedReplyCapacity = 512;
inline constexpr uint32_t kTimedReplyMs = 2000;
bool CollectTimed(devlink::CDev& dev, platform::Clock& clock, Buffer& reply);

// After a reply was cut at its buffer's end: reads and drops the rest of it, through its 00h, so
// that it is not taken for the answer to the next command. `read_past_cut` are the bytes the last
// read brought beyond the cut; when they hold the 00h nothing is left to drop. Gives up at a read
// that finds nothing, after kTimedReplyMs, or at a stop request.
void DiscardRestOfReply(devlink::CDev& dev, platform::Clock& clock,
                        std::span<const uint8_t> read_past_cut = {});

// How long a held piece of a reply waits for the next one. Bluetooth serial links and
// serial-to-network bridges hand a reply over in pieces some tens of milliseconds apart; a piece
// with nothing after it for longer than this is given up.
inline constexpr uint32_t kPieceGapMs = 500;

// Joins the pieces of one reply that arrive over consecutive reads into `reply`, never past its
// capacity, so that the reply is judged on what was joined rather than on one read alone.
class Joiner {
 public:
  Joiner(devlink::CDev& dev, platform::Clock& clock, Buffer& reply)
      : dev_(dev), clock_(clock), reply_(reply) {}

  enum class Read {
    kBytes,    // bytes arrived and were appended to the reply
    kPending,  // nothing arrived, but a piece is held and its rest may still come
    kQuiet,    // nothing arrived, and either nothing is held or the held piece is too old
  };
  // One read of up to `max_read` bytes, never more than the room left in the reply (a reply
  // that is already full is dropped first: it can only be judged, not extended). A pending read
  // pauses kReadGapMs, so waiting for a piece takes time even over a link whose reads return at
  // once. kQuiet leaves a held piece in place; the caller decides whether it is worth anything.
  Read ReadPiece(size_t max_read);
  // Forgets what is held (the reply reads as zeros again).
  void Drop() { reply_.Clear(); }

 private:
  devlink::CDev& dev_;
  platform::Clock& clock_;
  Buffer& reply_;
  uint32_t last_piece_at_ = 0;
};

// The reply's last byte is 00h: it is complete.
inline bool EndsInNul(const Buffer& reply) {
  return !reply.empty() && reply.At(reply.size() - 1) == 0;
}

// A reply that ends in 00h, joined from consecutive reads. A piece without its closing 00h waits
// for the rest; one followed only by quiet reads is dropped, and so is one that fills the reply
// without a 00h. Each such drop, and each read that finds nothing while nothing is held, counts;
// the third and every later count sends `command` again, and the tenth resend gives up. True
// when a reply was taken; it is then the whole of `reply`.
inline constexpr size_t kWholeReadSize = 100;
bool CollectWholeRead(devlink::CDev& dev, platform::Clock& clock,
                      const std::vector<uint8_t>& command, Buffer& reply);

// Up to `reads` attempts; each joins pieces from consecutive reads until at least `size` bytes
// are held or the line goes quiet. Exactly `size` bytes with the last one 00h are taken; anything
// else sends `command` again. True when a reply was taken.
bool CollectExactRead(devlink::CDev& dev, platform::Clock& clock,
                      const std::vector<uint8_t>& command, size_t size, int reads, Buffer& reply);

}  // namespace protocol::reply
