#include "platform/system/stack_switch.h"

#include <cstdint>

namespace platform {

#if defined(__x86_64__)

// pelliset_switch_stack(void** save, void* load): pushes the registers the System V ABI has a
// callee keep (rbp, rbx, r12-r15) and the SSE and x87 control words, stores the stack pointer at
// `save`, loads `load` as the stack pointer and pops the same from there; `ret` then returns into
// the code that switched away from that stack (or into a new stack's entry).
extern "C" void pelliset_switch_stack(void** save, void* load);
asm(R"(
  .text
  .globl pelliset_switch_stack
  .type pelliset_switch_stack, @function
pelliset_switch_stack:
  pushq %rbp
  pushq %rbx
  pushq %r12
  pushq %r13
  pushq %r14
  pushq %r15
  subq $8, %rsp
  stmxcsr (%rsp)
  fnstcw 4(%rsp)
  movq %rsp, (%rdi)
  movq %rsi, %rsp
  ldmxcsr (%rsp)
  fldcw 4(%rsp)
  addq $8, %rsp
  popq %r15
  popq %r14
  popq %r13
  popq %r12
  popq %rbx
  popq %rbp
  ret
  .size pelliset_switch_stack, .-pelliset_switch_stack
)");

bool PrepareStack(StackContext& context, void* base, size_t bytes, void (*entry)()) {
  // From the top down: a zero return address for `entry` (so it starts as if called, with the
  // stack 8 bytes off 16), `entry` for the switch's ret, six registers, the control words.
  const uintptr_t top = (reinterpret_cast<uintptr_t>(base) + bytes) & ~uintptr_t{15};
  auto* slot = reinterpret_cast<uint64_t*>(top);
  *--slot = 0;
  *--slot = reinterpret_cast<uint64_t>(entry);
  for (int i = 0; i < 6; ++i) *--slot = 0;
  --slot;
  auto* words = reinterpret_cast<uint32_t*>(slot);
  words[0] = 0x1F80;  // MXCSR at reset: every exception masked, round to nearest
  words[1] = 0x037F;  // x87 control word at reset
  context.stack_pointer = slot;
  return true;
}

void SwitchStack(StackContext& from, const StackContext& to) {
  pelliset_switch_stack(&from.stack_pointer, to.stack_pointer);
}

#else

bool PrepareStack(StackContext& context, void* base, size_t bytes, void (*entry)()) {
  if (::getcontext(&context.context) != 0) return false;
  context.context.uc_stack.ss_sp = base;
  context.context.uc_stack.ss_size = bytes;
  context.context.uc_link = nullptr;
  ::makecontext(&context.context, entry, 0);
  return true;
}

void SwitchStack(StackContext& from, const StackContext& to) {
  ::swapcontext(&from.context, &to.context);
}

#endif

}  // namespace platform
