#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/registry_tree.h"

namespace platform {

// A hive that lives only in memory, for tests and for programs run without a writable store.
class MemoryRegistry : public Registry {
 public:
  bool KeyExists(const std::string& key) override;
  bool CreateKey(const std::string& key) override;
  std::optional<RegValue> QueryValue(const std::string& key, const std::string& name) override;
  bool SetValue(const std::string& key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;

  // While set, every operation that would change the hive fails and changes nothing, like a
  // store on a full or read-only disk.
  void SetFailWrites(bool fail) { fail_writes_ = fail; }
  const RegistryTree& Tree() const { return tree_; }

 private:
  RegistryTree tree_;
  bool fail_writes_ = false;
};

}  // namespace platform
