#pragma once

// Holding back the signals that end a program (SIGTERM, SIGHUP from a closed terminal, SIGINT,
// SIGQUIT) while work runs that must not be cut short: a settings write between entering and
// leaving the printer's setting mode, a firmware download. A signal that comes meanwhile is
// delivered, as it would have been, when the last hold ends.

namespace platform {

class TerminationHold {
 public:
  TerminationHold();
  ~TerminationHold();
  TerminationHold(const TerminationHold&) = delete;
  TerminationHold& operator=(const TerminationHold&) = delete;
};

}  // namespace platform
