#include "platform/registry/memory_registry.h"

namespace platform {

bool MemoryRegistry::KeyExists(const std::string& key) { return tree_.KeyExists(key); }

bool MemoryRegistry::Refuse() {
  if (!fail_writes_) return false;
  last_error_ = "memory: " + fail_reason_;
  return true;
}

bool MemoryRegistry::CreateKey(const std::string& key) {
  if (tree_.KeyExists(key)) return true;
  if (Refuse()) return false;
  tree_.CreateKey(key);
  ++updates_;
  return true;
}

std::optional<RegValue> MemoryRegistry::QueryValue(const std::string& key,
                                                   const std::string& name) {
  const RegValue* value = tree_.Find(key, name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

bool MemoryRegistry::SetValue(const std::string& key, const std::string& name,
                              const RegValue& value) {
  if (Refuse()) return false;
  tree_.Set(key, name, value);
  ++updates_;
  return true;
}

bool MemoryRegistry::SetValues(const std::vector<RegWrite>& batch) {
  if (Refuse()) return false;
  tree_.Apply(batch);
  ++updates_;
  return true;
}

bool MemoryRegistry::DeleteValue(const std::string& key, const std::string& name) {
  if (tree_.Find(key, name) == nullptr) return false;
  if (Refuse()) return false;
  ++updates_;
  return tree_.Delete(key, name);
}

}  // namespace platform
