#include "platform/memory_registry.h"

namespace platform {

bool MemoryRegistry::KeyExists(const std::string& key) { return tree_.KeyExists(key); }

bool MemoryRegistry::CreateKey(const std::string& key) {
  if (tree_.KeyExists(key)) return true;
  if (fail_writes_) return false;
  tree_.CreateKey(key);
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
  if (fail_writes_) return false;
  tree_.Set(key, name, value);
  return true;
}

bool MemoryRegistry::DeleteValue(const std::string& key, const std::string& name) {
  if (tree_.Find(key, name) == nullptr) return false;
  if (fail_writes_) return false;
  return tree_.Delete(key, name);
}

}  // namespace platform
