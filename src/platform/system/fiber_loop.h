#pragma once

// Many tasks on one thread, each on a stack of its own. A task is written as plain blocking code:
// while it runs inside a loop, RealClock::Sleep and WaitForFd hand the thread to the next ready
// task instead of putting the thread to sleep, and the loop wakes the task when its time has come
// or its descriptor is ready. A thousand printers waiting on their pauses then cost the system
// one wake-up per moment something is due, not one per printer.
//
// Every wait inside a task must go through the clock or WaitForFd: a task that blocks the thread
// in any other way (a mutex held long, a condition variable, a blocking read) holds up every
// task of its loop.

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/unique_fd.h"

namespace platform {

class FiberLoop {
 public:
  // `stack_bytes`: each task's stack (rounded up to whole pages, with a guard page below it).
  explicit FiberLoop(size_t stack_bytes);
  ~FiberLoop();
  FiberLoop(const FiberLoop&) = delete;
  FiberLoop& operator=(const FiberLoop&) = delete;

  // Adds a task; it runs once Run is called (or on the next turn, when added by a task). False
  // with the reason when no stack could be had; `body` has then not run.
  bool Spawn(std::function<void()> body, std::string* error);

  // What Run does while every task waits.
  struct RunOptions {
    // The signal mask while the loop waits (null: the thread's own), so that signals blocked
    // while the tasks run cut the wait short.
    const sigset_t* wait_mask = nullptr;
    // Asked after every wait: once true, every waiting task is woken as if its time were up and
    // every later wait returns at once, so that the tasks see their own stop and end.
    std::function<bool()> stop_requested;
  };
  // Runs the tasks on the calling thread until all of them have ended. Set the thread's signal
  // mask before adding tasks: where stacks are switched with swapcontext, each task keeps the
  // mask of the moment it was added.
  void Run(const RunOptions& options);
  void Run() { Run(RunOptions{}); }

  // The loop whose task is running on the calling thread; null outside a task.
  static FiberLoop* Current();

  // For the running task only (through Current()):
  // Pauses the task `ms` milliseconds.
  void Sleep(uint32_t ms);
  // Waits until `fd` is ready for `events` (POLLIN, POLLOUT) or `timeout_ms` has passed (-1:
  // no limit). Returns what poll would put in revents; 0 when the time ran out.
  short WaitFd(int fd, short events, int timeout_ms);

  // Stacks are mapped many at a time and kept for later tasks until the loop ends: unmapping
  // each as its task ends would cost every CPU of the process a flush of its address cache.
  static constexpr size_t kStacksPerMap = 64;

  // The timers held, those of ended waits included (for tests: they must stay bounded).
  size_t TimersHeld() const { return timers_.size(); }

 private:
  struct Task;
  struct LoopContext;
  // A time a wait ends at. The wait may have ended before (its descriptor became ready); the
  // timer then finds its task under another wait, or none, and does nothing. Task objects live as
  // long as the loop, so a timer may outlive its wait.
  struct Timer {
    uint64_t due_us;
    uint64_t wait;
    Task* task;
    bool operator>(const Timer& other) const { return due_us > other.due_us; }
    bool Current() const;
  };

  static uint64_t NowUs();
  static void TaskMain();
  void SwitchTo(Task& task);
  void SwitchToLoop();
  // Makes the running task wait (for its descriptor, when it set one, or for `timeout_ms`).
  void Suspend(int timeout_ms);
  // `fired`: the task's descriptor was reported ready, which disarmed it.
  void Wake(Task& task, short revents, bool fired);
  void WakeAll();
  void WakeDueTimers();
  int WaitTimeoutMs();
  void AddTimer(const Timer& timer);
  void PopTimer();
  void Finish(Task& task);
  // A stack for a new task: one of a new map of kStacksPerMap when none is left.
  void* TakeStack(std::string* error);
  // Watches `fd` for `events` once, for the running task; false when epoll cannot watch it.
  bool Arm(Task& task, int fd, uint32_t events);

  size_t stack_bytes_;
  UniqueFd epoll_;
  std::vector<std::pair<void*, size_t>> maps_;  // address, bytes
  std::vector<void*> free_stacks_;
  std::vector<std::unique_ptr<Task>> tasks_;  // the tasks that have not ended
  // Ended tasks, each with its stack, for the next tasks to take (a timer may still name one).
  std::vector<std::unique_ptr<Task>> spare_tasks_;
  std::deque<Task*> ready_;
  // A heap, earliest first. A wait that ends by its descriptor leaves its timer here until it
  // comes due (with long limits, days later), so AddTimer clears out such timers now and then.
  std::vector<Timer> timers_;
  uint64_t last_wait_ = 0;
  Task* running_ = nullptr;
  bool stopping_ = false;
  std::unique_ptr<LoopContext> loop_context_;
};

}  // namespace platform
