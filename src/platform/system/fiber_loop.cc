#include "platform/system/fiber_loop.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <exception>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

#include "platform/system/stack_switch.h"

namespace platform {
namespace {

thread_local FiberLoop* t_running_loop = nullptr;

// The address sanitizer keeps its own record of which stack is in use; it is told of every
// switch, or it takes the tasks' stacks for overflows of the loop's.
void StartSwitch([[maybe_unused]] void** fake_stack, [[maybe_unused]] const void* bottom,
                 [[maybe_unused]] size_t size) {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_start_switch_fiber(fake_stack, bottom, size);
#endif
}

void FinishSwitch([[maybe_unused]] void* fake_stack, [[maybe_unused]] const void** bottom,
                  [[maybe_unused]] size_t* size) {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_finish_switch_fiber(fake_stack, bottom, size);
#endif
}

size_t PageBytes() { return static_cast<size_t>(::sysconf(_SC_PAGESIZE)); }

uint32_t ToEpoll(short events) {
  uint32_t out = 0;
  if (events & POLLIN) out |= EPOLLIN;
  if (events & POLLOUT) out |= EPOLLOUT;
  if (events & POLLRDHUP) out |= EPOLLRDHUP;
  return out;
}

short ToPoll(uint32_t events) {
  short out = 0;
  if (events & EPOLLIN) out |= POLLIN;
  if (events & EPOLLOUT) out |= POLLOUT;
  if (events & EPOLLERR) out |= POLLERR;
  if (events & EPOLLHUP) out |= POLLHUP;
  if (events & EPOLLRDHUP) out |= POLLRDHUP;
  return out;
}

}  // namespace

struct FiberLoop::Task {
  std::function<void()> body;
  StackContext context;
  void* stack = nullptr;
  void* fake_stack = nullptr;  // the sanitizer's, kept while the task is switched out
  size_t index = 0;            // in tasks_
  bool finished = false;
  uint64_t wait = 0;  // the number of the wait under way; 0: none
  int fd = -1;        // the descriptor waited for, or -1
  int last_fd = -1;   // the descriptor last added to the loop's epoll, most likely still there
  short revents = 0;
};

bool FiberLoop::Timer::Current() const { return task->wait == wait; }

struct FiberLoop::LoopContext {
  StackContext context;
  const void* stack = nullptr;  // the loop thread's stack, for the sanitizer
  size_t stack_bytes = 0;
  void* fake_stack = nullptr;
};

FiberLoop::FiberLoop(size_t stack_bytes)
    : stack_bytes_((stack_bytes + PageBytes() - 1) / PageBytes() * PageBytes()),
      epoll_(::epoll_create1(EPOLL_CLOEXEC)),
      loop_context_(std::make_unique<LoopContext>()) {}

FiberLoop::~FiberLoop() {
  for (const auto& [map, bytes] : maps_) ::munmap(map, bytes);
}

void* FiberLoop::TakeStack(std::string* error) {
  if (free_stacks_.empty()) {
    const size_t page = PageBytes();
    const size_t guarded = stack_bytes_ + page;
    const size_t bytes = guarded * kStacksPerMap;
    void* map = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (map == MAP_FAILED) {
      if (error) *error = std::string("cannot map stacks: ") + std::strerror(errno);
      return nullptr;
    }
    maps_.emplace_back(map, bytes);
    // A task that overruns its stack faults on the guard page below it instead of writing into
    // the next one.
    for (size_t i = kStacksPerMap; i-- > 0;) {
      char* guard = static_cast<char*>(map) + i * guarded;
      if (::mprotect(guard, page, PROT_NONE) != 0) {
        if (error) *error = std::string("cannot guard a stack: ") + std::strerror(errno);
        return nullptr;
      }
      free_stacks_.push_back(guard + page);
    }
  }
  void* stack = free_stacks_.back();
  free_stacks_.pop_back();
  return stack;
}

FiberLoop* FiberLoop::Current() { return t_running_loop; }

uint64_t FiberLoop::NowUs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

bool FiberLoop::Spawn(std::function<void()> body, std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
  };
  if (!epoll_.valid()) return fail("epoll_create1");
  std::unique_ptr<Task> task;
  if (spare_tasks_.empty()) {
    task = std::make_unique<Task>();
    task->stack = TakeStack(error);
    if (task->stack == nullptr) return false;
  } else {
    task = std::move(spare_tasks_.back());
    spare_tasks_.pop_back();
    task->finished = false;
#if defined(__SANITIZE_ADDRESS__)
    // What an earlier task's frames left marked is no concern of the next.
    ASAN_UNPOISON_MEMORY_REGION(task->stack, stack_bytes_);
#endif
  }
  // A task never returns from TaskMain: it switches away for good.
  if (!PrepareStack(task->context, task->stack, stack_bytes_, &FiberLoop::TaskMain)) {
    spare_tasks_.push_back(std::move(task));
    return fail("cannot ready a task's stack");
  }
  task->body = std::move(body);
  task->index = tasks_.size();
  ready_.push_back(task.get());
  tasks_.push_back(std::move(task));
  return true;
}

