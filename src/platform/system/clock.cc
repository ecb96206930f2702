#include "platform/system/clock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace platform {

uint32_t RealClock::TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void Clock::Idle() {
  if (hook_ == nullptr || in_hook_) return;
  in_hook_ = true;
  hook_->OnIdle();
  in_hook_ = false;
}

namespace {

void SleepUninterrupted(uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace

void RealClock::Sleep(uint32_t ms) {
  if (!HasIdleHook()) {
    SleepUninterrupted(ms);
    return;
  }
  // Slices end on the tick clock, so time the hook takes counts against the pause.
  const uint32_t start = TickCount();
  while (true) {
    const uint32_t elapsed = TickCount() - start;
    if (elapsed >= ms) return;
    SleepUninterrupted(std::min(ms - elapsed, kIdleSliceMs));
    Idle();
  }
}

void VirtualClock::Sleep(uint32_t ms) {
  while (ms > 0) {
    const uint32_t slice = HasIdleHook() ? std::min(ms, kIdleSliceMs) : ms;
    now_ms_ += slice;
    ms -= slice;
    Idle();
  }
}

}  // namespace platform
