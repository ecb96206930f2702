#include "sim/fleet.h"

#include <poll.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/system/clock.h"
#include "platform/system/fd_io.h"
#include "platform/system/fiber_loop.h"
#include "platform/system/unique_fd.h"
#include "sim/firmware_capture.h"
#include "sim/nv_folder.h"
#include "sim/state_file.h"
#include "sim/state_writer.h"
#include "sim/tcp_server.h"

namespace sim {
namespace {

constexpr uint16_t kDefaultPort = 9100;

// Open files a fleet needs besides one listener and one client per printer: the standard
// streams, the log, the stop signal, the files being written and a few to spare.
constexpr uint64_t kSpareDescriptors = 32;
// How soon a client that could not be taken (no open file for it) is tried again.
constexpr int kRetryMs = 50;
// A printer waits for its next client for as long as it takes; the stop wakes the wait.
constexpr uint64_t kNoLimitMs = UINT64_MAX;
// Each printer's stack. Its deepest call (a command that writes a PNG image) needs a few tens of
// KiB; the sanitizers' frames are larger.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kPrinterStackBytes = 1024 * 1024;
#else
constexpr size_t kPrinterStackBytes = 128 * 1024;
#endif
// Threads that write the states not yet saved when the fleet stops.
constexpr size_t kStopSavers = 4;

// Each printer holds a listening socket and, while a client is there, a connected one; the usual
// soft limit of 1024 descriptors would stop a large fleet half way. The soft limit goes up to the
// hard one; the limit now in force is returned.
uint64_t RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return UINT64_MAX;
  if (limit.rlim_cur != limit.rlim_max) {
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
  }
  return limit.rlim_cur == RLIM_INFINITY ? UINT64_MAX : static_cast<uint64_t>(limit.rlim_cur);
}

// The signals held back while the printers work, taken while the loop waits (faults stay where
// they happen).
sigset_t AsynchronousSignals() {
  sigset_t set;
  ::sigfillset(&set);
  for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGABRT, SIGSYS}) {
    ::sigdelset(&set, fault);
  }
  return set;
}

// The options that only make sense together, checked before anything is opened.
bool CheckFleetOptions(const FleetOptions& options, std::string* error) {
  auto fail = [&](const std::string& message) {
    *error = message;
    return false;
  };
  if (options.count < 1 || options.count > kMaxFleetSize) {
    return fail("--count must be 1 to " + std::to_string(kMaxFleetSize));
  }
  if (options.fleet && options.first_port.value_or(0) == 0) {
    return fail("--count needs the first port given with --port N (not 0)");
  }
  const uint32_t first = options.first_port.value_or(kDefaultPort);
  if (first + options.count - 1 > 65535) {
    return fail("--port " + std::to_string(first) + " --count " + std::to_string(options.count) +
                " would need ports up to " + std::to_string(first + options.count - 1) +
                "; the last port is 65535");
  }
  if (options.fleet && !options.state_path.empty()) {
    return fail("--state is for a single printer; give a fleet --state-dir DIR");
  }
  if (!options.state_path.empty() && !options.state_dir.empty()) {
    return fail("give --state or --state-dir, not both");
  }
  if (!options.state_dir.empty() && first == 0) {
    return fail("--state-dir names each file by its port: give --port N (not 0)");
  }
  if (options.count > 1 && !options.firmware_path.empty()) {
    return fail("--firmware captures one printer only; it cannot be used with --count " +
                std::to_string(options.count));
  }
  return true;
}

}  // namespace

std::string FleetStatePath(const std::string& state_dir, uint16_t port) {
  return state_dir + "/printer-" + std::to_string(port) + ".state";
}

struct Fleet::Printer {
  Printer(const FleetOptions& options, uint16_t wanted_port)
      : port(wanted_port), model(options.config), server(model, clock) {
    model.faults() = options.faults;
  }

  uint16_t port;
  std::string state_path;
  // The state on disk is the model's at this generation; unset until a file was read or written.
  std::optional<uint64_t> saved_generation;
  platform::RealClock clock;
  PrinterModel model;
  TcpServer server;
  std::optional<NvFolder> nv_folder;
  FirmwareCapture firmware;
};

