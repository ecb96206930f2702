#pragma once

#include <csignal>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "platform/system/clock.h"
#include "platform/system/unique_fd.h"
#include "sim/printer_model.h"

namespace sim {

// Serves a PrinterModel on a TCP port the way a network printer does: one connection at a time
// (others wait in the backlog), replies sent when due in real time, each reply piece in its own
// send. Whoever owns the server watches the listener and serves the next client when one waits.
class TcpServer {
 public:
  TcpServer(PrinterModel& model, platform::Clock& clock);

  // Binds and listens. `port` 0 lets the system choose; port() tells which.
  bool Listen(const std::string& bind_address, uint16_t port, std::string* error);
  uint16_t port() const { return port_; }

  // The listening socket (non-blocking), to wait on for a client.
  int listener() const { return listener_.get(); }
  // Takes the client waiting on the listener; invalid, with errno telling why, when none is
  // waiting any more (EAGAIN) or there is no open file for it (EMFILE).
  platform::UniqueFd Accept();
  // Serves `client` until it leaves, the drop fault fires or `stop` becomes non-zero (a signal
  // handler sets it). Runs as a task of a fiber loop whose stop wakes its waits; a quiet client
  // costs no wake-ups. `on_state_change` runs when the printer's stored state has changed: two
  // seconds after a change at the latest (once for all the changes by then), and when the client
  // leaves.
  void ServeClient(platform::UniqueFd client, const volatile std::sig_atomic_t& stop,
                   const std::function<void()>& on_state_change);

  // Milliseconds since the server was made, from the injected clock (its 32-bit tick unwrapped).
  uint64_t NowMs();

  // Firmware download mode: every byte received goes to `sink` and none to the model, which
  // then parses no commands and sends no replies. Set before Serve.
  using RawSink = std::function<void(std::span<const uint8_t>)>;
  void SetRawSink(RawSink sink) { raw_sink_ = std::move(sink); }

 private:
  void Converse(int client, const volatile std::sig_atomic_t& stop,
                const std::function<void()>& on_state_change);
  bool SendAll(int client, const std::vector<uint8_t>& bytes);
  void SaveIfChanged(const std::function<void()>& on_state_change);

  PrinterModel& model_;
  platform::Clock& clock_;
  platform::UniqueFd listener_;
  uint16_t port_ = 0;
  uint32_t last_tick_;
  uint64_t elapsed_ms_ = 0;
  RawSink raw_sink_;
  uint64_t saved_generation_ = 0;        // the state as the last on_state_change saw it
  std::optional<uint64_t> save_due_ms_;  // when an unsaved change is to be saved
};

}  // namespace sim
