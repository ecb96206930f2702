#include "platform/system/clock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/system/fiber_loop.h"

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

// Inside a task of a fiber loop the pause is the loop's, and the thread goes on with other tasks.
void SleepUninterrupted(uint32_t ms) {
  if (FiberLoop* loop = FiberLoop::Current()) {
    loop->Sleep(ms);
    return;
  }
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace

void RealClock::Sleep(uint32_t ms) {
  // A pause of nothing is no pause: the progress steps of the command line take no time, and
  // ten thousand printers' worth of empty sleeps would cost the system a wake-up each.
  if (ms == 0) return;
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
