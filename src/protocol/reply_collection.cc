#include "protocol/reply_collection.h"

#include <algorithm>
#include <array>

namespace protocol::reply {
namespace {

constexpr size_t kChunkSize = 255;
// Reads that find nothing before the command is sent again.
constexpr int kQuietReadsBeforeResend = 2;

// One read of up to `capacity` bytes; a failed read counts as nothing.
size_t ReadChunk(devlink::CDev& dev, std::array<uint8_t, kChunkSize>& chunk, size_t capacity) {
  const int got =
      dev.Read(chunk.data(), static_cast<uint32_t>(std::min(capacity, chunk.size())), kReadWaitMs);
  return got > 0 ? std::min(static_cast<size_t>(got), chunk.size()) : 0;
}

void Resend(devlink::CDev& dev, const std::vector<uint8_t>& command) {
  // A resend that fails shows as silence in the reads that follow; they decide.
  dev.Write(command.data(), static_cast<uint32_t>(command.size()));
}

}  // namespace

size_t Buffer::Append(const uint8_t* bytes, size_t count) {
  const size_t n = std::min(count, data_.size() - size_);
  std::copy(bytes, bytes + n, data_.begin() + static_cast<std::ptrdiff_t>(size_));
  size_ += n;
  return n;
}

bool Buffer::Push(uint8_t byte) { return Append(&byte, 1) == 1; }

void Buffer::Clear() {
  std::fill(data_.begin(), data_.end(), 0);
  size_ = 0;
}

bool Buffer::DropBefore(uint8_t first, uint8_t second) {
  for (size_t i = 0; i + 1 < size_; ++i) {
    if (data_[i] == first && data_[i + 1] == second) {
      DropFront(i);
      return true;
    }
  }
  return false;
}

void Buffer::DropFront(size_t count) {
  count = std::min(count, size_);
  std::copy(data_.begin() + static_cast<std::ptrdiff_t>(count),
            data_.begin() + static_cast<std::ptrdiff_t>(size_), data_.begin());
  std::fill(data_.begin() + static_cast<std::ptrdiff_t>(size_ - count),
            data_.begin() + static_cast<std::ptrdiff_t>(size_), 0);
  size_ -= count;
}

bool CollectFixed(devlink::CDev& dev, platform::Clock& clock, size_t expected, uint32_t total_ms,
                  Buffer& reply) {
  reply.Clear();
  std::array<uint8_t, kChunkSize> chunk;
  size_t received = 0;  // may run past what the reply holds: an overshoot must not look complete
  const uint32_t start = clock.TickCount();
  for (;;) {
    const size_t got = ReadChunk(dev, chunk, 100);
    reply.Append(chunk.data(), got);
    received += got;
    clock.Sleep(kReadGapMs);
    if (received == expected) return true;
    if (clock.TickCount() - start > total_ms) return false;
  }
}

NulReply CollectNulTerminated(devlink::CDev& dev, platform::Clock& clock,
                              const std::vector<uint8_t>& command, size_t fixed_size,
                              Buffer& reply) {
  reply.Clear();
  std::array<uint8_t, kChunkSize> chunk;
  const size_t limit = std::min(kNulReplyCapacity, reply.capacity());
  int quiet_reads = 0;
  int resends = 0;
  uint32_t last_byte_at = clock.TickCount();
  for (;;) {
    const size_t got = ReadChunk(dev, chunk, 100);
    bool complete = false;
    if (got > 0) {
      last_byte_at = clock.TickCount();
      for (size_t i = 0; i < got && reply.size() < limit; ++i) {
        reply.Push(chunk[i]);
        if (fixed_size != 0 ? reply.size() == fixed_size : chunk[i] == 0) {
          complete = true;
          break;
        }
      }
    } else if (reply.empty()) {
      if (++quiet_reads > kQuietReadsBeforeResend) {
        reply.Clear();
        Resend(dev, command);
        if (++resends >= kNulReplyResends) return NulReply::kMissing;
      }
    } else if (clock.TickCount() - last_byte_at > kStalledReplyMs) {
      return NulReply::kMissing;
    }
    clock.Sleep(kReadGapMs);
    if (complete) return NulReply::kComplete;
    if (reply.size() >= limit) return NulReply::kTooLong;
  }
}

bool CollectTimed(devlink::CDev& dev, platform::Clock& clock, Buffer& reply) {
  reply.Clear();
  std::array<uint8_t, kChunkSize> chunk;
  const uint32_t start = clock.TickCount();
  for (;;) {
    const size_t got = ReadChunk(dev, chunk, kTimedReadSize);
    size_t i = 0;
    bool terminated = false;
    for (; i < got && !reply.full(); ++i) {
      reply.Push(chunk[i]);
      if (chunk[i] == 0) {
        terminated = true;
        break;
      }
    }
    clock.Sleep(kReadGapMs);
    if (terminated) return true;
    if (reply.full()) {
      // Nothing more can be stored: the rest goes.
      DiscardRestOfReply(dev, clock, std::span(chunk).subspan(i, got - i));
      return false;
    }
    if (clock.TickCount() - start > kTimedReplyMs) return false;
  }
}

void DiscardRestOfReply(devlink::CDev& dev, platform::Clock& clock,
                        std::span<const uint8_t> read_past_cut) {
  if (std::find(read_past_cut.begin(), read_past_cut.end(), 0) != read_past_cut.end()) return;
  std::array<uint8_t, kChunkSize> chunk;
  const uint32_t start = clock.TickCount();
  while (clock.TickCount() - start <= kTimedReplyMs && !clock.StopRequested()) {
    const size_t got = ReadChunk(dev, chunk, chunk.size());
    if (got == 0 || std::find(chunk.begin(), chunk.begin() + got, 0) != chunk.begin() + got) {
      return;
    }
  }
}

Joiner::Read Joiner::ReadPiece(size_t max_read) {
  if (reply_.full()) Drop();
  std::array<uint8_t, kChunkSize> chunk;
  const size_t got = ReadChunk(dev_, chunk, std::min(max_read, reply_.capacity() - reply_.size()));
  if (got > 0) {
    reply_.Append(chunk.data(), got);
    last_piece_at_ = clock_.TickCount();
    return Read::kBytes;
  }
  if (reply_.empty() || clock_.TickCount() - last_piece_at_ > kPieceGapMs) return Read::kQuiet;
  clock_.Sleep(kReadGapMs);
  return Read::kPending;
}

bool CollectWholeRead(devlink::CDev& dev, platform::Clock& clock,
                      const std::vector<uint8_t>& command, Buffer& reply) {
  reply.Clear();
  Joiner joiner(dev, clock, reply);
  int dropped = 0;
  int resends = 0;
  for (;;) {
    const Joiner::Read read = joiner.ReadPiece(kWholeReadSize);
    if (read == Joiner::Read::kPending) continue;
    if (read == Joiner::Read::kBytes) {
      if (EndsInNul(reply)) return true;
      if (!reply.full()) continue;  // the rest may be on its way
    }
    joiner.Drop();
    if (++dropped > kQuietReadsBeforeResend) {
      Resend(dev, command);
      if (++resends >= kNulReplyResends) return false;
    }
  }
}

bool CollectExactRead(devlink::CDev& dev, platform::Clock& clock,
                      const std::vector<uint8_t>& command, size_t size, int reads, Buffer& reply) {
  reply.Clear();
  Joiner joiner(dev, clock, reply);
  for (int i = 0; i < reads; ++i) {
    joiner.Drop();
    Joiner::Read read;
    do {
      read = joiner.ReadPiece(100);
    } while (read != Joiner::Read::kQuiet && reply.size() < size);
    if (size > 0 && reply.size() == size && EndsInNul(reply)) return true;
    Resend(dev, command);
  }
  joiner.Drop();
  return false;
}

}  // namespace protocol::reply
