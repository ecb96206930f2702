#include "platform/system/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/system/unique_fd.h"

namespace platform {
namespace {

// As many links as the system itself follows in one path.
constexpr int kMaxLinkHops = 40;

// The mode open(2) gives a new file (0666 less the umask), read from /proc: umask(2) would change
// the mask for every thread while it looks.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) != 0) continue;
    const unsigned long mask = std::strtoul(line.c_str() + 6, nullptr, 8);
    return static_cast<mode_t>(0666 & ~mask);
  }
  return 0600;  // no /proc to ask: the owner's alone, rather than more open than wished
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAllToFd(int fd, const char* data, size_t length) {
  while (length > 0) {
    const ssize_t n = ::write(fd, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

std::string FileBehindLinks(const std::string& path) {
  // The links are followed one by one, so that one naming a file still to come leads to it.
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) return hop == 0 ? path : current;
    if (S_ISREG(info.st_mode)) return current;
    if (!S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<size_t>(PATH_MAX), '\0');
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return path;
    target.resize(static_cast<size_t>(n));
    current = target.front() == '/' ? target : DirectoryOf(current) + "/" + target;
  }
  return path;  // a loop of links
}

bool WriteFileOrDevice(const std::string& path, std::string_view data, std::string* error) {
  struct stat info {};
  const bool exists = ::stat(path.c_str(), &info) == 0;  // through links
  const std::string target = FileBehindLinks(path);
  // A link to a file still to come makes that file, as open(2) would.
  struct stat link {};
  const bool new_file = !exists && !(::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode));
  std::string ignored;
  if (new_file ||
      (exists && S_ISREG(info.st_mode) && CanCreateFilesIn(DirectoryOf(target), &ignored))) {
    return ReplaceFileAtomically(target, data, error);
  }
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
  if (!fd.valid() || !WriteAllToFd(fd.get(), data.data(), data.size()) ||
      ::close(fd.Release()) != 0) {
    *error = path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

std::string TemporaryFilePrefix(const std::string& path) {
  // A name at the length limit leaves no room for the suffix: the temporary file takes the
  // front of it.
  constexpr size_t kNameMax = 255;
  constexpr std::string_view kSuffix = ".tmp.XXXXXX";
  const size_t slash = path.rfind('/');
  const size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const size_t kept = std::min(path.size() - name_start, kNameMax - kSuffix.size());
  return path.substr(0, name_start + kept) + ".tmp.";
}

bool CanCreateFilesIn(const std::string& dir, std::string* reason) {
  if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) == 0) return true;
  *reason = std::strerror(errno);
  return false;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view text, std::string* error,
                           const WriteStepHook& hook) {
  const auto allowed = [&](WriteStep step) {
    const int injected = hook ? hook(step) : 0;
    if (injected != 0) errno = injected;
    return injected == 0;
  };
  const auto fail = [&](const std::string& where, int code) {
    *error = where + ": " + std::strerror(code);
    return false;
  };
  const std::string dir = DirectoryOf(path);
  std::string temp = TemporaryFilePrefix(path) + "XXXXXX";
  // The folder is at fault, but the user asked for the file.
  const std::string in_folder =
      path + ": cannot create a file in " + (dir == "." ? "the current folder" : dir);
  if (!allowed(WriteStep::kCreateTemp)) return fail(in_folder, errno);
  UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return fail(in_folder, errno);
  struct stat old {};
  ::fchmod(fd.get(), ::stat(path.c_str(), &old) == 0 ? old.st_mode & 07777 : NewFileMode());
  const auto give_up = [&](int code) {
    fd.Reset();
    ::unlink(temp.c_str());
    return fail(path, code);
  };
  if (!allowed(WriteStep::kWriteTemp) || !WriteAllToFd(fd.get(), text.data(), text.size())) {
    return give_up(errno);
  }
  if (!allowed(WriteStep::kSyncTemp) || ::fsync(fd.get()) != 0) return give_up(errno);
  fd.Reset();
  if (!allowed(WriteStep::kRename) || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int code = errno;
    ::unlink(temp.c_str());
    return fail(path, code);
  }
  // Makes the rename itself durable. A failure here cannot be undone and the new content is in
  // place, so it does not count against the write.
  if (allowed(WriteStep::kSyncFolder)) {
    UniqueFd dir_fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir_fd.valid()) ::fsync(dir_fd.get());
  }
  return true;
}

}  // namespace platform
