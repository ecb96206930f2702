#pragma once

// A scripted conversation with a printer, in virtual time.
//
// The script is the exchange the code under test must have, step by step:
//   Expect(bytes)           the exact bytes the code must write next (chunking is free: several
//                           writes may make up one step, one write may cover several steps);
//   Reply(bytes, after_ms)  bytes that become readable `after_ms` of virtual time after the
//                           preceding Expect step was completed (before any Expect: after the
//                           moment Reply was called);
//   Silence()               no reply (documents the intent; a step that does nothing).
// Any byte that does not match the script is an ADD_FAILURE() showing expected and got in hex, and
// is recorded in Mismatches(). The fakes never echo: only scripted replies are ever read.
//
// Reads return only the bytes already due at the clock's now, capped by the capacity asked for
// (later reads get the rest); bytes of several due replies run together, as in a driver buffer.
// A transport whose reads wait (TCP, USB, handheld serial) lets virtual time run on to the next
// due reply, or by its whole time-out when none comes.
//
// Example (a desktop serial link: the open writes one 0x00 probe byte first):
//   fakes::TestServices t;
//   t.conversation.Expect({0x00})
//       .Expect({0x1D, 0x49, 0x43})
//       .Reply(fakes::TextZ("_TMQ-D550"), 20)
//       .Expect({0x1D, 0x49, 0x41})
//       .Silence();
//   ... run the code ...
//   EXPECT_TRUE(t.conversation.AllWritten());
//
// Permissive() drops the expectations: writes are only recorded (inspect Written()/Writes()
// afterwards) and each write releases the next queued Reply (due after_ms after that write).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/clock.h"

namespace fakes {

using Bytes = std::vector<uint8_t>;

// "1D 49 43" or "1d4943" -> bytes.
Bytes Hex(std::string_view hex);
// The text's bytes, without / with a terminating NUL.
Bytes Text(std::string_view text);
Bytes TextZ(std::string_view text);
// Joins byte strings.
Bytes Cat(std::initializer_list<Bytes> parts);
// "1D 49 43" (upper-case, space separated).
std::string ToHex(const uint8_t* data, size_t length);
std::string ToHex(const Bytes& bytes);

class Conversation {
 public:
  explicit Conversation(platform::VirtualClock& clock);
  Conversation(const Conversation&) = delete;
  Conversation& operator=(const Conversation&) = delete;

  // --- The script (chainable).
  Conversation& Expect(Bytes bytes);
  Conversation& Reply(Bytes bytes, uint32_t after_ms = 0);
  Conversation& Silence();
  // No expectations from now on: writes are recorded, each releases the next queued Reply.
  Conversation& Permissive();

  // --- Faults for the next write call: it fails outright (nothing accepted), or accepts only
  // `count` bytes (those are still matched against the script).
  void FailNextWrite();
  void ShortNextWrite(size_t count);
  // The next read call fails (a transport error).
  void FailNextRead();

  // --- What happened.
  bool AllWritten() const;                           // every Expect step fully written
  bool AllRead() const;                              // every reply released and read to its end
  const Bytes& Written() const { return written_; }  // every byte accepted, in order
  const std::vector<Bytes>& Writes() const { return writes_; }  // accepted bytes per write call
  const std::vector<uint64_t>& WriteTimes() const { return write_times_; }  // clock at each write
  const std::vector<std::string>& Mismatches() const { return mismatches_; }
  size_t WriteCalls() const { return writes_.size(); }
  size_t ReadCalls() const { return read_calls_; }
  size_t EmptyReads() const { return empty_reads_; }
  size_t FailedWrites() const { return failed_writes_; }

  // --- Transport side, called by the fakes.
  // Accepted count, or -1 when the write fails.
  long OnWrite(const uint8_t* data, size_t length);
  // Reads what is due. When nothing is due and `max_wait_ms` > 0, virtual time runs on until the
  // next reply falls due, at most `max_wait_ms`. `wait_forever` (a read without time-outs) waits
  // for the next reply however far away; with none scheduled it is reported as a hang.
  // Count read (0 for nothing), or -1 when the read fails.
  long OnRead(uint8_t* buffer, size_t capacity, uint32_t max_wait_ms, bool wait_forever = false);
  // Drops bytes that are due and unread (a purge of the receive buffer).
  void DiscardDue();

 private:
  struct Step {
    enum Kind { kExpect, kReply, kSilence } kind;
    Bytes bytes;
    uint32_t after_ms = 0;
  };
  struct Pending {
    uint64_t due_ms;
    Bytes bytes;
    size_t offset = 0;
  };

  void ReleaseRepliesAfterExpect(uint64_t now);
  void SkipNonExpectSteps(uint64_t now);
  void Schedule(Bytes bytes, uint64_t due_ms);

  platform::VirtualClock& clock_;
  std::deque<Step> steps_;
  size_t expect_offset_ = 0;  // bytes of the front Expect step already matched
  bool permissive_ = false;
  std::deque<Step> permissive_replies_;
  std::deque<Pending> pending_;  // sorted by due time

  bool fail_next_write_ = false;
  bool short_next_write_ = false;
  size_t short_count_ = 0;
  bool fail_next_read_ = false;

  Bytes written_;
  std::vector<Bytes> writes_;
  std::vector<uint64_t> write_times_;
  std::vector<std::string> mismatches_;
  size_t read_calls_ = 0;
  size_t empty_reads_ = 0;
  size_t failed_writes_ = 0;
};

}  // namespace fakes