// A share of the fleet's disk slots for as long as it lives: the savers at the stop run on
// threads of their own.
class Fleet::DiskSlot {
 public:
  explicit DiskSlot(Fleet& fleet) : fleet_(fleet) {
    std::unique_lock lock(fleet_.disk_mutex_);
    fleet_.disk_slot_free_.wait(lock, [this] { return fleet_.disk_slots_ > 0; });
    --fleet_.disk_slots_;
  }
  ~DiskSlot() {
    {
      const std::lock_guard lock(fleet_.disk_mutex_);
      ++fleet_.disk_slots_;
    }
    fleet_.disk_slot_free_.notify_one();
  }
  DiskSlot(const DiskSlot&) = delete;
  DiskSlot& operator=(const DiskSlot&) = delete;

 private:
  Fleet& fleet_;
};

Fleet::Fleet(FleetOptions options, Report report)
    : options_(std::move(options)), report_(std::move(report)) {}

Fleet::~Fleet() {
  printers_.clear();  // their log sinks write to log_
  if (log_owned_ && log_ != nullptr) std::fclose(log_);
}

void Fleet::Say(const std::string& message) {
  const std::lock_guard lock(report_mutex_);
  if (report_) report_(message);
}

// The folders and files a start made that were not there before, removed again (with what was
// written into them) when the start fails after all; on success Keep() lets them stay.
class Fleet::MadeOnDisk {
 public:
  MadeOnDisk() = default;
  MadeOnDisk(const MadeOnDisk&) = delete;
  MadeOnDisk& operator=(const MadeOnDisk&) = delete;
  ~MadeOnDisk() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      std::error_code ec;
      std::filesystem::remove_all(*it, ec);
    }
  }

  // Creates the folder `path` unless it exists.
  bool Folder(const std::string& path, std::string* error) {
    if (::mkdir(path.c_str(), 0755) == 0) {
      made_.push_back(path);
      return true;
    }
    if (errno == EEXIST) return true;
    *error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  // Call before a file at `path` is opened for writing: a file that is new is removed on failure.
  void FileToCome(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) made_.push_back(path);
  }
  void Keep() { made_.clear(); }

 private:
  std::vector<std::string> made_;
};

bool Fleet::Start(std::string* error) {
  if (!CheckFleetOptions(options_, error)) return false;
  if (!CheckDescriptors(error)) return false;
  // Every port first: a port that is taken is the usual reason a start fails, and then nothing
  // may have been written yet (no empty --nv-dir folder, no new log, no emptied firmware file).
  const uint32_t first = options_.first_port.value_or(kDefaultPort);
  for (uint32_t i = 0; i < options_.count; ++i) {
    if (!Listen(static_cast<uint16_t>(first + i), error)) {
      printers_.clear();  // closes every socket opened so far
      return false;
    }
  }
  MadeOnDisk made;
  if (!OpenFiles(made, error)) {
    printers_.clear();
    if (log_owned_) std::fclose(log_);
    log_ = nullptr;
    log_owned_ = false;
    return false;  // `made` removes what this start created
  }
  made.Keep();
  return true;
}

bool Fleet::CheckDescriptors(std::string* error) {
  const uint64_t count = options_.count;
  const uint64_t allowed = RaiseDescriptorLimit();
  const uint64_t wanted = 2 * count + kSpareDescriptors;
  const std::string need = std::to_string(count) +
                           (count == 1 ? " printer needs" : " printers need") + " about " +
                           std::to_string(wanted) +
                           " open files (one to listen on and one for a client each); this system "
                           "allows " +
                           std::to_string(allowed);
  if (allowed < count + kSpareDescriptors + 1) {
    *error = need + ": raise it with ulimit -n";
    return false;
  }
  const uint64_t clients = std::min(count, allowed - count - kSpareDescriptors);
  if (clients < count) {
    Say(need + ", so " + std::to_string(clients) +
        " clients at most are served at once and the others wait until one leaves (raise it "
        "with ulimit -n)");
  }
  client_budget_ = clients;
  return true;
}

