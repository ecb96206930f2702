#pragma once

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/unique_fd.h"
#include "sim/printer_model.h"
#include "sim/state_writer.h"

namespace sim {

// What printer-sim's command line asks for: `count` printers on ports first_port... of
// bind_address, every one with the same settings and faults but a state of its own.
struct FleetOptions {
  PrinterConfig config;
  Faults faults;
  std::string bind_address = "127.0.0.1";
  // Unset: 9100 for a single printer. A fleet needs it given and not 0 (the system's choice).
  std::optional<uint16_t> first_port;
  uint32_t count = 1;
  // Asked for with --count: log lines carry the port and each printer gets NV folder DIR/PORT/,
  // even in a fleet of one, so a script sees the same layout whatever the size.
  bool fleet = false;
  std::string state_path;     // single printer only
  std::string state_dir;      // DIR/printer-PORT.state for each printer
  std::string log_path;       // one file for all ("-" = standard output)
  std::string nv_dir;         // fleet: DIR/PORT/ for each printer
  std::string firmware_path;  // single printer only
};

inline constexpr uint32_t kMaxFleetSize = 10000;

// The state file of the printer on `port` in a --state-dir folder.
std::string FleetStatePath(const std::string& state_dir, uint16_t port);

// Many virtual printers in one process, on one thread: each printer is a task of a fiber loop
// (platform::FiberLoop) that waits for a client on its port and serves it, so the printers all
// answer in real time at once, and an idle fleet of ten thousand waits in one epoll.
class Fleet {
 public:
  // Told about problems while serving (an image or state that could not be written), one call at
  // a time.
  using Report = std::function<void(const std::string& message)>;

  Fleet(FleetOptions options, Report report);
  ~Fleet();
  Fleet(const Fleet&) = delete;
  Fleet& operator=(const Fleet&) = delete;

  // Readies every printer: raises the open-files limit as far as allowed, loads its state, listens
  // on its port, then makes its folders and opens the files. False with a message naming the port
  // or file when any of that fails, or when the open-files limit leaves no room for the listeners;
  // nothing is then left listening, and the folders and files this start made are removed again.
  // A damaged state file is kept as it is.
  bool Start(std::string* error);
  // The listening ports in order (after Start).
  std::vector<uint16_t> Ports() const;
  // Serves until `stop` becomes non-zero (a signal handler sets it), then saves every state not
  // saved yet. False when a state could not be saved or a printer could not be served
  // (reported).
  bool Serve(const volatile std::sig_atomic_t& stop);

 private:
  struct Printer;
  class MadeOnDisk;
  class DiskSlot;
  bool Listen(uint16_t port, std::string* error);
  bool OpenFiles(MadeOnDisk& made, std::string* error);
  bool OpenFiles(Printer& printer, MadeOnDisk& made, std::string* error);
  bool CheckDescriptors(std::string* error);
  void ServePort(Printer& printer, const volatile std::sig_atomic_t& stop);
  void ServeClient(Printer& printer, const volatile std::sig_atomic_t& stop);
  bool Save(Printer& printer);
  bool SaveIfChanged(Printer& printer);
  bool SaveAll();
  void Say(const std::string& message);

  FleetOptions options_;
  Report report_;
  std::mutex report_mutex_;
  std::FILE* log_ = nullptr;
  bool log_owned_ = false;
  std::mutex log_mutex_;
  std::vector<std::unique_ptr<Printer>> printers_;
  // Writes the states while the printers are served (null before and after, or when the system
  // gave no thread for it).
  std::unique_ptr<StateWriter> state_writer_;
  // Clients that may be served at once: each holds an open file beside its printer's listener.
  uint64_t client_budget_ = 0;
  // Files being written at once (states, PNG images), so they never take the descriptors the
  // clients' budget leaves. One: printers writing into one folder side by side spend their time
  // spinning on the folder's lock in the kernel, not writing.
  std::mutex disk_mutex_;
  std::condition_variable disk_slot_free_;
  int disk_slots_ = 1;
};

}  // namespace sim
