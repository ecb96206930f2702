#include "platform/registry/file_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/registry/reg_text.h"
#include "platform/system/atomic_file.h"
#include "platform/system/diagnostics.h"
#include "platform/system/unique_fd.h"
#include "platform/system/xdg_folders.h"

namespace platform {

namespace {

struct LoadedFile {
  bool ok = false;  // false: the file exists but could not be read; it must not be replaced
  std::string why;  // with ok false: the reason, for a person
  bool damaged = false;
  RegistryTree tree;
};

// mkdir -p; new folders are private to the user, as configuration folders should be.
bool MakeDirs(const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) errno = ENOTDIR;
    return S_ISDIR(st.st_mode);
  }
  if (dir == "/" || dir == ".") return false;
  if (!MakeDirs(DirectoryOf(dir))) return false;
  if (::mkdir(dir.c_str(), 0700) == 0) return true;
  return errno == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Holds the side lock file's flock for one operation.
class LockGuard {
 public:
  LockGuard(const std::string& lock_path, bool exclusive, Clock& clock, uint32_t wait_ms) {
    fd_.Reset(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    const int create_error = errno;
    // A lock file another user made may still be opened for reading.
    if (!fd_.valid()) fd_.Reset(::open(lock_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd_.valid()) {
      error_ = errno == ENOENT ? create_error : errno;  // a folder we may not write in
      return;
    }
    const uint32_t start = clock.TickCount();
    // Non-blocking attempts with short pauses: a program that hangs while holding the lock must
    // not freeze this one.
    while (true) {
      if (::flock(fd_.get(), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0) {
        locked_ = true;
        return;
      }
      if (errno != EWOULDBLOCK && errno != EINTR) {
        error_ = errno;
        return;
      }
      if (clock.TickCount() - start >= wait_ms) return;
      clock.Sleep(5);
    }
  }
  bool locked() const { return locked_; }
  // Why the lock could not be taken, when not because another program holds it; 0 otherwise.
  int error() const { return error_; }

 private:
  UniqueFd fd_;  // closing it releases the lock
  bool locked_ = false;
  int error_ = 0;
};

// Copies the file byte for byte to the first free "<path>.damaged[.N]"; the copy's name, or
// nullopt when no copy could be made.
std::optional<std::string> KeepDamagedCopy(const std::string& path) {
  UniqueFd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return std::nullopt;
  for (int n = 0; n < 1000; ++n) {
    const std::string name = path + ".damaged" + (n == 0 ? "" : "." + std::to_string(n));
    UniqueFd out(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.valid()) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    char buffer[64 * 1024];
    while (true) {
      const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 || !WriteAllToFd(out.get(), buffer, static_cast<size_t>(got))) {
        ::unlink(name.c_str());
        return std::nullopt;
      }
      if (got == 0) break;
    }
    if (::fsync(out.get()) != 0) {
      ::unlink(name.c_str());
      return std::nullopt;
    }
    return name;
  }
  return std::nullopt;
}

// $XDG_CONFIG_HOME/pelliset, or ~/.config/pelliset when that is unset, empty or relative.
std::string ConfigFolder(const std::function<const char*(const char*)>& getenv) {
  return XdgFolder(getenv, "XDG_CONFIG_HOME", ".config");
}

}  // namespace

FileRegistry::FileRegistry(std::string path) : path_(std::move(path)) {}

std::string FileRegistry::DefaultRegistryPath() { return DefaultRegistryPath(::getenv); }

std::string FileRegistry::DefaultRegistryPath(
    const std::function<const char*(const char*)>& getenv) {
  return ConfigFolder(getenv) + "/registry.reg";
}

std::string FileRegistry::DefaultHandheldRegistryPath() {
  return DefaultHandheldRegistryPath(::getenv);
}

std::string FileRegistry::DefaultHandheldRegistryPath(
    const std::function<const char*(const char*)>& getenv) {
  return ConfigFolder(getenv) + "/handheld.reg";
}

namespace {

// Reads at most the size cap; an over-long file is cut at its last complete line within the cap
// so no value is taken from a truncated line.
LoadedFile LoadFile(const std::string& path) {
  LoadedFile loaded;
  // O_NONBLOCK: a FIFO put in the file's place must not hold the program in open().
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) {
    loaded.ok = (errno == ENOENT);
    loaded.why = std::strerror(errno);
    return loaded;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    loaded.why = std::strerror(errno);
    return loaded;
  }
  if (!S_ISREG(st.st_mode)) {
    loaded.why = S_ISDIR(st.st_mode) ? "a folder, not a file" : "not a regular file";
    return loaded;
  }
  std::string bytes;
  const size_t cap = FileRegistry::kMaxFileBytes;
  bytes.resize(cap + 1);
  size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      loaded.why = std::strerror(errno);
      return loaded;
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  bool over_cap = false;
  if (have > cap) {
    over_cap = true;
    const size_t last_newline = bytes.rfind('\n', cap - 1);
    bytes.resize(last_newline == std::string::npos ? 0 : last_newline + 1);
  }
  RegTextParse parsed = ParseRegText(bytes);
  loaded.ok = true;
  loaded.damaged = parsed.damaged || over_cap;
  loaded.tree = std::move(parsed.tree);
  return loaded;
}

}  // namespace

RegistryTree FileRegistry::ReadTree() {
  // Reads would be consistent even unlocked (files are only ever replaced by rename); the shared
  // lock just keeps them from interleaving with a writer's damaged-copy step.
  LockGuard lock(path_ + ".lock", /*exclusive=*/false, clock_, kReadLockWaitMs);
  LoadedFile loaded = LoadFile(path_);
  read_error_ = loaded.ok ? std::string() : path_ + ": " + loaded.why;
  return std::move(loaded.tree);
}

bool FileRegistry::Fail(const std::string& where, int error) {
  last_error_ = where + ": " + std::strerror(error);
  return false;
}

bool FileRegistry::StepAllowed(WriteStep step) {
  if (!hook_) return true;
  const int error = hook_(step);
  if (error == 0) return true;
  errno = error;
  return false;
}

void FileRegistry::RemoveStaleTemporaryFiles(const std::string& file) {
  // Called under the exclusive lock, which every writer holds while its temporary file exists,
  // so any such file is one a killed writer left behind.
  const std::string prefix = TemporaryFilePrefix(file);
  const std::string name_prefix = prefix.substr(prefix.rfind('/') + 1);  // npos + 1 is 0
  DIR* d = ::opendir(DirectoryOf(file).c_str());
  if (d == nullptr) return;
  while (const dirent* entry = ::readdir(d)) {
    if (std::strncmp(entry->d_name, name_prefix.c_str(), name_prefix.size()) == 0) {
      ::unlinkat(::dirfd(d), entry->d_name, 0);
    }
  }
  ::closedir(d);
}

bool FileRegistry::Modify(const std::function<bool(RegistryTree&, bool* changed)>& change) {
  const std::string dir = DirectoryOf(path_);
  if (!StepAllowed(WriteStep::kCreateFolder) || !MakeDirs(dir)) return Fail(dir, errno);
  LockGuard lock(path_ + ".lock", /*exclusive=*/true, clock_, kLockWaitMs);
  if (!lock.locked()) {
    if (lock.error() != 0) return Fail(path_ + ".lock", lock.error());
    // Said once, when nothing can be tried again: the program may be on its way out.
    last_error_ = path_ + ".lock: another program kept the file locked for " +
                  std::to_string(kLockWaitMs / 1000) + " seconds; nothing was saved";
    return false;
  }
  LoadedFile loaded = LoadFile(path_);
  // Unreadable: replacing it could lose what it holds.
  if (!loaded.ok) {
    last_error_ = path_ + ": " + loaded.why;
    return false;
  }
  bool changed = false;
  if (!change(loaded.tree, &changed)) return false;
  if (!changed) return true;
  // A registry file kept elsewhere behind a link (a synced folder) is replaced where it lies,
  // and its writers' leftovers are beside it there.
  const std::string file = FileBehindLinks(path_);
  RemoveStaleTemporaryFiles(file);
  if (loaded.damaged) {
    const std::optional<std::string> copy = KeepDamagedCopy(path_);
    if (!copy) {
      // Never overwrite what we could not keep.
      last_error_ = path_ + ": damaged, and no copy of it could be kept";
      return false;
    }
    Diagnose("the registry file " + path_ +
             " was damaged; parts of it could not be read. It was kept as " + *copy + ".");
  }
  return ReplaceFileAtomically(file, FormatRegText(loaded.tree), &last_error_, hook_);
}

bool FileRegistry::KeyExists(const std::string& key) { return ReadTree().KeyExists(key); }

bool FileRegistry::CreateKey(const std::string& key) {
  if (!RegTextNameWritable(key)) {
    last_error_ = path_ + ": the key \"" + key + "\" cannot be stored";
    return false;
  }
  return Modify([&](RegistryTree& tree, bool* changed) {
    *changed = tree.CreateKey(key);
    return true;
  });
}

std::optional<RegValue> FileRegistry::QueryValue(const std::string& key, const std::string& name) {
  const RegistryTree tree = ReadTree();
  const RegValue* value = tree.Find(key, name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

bool FileRegistry::SetValue(const std::string& key, const std::string& name,
                            const RegValue& value) {
  // Names with control characters cannot be written as a line of text.
  if (!RegTextNameWritable(key) || !RegTextNameWritable(name)) {
    const bool key_bad = !RegTextNameWritable(key);
    last_error_ =
        path_ + (key_bad ? ": the key \"" + key : ": the name \"" + name) + "\" cannot be stored";
    return false;
  }
  return Modify([&](RegistryTree& tree, bool* changed) {
    *changed = tree.Set(key, name, value);
    return true;
  });
}

bool FileRegistry::SetValues(const std::vector<RegWrite>& batch) {
  for (const RegWrite& w : batch) {
    if (!RegTextNameWritable(w.key) || !RegTextNameWritable(w.name)) {
      last_error_ = path_ + ": the name \"" + w.name + "\" cannot be stored";
      return false;
    }
  }
  return Modify([&](RegistryTree& tree, bool* changed) {
    *changed = tree.Apply(batch);
    return true;
  });
}

bool FileRegistry::DeleteValue(const std::string& key, const std::string& name) {
  return Modify([&](RegistryTree& tree, bool* changed) {
    *changed = tree.Delete(key, name);
    return *changed;
  });
}

}  // namespace platform
