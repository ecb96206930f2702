#pragma once

#include <cstdint>

namespace platform {

// The one source of time in the system. Every pause and every time-out goes through it, so the
// whole protocol can run in virtual time under test.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter, so callers compare
  // with unsigned differences.
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

// CLOCK_MONOTONIC and nanosleep.
class RealClock : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
};

// Time that moves only when someone sleeps or advances it. Sleep returns at once.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint64_t start_ms = 0) : now_ms_(start_ms) {}
  uint32_t TickCount() override { return static_cast<uint32_t>(now_ms_); }
  void Sleep(uint32_t ms) override { now_ms_ += ms; }
  void Advance(uint64_t ms) { now_ms_ += ms; }
  uint64_t NowMs() const { return now_ms_; }

 private:
  uint64_t now_ms_;
};

}  // namespace platform