bool Fleet::Listen(uint16_t port, std::string* error) {
  auto printer = std::make_unique<Printer>(options_, port);
  Printer& p = *printer;
  if (!options_.state_path.empty()) p.state_path = options_.state_path;
  if (!options_.state_dir.empty()) p.state_path = FleetStatePath(options_.state_dir, p.port);
  if (!p.state_path.empty()) {
    struct stat info {};
    // A damaged file is kept as it is (never overwritten) and the printer does not start.
    if (::stat(p.state_path.c_str(), &info) == 0) {
      if (!LoadState(p.model, p.state_path, error)) return false;
      p.saved_generation = p.model.state_generation();
    }
  }
  if (!p.server.Listen(options_.bind_address, p.port, error)) return false;

  p.port = p.server.port();
  printers_.push_back(std::move(printer));
  return true;
}

bool Fleet::OpenFiles(MadeOnDisk& made, std::string* error) {
  if (!options_.state_dir.empty() && !made.Folder(options_.state_dir, error)) return false;
  if (!options_.nv_dir.empty() && !made.Folder(options_.nv_dir, error)) return false;
  if (!options_.log_path.empty()) {
    if (options_.log_path == "-") {
      log_ = stdout;
    } else {
      made.FileToCome(options_.log_path);
      log_ = std::fopen(options_.log_path.c_str(), "a");
      if (log_ == nullptr) {
        *error = "cannot open log " + options_.log_path + ": " + std::strerror(errno);
        return false;
      }
      log_owned_ = true;
    }
  }
  for (auto& printer : printers_) {
    if (!OpenFiles(*printer, made, error)) return false;
  }
  return true;
}

bool Fleet::OpenFiles(Printer& p, MadeOnDisk& made, std::string* error) {
  if (!options_.nv_dir.empty()) {
    std::string folder = options_.nv_dir;
    if (options_.fleet) {
      folder += "/" + std::to_string(p.port);
      if (!made.Folder(folder, error)) return false;
    }
    p.nv_folder.emplace(folder);
    auto show = [this, &p](const NvEvent& event) {
      const DiskSlot slot(*this);
      std::string nv_error;
      // A file that cannot be written is reported; the printer keeps serving.
      if (!p.nv_folder->OnEvent(event, &nv_error)) Say(nv_error);
    };
    // The images a saved state brought along are shown from the start.
    for (const auto& [key, image] : p.model.state().nv_images) {
      show({NvEvent::Kind::kDefined, key, &image});
    }
    p.model.SetNvSink(show);
  }

  if (!options_.firmware_path.empty()) {
    made.FileToCome(options_.firmware_path);
    if (!p.firmware.Open(options_.firmware_path, error)) return false;
    p.server.SetRawSink([this, &p](std::span<const uint8_t> bytes) {
      // A failed write is reported once, and ends the run with a failure; the printer keeps
      // taking bytes as a real one would.
      const bool failed_before = p.firmware.failed();
      std::string write_error;
      if (!p.firmware.Append(bytes, &write_error) && !failed_before) {
        Say(write_error + "; the rest of the firmware is not kept");
      }
      p.model.Note("firmware: " + std::to_string(bytes.size()) + " bytes, " +
                   std::to_string(p.firmware.total()) + " in all");
    });
  }

  if (log_ != nullptr) {
    // Printers of a fleet share the file; the port at the start of each line tells them apart.
    const std::string prefix = options_.fleet ? std::to_string(p.port) + " " : "";
    p.model.SetLogSink([this, prefix](uint64_t now_ms, std::string_view line) {
      const std::lock_guard lock(log_mutex_);
      std::fprintf(log_, "%s[%6llu.%03llu] %.*s\n", prefix.c_str(),
                   static_cast<unsigned long long>(now_ms / 1000),
                   static_cast<unsigned long long>(now_ms % 1000), static_cast<int>(line.size()),
                   line.data());
      std::fflush(log_);
    });
  }
  return true;
}

std::vector<uint16_t> Fleet::Ports() const {
  std::vector<uint16_t> ports;
  for (const auto& printer : printers_) ports.push_back(printer->port);
  return ports;
}

bool Fleet::Save(Printer& printer) {
  if (printer.state_path.empty()) return true;
  const uint64_t generation = printer.model.state_generation();
  if (state_writer_) {
    // The writer reports a failed write; the stop writes that state once more.
    state_writer_->Queue(printer.state_path, StateToText(printer.model.state()));
    printer.saved_generation = generation;
    return true;
  }
  const DiskSlot slot(*this);
  std::string error;
  if (SaveState(printer.model, printer.state_path, &error)) {
    printer.saved_generation = generation;
    return true;
  }
  Say(error);
  return false;
}

