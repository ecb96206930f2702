#include "sim/fleet.h"

#include <sys/resource.h>
#include <sys/stat.h>

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
#include "sim/firmware_capture.h"
#include "sim/nv_folder.h"
#include "sim/state_file.h"
#include "sim/tcp_server.h"

namespace sim {
namespace {

constexpr uint16_t kDefaultPort = 9100;

// Each printer holds a listening socket and, while a client is there, a connected one; the usual
// soft limit of 1024 descriptors would stop a large fleet half way.
void RaiseDescriptorLimit(uint32_t count) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  const rlim_t wanted = 2 * static_cast<rlim_t>(count) + 64;
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
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
  platform::RealClock clock;
  PrinterModel model;
  TcpServer server;
  std::optional<NvFolder> nv_folder;
  FirmwareCapture firmware;
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
  RaiseDescriptorLimit(options_.count);
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

bool Fleet::Listen(uint16_t port, std::string* error) {
  auto printer = std::make_unique<Printer>(options_, port);
  Printer& p = *printer;
  if (!options_.state_path.empty()) p.state_path = options_.state_path;
  if (!options_.state_dir.empty()) p.state_path = FleetStatePath(options_.state_dir, p.port);
  if (!p.state_path.empty()) {
    struct stat info {};
    // A damaged file is kept as it is (never overwritten) and the printer does not start.
    if (::stat(p.state_path.c_str(), &info) == 0 && !LoadState(p.model, p.state_path, error)) {
      return false;
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
      std::string write_error;
      // A failed write is reported; the printer keeps taking bytes as a real one would.
      if (!p.firmware.Append(bytes, &write_error)) Say(write_error);
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
  std::string error;
  if (SaveState(printer.model, printer.state_path, &error)) return true;
  Say(error);
  return false;
}

bool Fleet::Serve(volatile std::sig_atomic_t& stop) {
  bool ok = true;
  std::vector<std::thread> threads;
  threads.reserve(printers_.size());
  for (auto& printer : printers_) {
    Printer& p = *printer;
    try {
      threads.emplace_back([this, &p, &stop] { p.server.Serve(stop, [this, &p] { Save(p); }); });
    } catch (const std::system_error& e) {
      // Out of threads: a fleet with silent printers in it would mislead, so all of it stops.
      Say("cannot start the printer on port " + std::to_string(p.port) + ": " + e.what());
      stop = 1;
      ok = false;
      break;
    }
  }
  for (auto& thread : threads) thread.join();
  for (auto& printer : printers_) {
    if (!Save(*printer)) ok = false;
  }
  return ok;
}

}  // namespace sim
