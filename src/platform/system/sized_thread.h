#pragma once

// A thread with a stack of a chosen size. A fleet of printers runs one thread per printer, and
// thousands of threads with the system's default stacks (8 MiB each) would reserve more address
// space and memory maps than the work on them needs.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class SizedThread {
 public:
  // Runs `body` on a new thread whose stack holds `stack_bytes` (rounded up to what the system
  // accepts). Null with `error` when the system refused the thread (its limit of threads, of
  // memory maps, or of memory); `body` has then not run.
  static std::unique_ptr<SizedThread> Start(size_t stack_bytes, std::function<void()> body,
                                            std::string* error);
  // Waits for the body to return.
  ~SizedThread();
  SizedThread(const SizedThread&) = delete;
  SizedThread& operator=(const SizedThread&) = delete;

 private:
  struct State;
  explicit SizedThread(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace platform