bool Fleet::SaveIfChanged(Printer& printer) {
  if (printer.saved_generation == printer.model.state_generation()) return true;
  return Save(printer);
}

bool Fleet::SaveAll() {
  std::atomic<bool> ok = true;
  std::atomic<size_t> next = 0;
  auto saver = [&] {
    for (size_t i = next++; i < printers_.size(); i = next++) {
      if (!SaveIfChanged(*printers_[i])) ok = false;
    }
  };
  // A few at once: ten thousand new files take a while one after the other.
  std::vector<std::thread> savers;
  for (size_t i = 1; i < kStopSavers && i < printers_.size(); ++i) {
    try {
      savers.emplace_back(saver);
    } catch (const std::system_error&) {
      break;  // the others do it all
    }
  }
  saver();
  for (auto& thread : savers) thread.join();
  return ok;
}

// A printer serves one client at a time; the next one waits in the backlog meanwhile.
void Fleet::ServePort(Printer& p, const volatile std::sig_atomic_t& stop) {
  while (!stop) {
    const int ready = platform::WaitForFd(p.server.listener(), POLLIN, p.clock, kNoLimitMs);
    if (ready == 0) continue;  // the stop woke the wait
    // A listener in error, or no open file left for a client: the client waits in the backlog.
    if (ready < 0 || client_budget_ == 0) {
      p.clock.Sleep(kRetryMs);
      continue;
    }
    --client_budget_;
    ServeClient(p, stop);
    ++client_budget_;
  }
}

void Fleet::ServeClient(Printer& p, const volatile std::sig_atomic_t& stop) {
  for (;;) {
    platform::UniqueFd client = p.server.Accept();
    if (client.valid()) {
      p.server.ServeClient(std::move(client), stop, [this, &p] { Save(p); });
      return;
    }
    // Out of open files: the client stays queued; anything else (it left already) ends the turn.
    if (stop || (errno != EMFILE && errno != ENFILE && errno != ENOBUFS && errno != ENOMEM)) {
      return;
    }
    p.clock.Sleep(kRetryMs);
  }
}

bool Fleet::Serve(const volatile std::sig_atomic_t& stop) {
  // Signals are taken only while the loop waits: one that comes while a printer works cuts the
  // next wait short, and the loop then wakes every printer to see the stop. Before the tasks are
  // made (see FiberLoop::Run).
  const sigset_t blocked = AsynchronousSignals();
  sigset_t unblocked;
  ::pthread_sigmask(SIG_BLOCK, &blocked, &unblocked);
  platform::FiberLoop loop(kPrinterStackBytes);
  bool serving = true;
  for (auto& printer : printers_) {
    std::string error;
    if (!loop.Spawn([this, &p = *printer, &stop] { ServePort(p, stop); }, &error)) {
      Say("cannot serve the printer on port " + std::to_string(printer->port) + ": " + error);
      serving = false;
      break;
    }
  }
  try {
    state_writer_ = std::make_unique<StateWriter>(
        [this](const std::string& path, const std::string& text, std::string* error) {
          const DiskSlot slot(*this);
          return WriteStateText(text, path, error);
        },
        [this](const std::string& message) { Say(message); });
  } catch (const std::system_error&) {
    // No thread for it: the states are written by the loop, which then waits for the disk.
  }
  if (serving) {
    platform::FiberLoop::RunOptions run;
    run.wait_mask = &unblocked;
    run.stop_requested = [&stop] { return stop != 0; };
    loop.Run(run);
  }
  ::pthread_sigmask(SIG_SETMASK, &unblocked, nullptr);
  if (state_writer_) {
    // A state whose last write failed is tried once more with the rest.
    for (const std::string& path : state_writer_->Drain()) {
      for (auto& printer : printers_) {
        if (printer->state_path == path) printer->saved_generation.reset();
      }
    }
    state_writer_.reset();
  }
  const bool saved = SaveAll();
  bool firmware_kept = true;
  for (const auto& printer : printers_)
    firmware_kept = firmware_kept && !printer->firmware.failed();
  return serving && saved && firmware_kept;
}

}  // namespace sim
