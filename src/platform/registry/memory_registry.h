#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/registry_tree.h"

namespace platform {

// A hive that lives only in memory, for tests and for programs run without a writable store.
class MemoryRegistry : public Registry {
 public:
  bool KeyExists(const std::string& key) override;
  bool CreateKey(const std::string& key) override;
  std::optional<RegValue> QueryValue(const std::string& key, const std::string& name) override;
  bool SetValue(const std::string& key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;
  bool SetValues(const std::vector<RegWrite>& batch) override;
  std::string LastError() const override { return last_error_; }

  // While set, every operation that would change the hive fails and changes nothing, like a
  // store on a full or read-only disk; LastError then says "memory: <reason>".
  void SetFailWrites(bool fail, std::string reason = "no space left on device") {
    fail_writes_ = fail;
    fail_reason_ = std::move(reason);
  }
  // Updates made so far (a batch counts once).
  int UpdateCount() const { return updates_; }
  const RegistryTree& Tree() const { return tree_; }

 private:
  RegistryTree tree_;
  bool fail_writes_ = false;
  std::string fail_reason_;
  std::string last_error_;
  int updates_ = 0;
  bool Refuse();
};

}  // namespace platform
