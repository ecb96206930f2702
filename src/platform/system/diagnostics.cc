#include "platform/system/diagnostics.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/system/unique_fd.h"

namespace platform {
namespace {

// Where messages go: standard error when empty. The programs are single-threaded.
std::string& LogPath() {
  static std::string path;
  return path;
}

void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0700);  // an existing folder is no error
  }
}

std::string& ProgramName() {
  static std::string name;
  return name;
}

// Messages the log file would not take, kept until it is no longer in use.
std::vector<std::string>& Held() {
  static std::vector<std::string> lines;
  return lines;
}

bool AppendToLog(const std::string& line) {
  MakeFolders(LogPath());
  // O_NONBLOCK: a FIFO in the log's place must not hold the program in open(); only a file is
  // written, the rest is held for standard error.
  UniqueFd fd(::open(LogPath().c_str(),
                     O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  for (size_t done = 0; done < line.size();) {
    const ssize_t n = ::write(fd.get(), line.data() + done, line.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void SetDiagnosticsProgram(std::string name) { ProgramName() = std::move(name); }

void Diagnose(std::string_view text) {
  const std::string line =
      (ProgramName().empty() ? std::string() : ProgramName() + ": ") + std::string(text) + "\n";
  if (LogPath().empty()) {
    std::fputs(line.c_str(), stderr);
  } else if (!AppendToLog(line) && Held().size() < kMaxHeldDiagnostics) {
    Held().push_back(std::string(text));
  }
}

DiagnosticsToFile::DiagnosticsToFile(std::string path) : previous_(LogPath()) {
  LogPath() = std::move(path);
}

DiagnosticsToFile::~DiagnosticsToFile() {
  LogPath() = previous_;
  std::vector<std::string> held;
  held.swap(Held());
  for (const std::string& text : held) Diagnose(text);
}

std::string DefaultLogPath() { return DefaultLogPath(::getenv); }

std::string DefaultLogPath(const GetEnv& getenv) {
  return XdgFolder(getenv, "XDG_STATE_HOME", ".local/state") + "/pelliset.log";
}

}  // namespace platform
