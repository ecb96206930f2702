#include "platform/system/termination_hold.h"

#include <signal.h>

namespace platform {
namespace {

constexpr int kHeldSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kHeldCount = sizeof kHeldSignals / sizeof kHeldSignals[0];

// The holds are made and ended on the program's main thread; the handler only notes the signal.
int g_depth = 0;
volatile sig_atomic_t g_pending = 0;
struct sigaction g_previous[kHeldCount] = {};

extern "C" void NoteHeldSignal(int sig) { g_pending = sig; }

}  // namespace

TerminationHold::TerminationHold() {
  if (g_depth++ > 0) return;
  g_pending = 0;
  struct sigaction note {};
  note.sa_handler = NoteHeldSignal;
  sigemptyset(&note.sa_mask);
  note.sa_flags = SA_RESTART;  // reads and writes under way carry on
  for (int i = 0; i < kHeldCount; ++i) sigaction(kHeldSignals[i], &note, &g_previous[i]);
}

TerminationHold::~TerminationHold() {
  if (--g_depth > 0) return;
  for (int i = 0; i < kHeldCount; ++i) sigaction(kHeldSignals[i], &g_previous[i], nullptr);
  if (const int sig = g_pending; sig != 0) {
    g_pending = 0;
    raise(sig);  // to the handler or default action that was there before
  }
}

}  // namespace platform