void FiberLoop::TaskMain() {
  FiberLoop& loop = *t_running_loop;
  LoopContext& back = *loop.loop_context_;
  FinishSwitch(nullptr, &back.stack, &back.stack_bytes);
  Task& task = *loop.running_;
  try {
    task.body();
  } catch (...) {
    // The task's own code catches what it can; nothing may unwind past the start of its stack.
    std::terminate();
  }
  task.finished = true;
  loop.SwitchToLoop();  // never comes back
}

void FiberLoop::SwitchTo(Task& task) {
  running_ = &task;
  t_running_loop = this;
  StartSwitch(&loop_context_->fake_stack, task.stack, stack_bytes_);
  SwitchStack(loop_context_->context, task.context);
  FinishSwitch(loop_context_->fake_stack, nullptr, nullptr);
  t_running_loop = nullptr;
  running_ = nullptr;
}

void FiberLoop::SwitchToLoop() {
  Task& task = *running_;
  LoopContext& back = *loop_context_;
  // A finished task's sanitizer stack goes with it (null instead of a place to keep it).
  StartSwitch(task.finished ? nullptr : &task.fake_stack, back.stack, back.stack_bytes);
  SwitchStack(task.context, back.context);
  FinishSwitch(task.fake_stack, &back.stack, &back.stack_bytes);
}

void FiberLoop::Suspend(int timeout_ms) {
  Task& task = *running_;
  task.wait = ++last_wait_;
  task.revents = 0;
  if (timeout_ms >= 0) {
    AddTimer({NowUs() + static_cast<uint64_t>(timeout_ms) * 1000u, task.wait, &task});
  }
  SwitchToLoop();
}

void FiberLoop::Sleep(uint32_t ms) {
  if (stopping_ || ms == 0) return;
  Suspend(static_cast<int>(std::min<uint32_t>(ms, 0x7FFFFFFF)));
}

short FiberLoop::WaitFd(int fd, short events, int timeout_ms) {
  if (stopping_) return 0;
  Task& task = *running_;
  if (!Arm(task, fd, ToEpoll(events))) {
    // A regular file is always ready; anything else the loop cannot watch is waited for the
    // plain way, holding up this loop's other tasks for as long.
    if (errno == EPERM) return events;
    pollfd entry{fd, events, 0};
    const int r = ::poll(&entry, 1, timeout_ms);
    return r > 0 ? entry.revents : 0;
  }
  task.fd = fd;
  Suspend(timeout_ms);
  return task.revents;
}

