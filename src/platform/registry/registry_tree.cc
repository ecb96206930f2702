#include "platform/registry/registry_tree.h"

#include "platform/system/ascii_case.h"

// Key and value names compare without ASCII case (they are ASCII in practice); every other
// byte, UTF-8 included, compares exactly.

namespace platform {

std::string RegistryTree::Normalise(const std::string& key) {
  std::string out;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out.append(key, start, end - start);
    }
    start = end + 1;
  }
  return out;
}

bool RegistryTree::KeyExists(const std::string& key) const {
  const std::string path = Normalise(key);
  // The hive root always exists.
  return path.empty() || keys_.count(AsciiLower(path)) != 0;
}

RegistryTree::Key& RegistryTree::KeyFor(const std::string& normalised) {
  auto [it, added] = keys_.try_emplace(AsciiLower(normalised));
  if (added) it->second.path = normalised;
  return it->second;
}

bool RegistryTree::CreateKey(const std::string& key) {
  const std::string path = Normalise(key);
  bool added = false;
  size_t end = 0;
  while (!path.empty()) {
    end = path.find('\\', end);
    const std::string prefix = path.substr(0, end);
    if (keys_.count(AsciiLower(prefix)) == 0) {
      KeyFor(prefix);
      added = true;
    }
    if (end == std::string::npos) break;
    ++end;
  }
  return added;
}

const RegValue* RegistryTree::Find(const std::string& key, const std::string& name) const {
  const auto it = keys_.find(AsciiLower(Normalise(key)));
  if (it == keys_.end()) return nullptr;
  const Key& k = it->second;
  const auto at = k.positions.find(AsciiLower(name));
  return at == k.positions.end() ? nullptr : &k.values[at->second].value;
}

bool RegistryTree::Set(const std::string& key, const std::string& name, const RegValue& value) {
  const std::string path = Normalise(key);
  bool changed = CreateKey(path);
  if (path.empty()) changed |= keys_.count("") == 0;
  Key& k = KeyFor(path);
  const auto [at, added] = k.positions.try_emplace(AsciiLower(name), k.values.size());
  if (added) {
    k.values.push_back({name, value});
    return true;
  }
  RegValue& stored =
      k.values[at->second].value;  // the name keeps the case it was first written with
  if (stored == value) return changed;
  stored = value;
  return true;
}

bool RegistryTree::Delete(const std::string& key, const std::string& name) {
  const auto it = keys_.find(AsciiLower(Normalise(key)));
  if (it == keys_.end()) return false;
  Key& k = it->second;
  const auto at = k.positions.find(AsciiLower(name));
  if (at == k.positions.end()) return false;
  const size_t gone = at->second;
  k.positions.erase(at);
  k.values.erase(k.values.begin() + static_cast<std::ptrdiff_t>(gone));
  for (auto& [folded, position] : k.positions) {
    if (position > gone) --position;
  }
  return true;
}

bool RegistryTree::Apply(const std::vector<RegWrite>& batch) {
  bool changed = false;
  for (const RegWrite& w : batch) {
    const bool one = w.remove ? Delete(w.key, w.name) : Set(w.key, w.name, w.value);
    changed = one || changed;
  }
  return changed;
}

std::vector<const RegistryTree::Key*> RegistryTree::Keys() const {
  // A parent's folded path is a prefix of its children's, so map order puts it first.
  std::vector<const Key*> out;
  out.reserve(keys_.size());
  for (const auto& [folded, key] : keys_) out.push_back(&key);
  return out;
}

bool RegistryTree::operator==(const RegistryTree& other) const {
  if (keys_.size() != other.keys_.size()) return false;
  for (const auto& [folded, key] : keys_) {
    const auto it = other.keys_.find(folded);
    if (it == other.keys_.end() || it->second.values.size() != key.values.size()) return false;
    for (const NamedValue& v : key.values) {
      const RegValue* o = other.Find(key.path, v.name);
      if (o == nullptr || !(*o == v.value)) return false;
    }
  }
  return true;
}

}  // namespace platform
