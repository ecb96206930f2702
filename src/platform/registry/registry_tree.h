#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry/registry.h"

namespace platform {

// The content of a hive in memory: keys and their values, looked up without regard to case while
// keeping the case they were first written with. Both registry stores build on it.
class RegistryTree {
 public:
  struct NamedValue {
    std::string name;
    RegValue value;
  };
  struct Key {
    std::string path;  // normalised: components joined by single backslashes, as first written
    std::vector<NamedValue> values;  // in the order they were first set
    // Where each value stands in `values`, by its case-folded name; the tree keeps it in step.
    std::unordered_map<std::string, size_t> positions;
  };

  // Drops empty components, so "\\Software\\\\Korvane\\" names "Software\\Korvane". The empty
  // path is the hive root.
  static std::string Normalise(const std::string& key);

  bool KeyExists(const std::string& key) const;
  // Creates the key and every parent; true when something was added.
  bool CreateKey(const std::string& key);
  const RegValue* Find(const std::string& key, const std::string& name) const;
  // True when the stored content changed.
  bool Set(const std::string& key, const std::string& name, const RegValue& value);
  bool Delete(const std::string& key, const std::string& name);
  // Sets or removes the batch's values in its order. True when the stored content changed.
  bool Apply(const std::vector<RegWrite>& batch);

  // Every key, parents before their children.
  std::vector<const Key*> Keys() const;
  bool operator==(const RegistryTree& other) const;

 private:
  Key& KeyFor(const std::string& normalised);
  std::map<std::string, Key> keys_;  // by lower-case normalised path
};

}  // namespace platform
