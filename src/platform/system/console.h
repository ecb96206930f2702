#pragma once

// The program's standard streams as the hosts see them: what kind of file each is, reading
// standard input with a time-out so timers keep running while no input arrives, and holding the
// terminal for the full-screen host (its modes, its size, putting it back on a crash).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

enum class FdKind { kTerminal, kPipe, kRegularFile, kOther, kClosed };

FdKind ClassifyFd(int fd);

enum class WaitResult { kReadable, kTimeout, kError };
// Waits until `fd` has input (or its end) for at most `timeout_ms`; UINT32_MAX waits forever.
WaitResult WaitReadable(int fd, uint32_t timeout_ms);

// One read: bytes read, 0 at the end of input, -1 on an error. Interrupted reads are retried.
long ReadSome(int fd, char* buffer, size_t size);

// Writes all of `data` (short and interrupted writes continued); false on an error.
bool WriteAll(int fd, std::string_view data);

// Makes the character type of the program's locale UTF-8 (the user's own when it is UTF-8,
// else C.UTF-8), so wide-character output works; the other locale categories stay as they are.
void UseUtf8CharacterType();

struct TerminalSize {
  int height = 0;  // rows
  int width = 0;   // columns
};
// The size of the terminal on `fd`; false when it is not a terminal or reports no size.
bool GetTerminalSize(int fd, TerminalSize* size);

// The terminal on standard input and output, held by a full-screen program. While held, size
// changes wake WaitInput. Once armed, a crash or termination signal (and the program's exit
// without a release) writes the restore sequence to standard output and puts the saved terminal
// modes back before the signal takes its usual course. Releasing (the destructor) puts the saved
// modes and the previous signal handlers back; the owner undoes its own drawing state first.
// Only one may be held at a time.
class TerminalHold {
 public:
  // Longest restore sequence kept; the handlers cannot allocate.
  static constexpr size_t kMaxRestoreSequence = 255;

  // Saves the terminal modes and starts watching size changes; nullptr (with `error` set) when
  // the terminal is held already or standard input and output are not both a terminal.
  static std::unique_ptr<TerminalHold> Take(std::string* error);
  ~TerminalHold();
  TerminalHold(const TerminalHold&) = delete;
  TerminalHold& operator=(const TerminalHold&) = delete;

  // Installs the emergency restore: `sequence` (cut to kMaxRestoreSequence bytes) is what puts
  // the terminal's screen back; `at_exit` (may be null) runs at the program's exit, before the
  // sequence is written, while the terminal is still held (not from a signal handler).
  void Arm(std::string_view sequence, void (*at_exit)());

  enum class Input { kReady, kResized, kTimeout, kInterrupted, kError };
  // Waits at most `timeout_ms` (UINT32_MAX: no limit) for input on standard input (its end and a
  // hang-up count as input: the read tells) or a size change, which is reported first. A signal
  // that interrupts the wait ends it early (kInterrupted), so the caller can recount its time.
  Input WaitInput(uint32_t timeout_ms);

 private:
  TerminalHold() = default;
  bool armed_ = false;
};

}  // namespace platform
