#pragma once

#include <cstdint>

namespace platform {

// What a program does while it waits on a device or a pause: a host that draws keeps its screen
// up to date and takes in the keys typed meanwhile. The hook belongs to the program's top layer;
// the waits below only call it, so the dependency still points down.
class IdleHook {
 public:
  virtual ~IdleHook() = default;
  virtual void OnIdle() = 0;
};

// Asks the work timed by a clock to end early: a deadline passed, or the user interrupted. The
// work checks it between its steps and never cuts a step under way, so a printer is left between
// two commands, never inside one.
class StopSignal {
 public:
  virtual ~StopSignal() = default;
  virtual bool StopRequested() = 0;
};

// The one source of time in the system. Every pause and every time-out goes through it, so the
// whole protocol can run in virtual time under test.
class Clock {
 public:
  // With a hook installed, no pause or device wait goes longer than this without calling it.
  static constexpr uint32_t kIdleSliceMs = 50;

  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps like a 32-bit tick counter, so callers compare
  // with unsigned differences.
  virtual uint32_t TickCount() = 0;
  // Pauses `ms`, calling the idle hook every kIdleSliceMs meanwhile.
  virtual void Sleep(uint32_t ms) = 0;

  // Installs (nullptr: removes) the hook the waits on this clock call.
  void SetIdleHook(IdleHook* hook) { hook_ = hook; }
  bool HasIdleHook() const { return hook_ != nullptr; }
  // Calls the hook; a call from inside the hook itself is ignored, so the hook may wait too.
  void Idle();

  // Installs (nullptr: removes) the signal the work on this clock checks between its steps; the
  // clock carries it because every job already holds its clock.
  void SetStopSignal(StopSignal* signal) { stop_ = signal; }
  bool HasStopSignal() const { return stop_ != nullptr; }
  // False without a signal.
  bool StopRequested() { return stop_ != nullptr && stop_->StopRequested(); }

 private:
  IdleHook* hook_ = nullptr;
  StopSignal* stop_ = nullptr;
  bool in_hook_ = false;
};

// CLOCK_MONOTONIC and nanosleep.
class RealClock : public Clock {
 public:
  uint32_t TickCount() override;
  void Sleep(uint32_t ms) override;
};

// Time that moves only when someone sleeps or advances it. Sleep returns at once (after the
// idle hook's calls, one per slice of virtual time).
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(uint64_t start_ms = 0) : now_ms_(start_ms) {}
  uint32_t TickCount() override { return static_cast<uint32_t>(now_ms_); }
  void Sleep(uint32_t ms) override;
  void Advance(uint64_t ms) { now_ms_ += ms; }
  uint64_t NowMs() const { return now_ms_; }

 private:
  uint64_t now_ms_;
};

}  // namespace platform
