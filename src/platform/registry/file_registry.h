#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_tree.h"
#include "platform/system/atomic_file.h"
#include "platform/system/clock.h"

namespace platform {

// HKEY_LOCAL_MACHINE kept in one text file (see reg_text.h for the format).
//
// Every operation re-reads the file under a lock on the side file "<path>.lock", so two programs,
// or two objects in one program, never lose each other's values. A write replaces the file
// atomically (temporary file in the same folder, fsync, rename, fsync of the folder), so a crash
// leaves either the old or the new file; a temporary file left by a writer that was killed is
// removed by the next write. A file that cannot be parsed in full reads as "values
// missing" for what cannot be parsed; before the first write over it, it is copied byte for byte
// to "<path>.damaged" (or "<path>.damaged.N") and standard error says so once.
class FileRegistry : public Registry {
 public:
  // The steps of replacing the file (platform/system/atomic_file.h), and a hook that can fail them.
  using WriteStep = platform::WriteStep;
  using StepHook = WriteStepHook;

  // A file larger than this is not read past it (and counts as damaged).
  static constexpr size_t kMaxFileBytes = 4u << 20;
  // How long an operation waits for another program to release the lock before giving up.
  static constexpr uint32_t kLockWaitMs = 5000;
  // Reads wait for a writer only briefly: a lock another program keeps is not waited out at
  // every read (a dialog reads several values as it opens).
  static constexpr uint32_t kReadLockWaitMs = 250;

  explicit FileRegistry(std::string path);

  // $XDG_CONFIG_HOME/pelliset/registry.reg, or ~/.config/pelliset/registry.reg when that is
  // unset, empty or relative.
  static std::string DefaultRegistryPath();
  static std::string DefaultRegistryPath(const std::function<const char*(const char*)>& getenv);
  // handheld.reg in the same folder: pdautil's own store. Its values have the desktop's names
  // but not all the same meanings (uPortType 2 is USB on the desktop and TCP/IP on the
  // handheld), so the two programs must not share one file on the same machine.
  static std::string DefaultHandheldRegistryPath();
  static std::string DefaultHandheldRegistryPath(
      const std::function<const char*(const char*)>& getenv);

  bool KeyExists(const std::string& key) override;
  bool CreateKey(const std::string& key) override;
  std::optional<RegValue> QueryValue(const std::string& key, const std::string& name) override;
  bool SetValue(const std::string& key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;
  // All values in one replacement of the file: one temporary file, one fsync, one rename.
  bool SetValues(const std::vector<RegWrite>& batch) override;
  std::string LastError() const override { return last_error_; }
  std::string ReadError() const override { return read_error_; }

  const std::string& path() const { return path_; }
  void SetStepHook(StepHook hook) { hook_ = std::move(hook); }

 private:
  // Reads the file under a shared lock; a missing or unreadable file is an empty hive.
  RegistryTree ReadTree();
  // Runs `change` on the current content under the exclusive lock and saves the result if it
  // changed something. False when the lock, the read or the save fails, or `change` says so.
  bool Modify(const std::function<bool(RegistryTree&, bool* changed)>& change);
  // Runs the hook for `step`: false, with errno set, when it asks the step to fail.
  bool StepAllowed(WriteStep step);
  bool Fail(const std::string& where, int error);
  // Removes the temporary files of writes to `file` that a killed writer left.
  void RemoveStaleTemporaryFiles(const std::string& file);

  std::string path_;
  std::string last_error_;
  std::string read_error_;
  StepHook hook_;
  RealClock clock_;  // the lock wait is real time: it guards against another program
};

}  // namespace platform