bool FiberLoop::Arm(Task& task, int fd, uint32_t events) {
  // One report, then the descriptor stays in the epoll set, disarmed, for the next wait to arm
  // again with one call (closing it takes it out). So a descriptor is armed only while a task
  // waits for it, and its report always finds that task.
  epoll_event event{};
  event.events = events | EPOLLONESHOT;
  event.data.ptr = &task;
  const int epoll = epoll_.get();
  const bool again = fd == task.last_fd;
  if (::epoll_ctl(epoll, again ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, fd, &event) != 0) {
    // Closed and its number taken by another, or added by an earlier task.
    if (errno != (again ? ENOENT : EEXIST)) return false;
    if (::epoll_ctl(epoll, again ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, &event) != 0) return false;
  }
  task.last_fd = fd;
  return true;
}

void FiberLoop::Wake(Task& task, short revents, bool fired) {
  if (task.wait == 0) return;
  task.wait = 0;
  if (task.fd >= 0) {
    // Woken by its time or the stop: the descriptor is still armed, and its report would come
    // to the task in a later wait.
    if (!fired) {
      ::epoll_ctl(epoll_.get(), EPOLL_CTL_DEL, task.fd, nullptr);
      task.last_fd = -1;
    }
    task.fd = -1;
  }
  task.revents = revents;
  ready_.push_back(&task);
}

void FiberLoop::WakeAll() {
  for (const auto& task : tasks_) Wake(*task, 0, false);
}

void FiberLoop::WakeDueTimers() {
  const uint64_t now = NowUs();
  while (!timers_.empty() && timers_.front().due_us <= now) {
    const Timer timer = timers_.front();
    PopTimer();
    if (timer.Current()) Wake(*timer.task, 0, false);
  }
}

int FiberLoop::WaitTimeoutMs() {
  // Timers of waits that ended early are dropped here, so they do not wake the loop for nothing.
  while (!timers_.empty() && !timers_.front().Current()) PopTimer();
  if (timers_.empty()) return -1;
  const uint64_t now = NowUs();
  const uint64_t due = timers_.front().due_us;
  if (due <= now) return 0;
  // Rounded up: a pause never ends before its time.
  return static_cast<int>(std::min<uint64_t>((due - now + 999) / 1000, 0x7FFFFFFF));
}

void FiberLoop::AddTimer(const Timer& timer) {
  // Each task has one wait under way at most, so past twice the tasks (and some slack, to clear
  // out seldom) most timers held are of ended waits: keep only the current ones.
  constexpr size_t kSlack = 1024;
  if (timers_.size() >= 2 * tasks_.size() + kSlack) {
    std::erase_if(timers_, [](const Timer& t) { return !t.Current(); });
    std::make_heap(timers_.begin(), timers_.end(), std::greater<>{});
  }
  timers_.push_back(timer);
  std::push_heap(timers_.begin(), timers_.end(), std::greater<>{});
}

void FiberLoop::PopTimer() {
  std::pop_heap(timers_.begin(), timers_.end(), std::greater<>{});
  timers_.pop_back();
}

void FiberLoop::Finish(Task& task) {
  task.body = nullptr;  // what it holds goes now, not when the task is taken again
  const size_t index = task.index;
  spare_tasks_.push_back(std::move(tasks_[index]));
  if (index + 1 != tasks_.size()) {
    tasks_[index] = std::move(tasks_.back());
    tasks_[index]->index = index;
  }
  tasks_.pop_back();
}

void FiberLoop::Run(const RunOptions& options) {
  std::vector<epoll_event> events(256);
  for (;;) {
    while (!ready_.empty()) {
      Task* task = ready_.front();
      ready_.pop_front();
      SwitchTo(*task);
      if (task->finished) Finish(*task);
    }
    if (tasks_.empty()) return;
    const int timeout = stopping_ ? 0 : WaitTimeoutMs();
    const int n = ::epoll_pwait(epoll_.get(), events.data(), static_cast<int>(events.size()),
                                timeout, options.wait_mask);
    for (int i = 0; i < n; ++i) {
      Wake(*static_cast<Task*>(events[i].data.ptr), ToPoll(events[i].events), true);
    }
    WakeDueTimers();
    if (!stopping_ && options.stop_requested && options.stop_requested()) {
      stopping_ = true;
      WakeAll();
    }
  }
}

}  // namespace platform
