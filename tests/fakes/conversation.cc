#include "fakes/conversation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace fakes {

Bytes Hex(std::string_view hex) {
  Bytes out;
  int high = -1;
  for (char c : hex) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    int v;
    if (c >= '0' && c <= '9') {
      v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      v = c - 'A' + 10;
    } else {
      ADD_FAILURE() << "bad hex digit '" << c << "' in \"" << hex << "\"";
      return out;
    }
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<uint8_t>(high * 16 + v));
      high = -1;
    }
  }
  if (high >= 0) ADD_FAILURE() << "odd number of hex digits in \"" << hex << "\"";
  return out;
}

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes TextZ(std::string_view text) {
  Bytes out = Text(text);
  out.push_back(0);
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::string ToHex(const uint8_t* data, size_t length) {
  std::string out;
  char cell[4];
  for (size_t i = 0; i < length; ++i) {
    std::snprintf(cell, sizeof cell, "%02X", data[i]);
    if (i > 0) out += ' ';
    out += cell;
  }
  return out;
}

std::string ToHex(const Bytes& bytes) { return ToHex(bytes.data(), bytes.size()); }

Conversation::Conversation(platform::VirtualClock& clock) : clock_(clock) {}

Conversation& Conversation::Expect(Bytes bytes) {
  if (permissive_) {
    ADD_FAILURE() << "Expect() on a permissive conversation";
    return *this;
  }
  steps_.push_back(Step{Step::kExpect, std::move(bytes), 0});
  return *this;
}

Conversation& Conversation::Reply(Bytes bytes, uint32_t after_ms) {
  if (permissive_) {
    permissive_replies_.push_back(Step{Step::kReply, std::move(bytes), after_ms});
  } else if (steps_.empty()) {
    // Nothing left to wait for: the reply counts from now.
    Schedule(std::move(bytes), clock_.NowMs() + after_ms);
  } else {
    steps_.push_back(Step{Step::kReply, std::move(bytes), after_ms});
  }
  return *this;
}

Conversation& Conversation::Silence() {
  if (!permissive_ && !steps_.empty()) steps_.push_back(Step{Step::kSilence, {}, 0});
  return *this;
}

Conversation& Conversation::Permissive() {
  if (!steps_.empty()) ADD_FAILURE() << "Permissive() after scripted steps; they are dropped";
  steps_.clear();
  permissive_ = true;
  return *this;
}

void Conversation::FailNextWrite() { fail_next_write_ = true; }

void Conversation::ShortNextWrite(size_t count) {
  short_next_write_ = true;
  short_count_ = count;
}

void Conversation::FailNextRead() { fail_next_read_ = true; }

bool Conversation::AllWritten() const {
  return std::none_of(steps_.begin(), steps_.end(),
                      [](const Step& s) { return s.kind == Step::kExpect; });
}

bool Conversation::AllRead() const {
  const bool replies_left = std::any_of(steps_.begin(), steps_.end(),
                                        [](const Step& s) { return s.kind == Step::kReply; });
  return pending_.empty() && permissive_replies_.empty() && !replies_left;
}

void Conversation::Schedule(Bytes bytes, uint64_t due_ms) {
  if (bytes.empty()) return;
  auto at = std::upper_bound(pending_.begin(), pending_.end(), due_ms,
                             [](uint64_t due, const Pending& p) { return due < p.due_ms; });
  pending_.insert(at, Pending{due_ms, std::move(bytes), 0});
}

void Conversation::ReleaseRepliesAfterExpect(uint64_t now) {
  while (!steps_.empty() && steps_.front().kind != Step::kExpect) {
    if (steps_.front().kind == Step::kReply) {
      Schedule(std::move(steps_.front().bytes), now + steps_.front().after_ms);
    }
    steps_.pop_front();
  }
}

long Conversation::OnWrite(const uint8_t* data, size_t length) {
  const uint64_t now = clock_.NowMs();
  if (fail_next_write_) {
    fail_next_write_ = false;
    ++failed_writes_;
    return -1;
  }
  size_t n = length;
  if (short_next_write_) {
    short_next_write_ = false;
    n = std::min(short_count_, length);
  }
  writes_.emplace_back(data, data + n);
  write_times_.push_back(now);
  written_.insert(written_.end(), data, data + n);

  if (permissive_) {
    if (!permissive_replies_.empty()) {
      Step reply = std::move(permissive_replies_.front());
      permissive_replies_.pop_front();
      Schedule(std::move(reply.bytes), now + reply.after_ms);
    }
    return static_cast<long>(n);
  }

  size_t i = 0;
  while (i < n) {
    ReleaseRepliesAfterExpect(now);  // replies queued at the front are due from now
    if (steps_.empty()) {
      std::string msg = "unexpected bytes after the end of the script at t=" + std::to_string(now) +
                        " ms: got [" + ToHex(data + i, n - i) + "]";
      ADD_FAILURE() << msg;
      mismatches_.push_back(msg);
      break;
    }
    Step& step = steps_.front();
    const size_t start = expect_offset_;
    const size_t got_start = i;
    while (i < n && expect_offset_ < step.bytes.size() && data[i] == step.bytes[expect_offset_]) {
      ++i;
      ++expect_offset_;
    }
    if (expect_offset_ == step.bytes.size()) {
      steps_.pop_front();
      expect_offset_ = 0;
      ReleaseRepliesAfterExpect(now);
      continue;
    }
    if (i < n) {
      std::string msg = "unexpected write at t=" + std::to_string(now) + " ms: expected [" +
                        ToHex(step.bytes.data() + start, step.bytes.size() - start) + "] got [" +
                        ToHex(data + got_start, n - got_start) + "]";
      ADD_FAILURE() << msg;
      mismatches_.push_back(msg);
      expect_offset_ = start;  // the step stays whole for the next attempt
      break;
    }
  }
  return static_cast<long>(n);
}

long Conversation::OnRead(uint8_t* buffer, size_t capacity, uint32_t max_wait_ms,
                          bool wait_forever) {
  ++read_calls_;
  if (fail_next_read_) {
    fail_next_read_ = false;
    return -1;
  }
  uint64_t now = clock_.NowMs();
  const bool due = !pending_.empty() && pending_.front().due_ms <= now;
  if (!due) {
    if (!pending_.empty() && (wait_forever || pending_.front().due_ms - now <= max_wait_ms)) {
      clock_.Advance(pending_.front().due_ms - now);
      now = clock_.NowMs();
    } else {
      if (wait_forever) {
        ADD_FAILURE() << "a read without time-out at t=" << now
                      << " ms would wait forever: no reply is scheduled";
      } else {
        clock_.Advance(max_wait_ms);
      }
      ++empty_reads_;
      return 0;
    }
  }
  size_t got = 0;
  while (got < capacity && !pending_.empty() && pending_.front().due_ms <= now) {
    Pending& p = pending_.front();
    const size_t take = std::min(capacity - got, p.bytes.size() - p.offset);
    std::copy_n(p.bytes.begin() + static_cast<long>(p.offset), take, buffer + got);
    got += take;
    p.offset += take;
    if (p.offset == p.bytes.size()) pending_.pop_front();
  }
  if (got == 0) ++empty_reads_;
  return static_cast<long>(got);
}

void Conversation::DiscardDue() {
  const uint64_t now = clock_.NowMs();
  while (!pending_.empty() && pending_.front().due_ms <= now) pending_.pop_front();
}

}  // namespace fakes
