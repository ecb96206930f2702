#pragma once

// Moving a thread from one stack to another, for the tasks of a FiberLoop. On x86-64 a switch
// saves the registers a call must keep on the stack it leaves and takes them from the stack it
// goes to: a few nanoseconds, where swapcontext also sets the signal mask with a system call
// at every switch (a fifth of pelliset's CPU at ten thousand printers). Elsewhere swapcontext
// does it.

#include <cstddef>

#if !defined(__x86_64__)
#include <ucontext.h>
#endif

namespace platform {

// Where code that switched away from a stack goes on when switched back to.
struct StackContext {
#if defined(__x86_64__)
  void* stack_pointer = nullptr;
#else
  ucontext_t context{};
#endif
};

// Readies `context` so that the first switch to it calls `entry` at the top of the stack
// [base, base + bytes). `entry` must never return: it ends by switching away for good. False
// when the system refused.
bool PrepareStack(StackContext& context, void* base, size_t bytes, void (*entry)());

// Saves where the calling code stands in `from` and goes on where `to` stands.
void SwitchStack(StackContext& from, const StackContext& to);

}  // namespace platform
