#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace sim {

// Stack size for a thread that serves one printer's client. Its deepest call (a command that
// writes a PNG image) needs a few tens of KiB; ten thousand threads with the system's default
// of 8 MiB each would reserve 80 GB of address space. Sanitizer builds have larger frames.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr size_t kClientStackBytes = 1024 * 1024;
#else
inline constexpr size_t kClientStackBytes = 128 * 1024;
#endif

// Runs `body` on a new detached thread with a stack of `stack_bytes` (at least the system's
// minimum). False with the reason when the thread could not be made.
bool StartDetachedThread(std::function<void()> body, size_t stack_bytes, std::string* error);

}  // namespace sim
