#include "platform/registry/registry.h"

namespace platform {

std::optional<uint32_t> ReadDword(Registry& registry, const std::string& key,
                                  const std::string& name) {
  const std::optional<RegValue> value = registry.QueryValue(key, name);
  // Anything else (a text, a short or long blob) is a mistyped value and reads as missing, so the
  // caller falls back to its default instead of trusting garbage.
  if (!value || value->type != RegType::kDword || value->data.size() != 4) return std::nullopt;
  const std::vector<uint8_t>& d = value->data;
  return static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 |
         static_cast<uint32_t>(d[2]) << 16 | static_cast<uint32_t>(d[3]) << 24;
}

std::optional<std::string> ReadString(Registry& registry, const std::string& key,
                                      const std::string& name) {
  const std::optional<RegValue> value = registry.QueryValue(key, name);
  if (!value || value->type != RegType::kSz) return std::nullopt;
  const std::vector<uint8_t>& d = value->data;
  size_t length = 0;
  while (length < d.size() && d[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(d.data()), length);
}

RegWrite DwordWrite(const std::string& key, const std::string& name, uint32_t value) {
  RegWrite w{key, name, {}};
  w.value.type = RegType::kDword;
  w.value.data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return w;
}

RegWrite StringWrite(const std::string& key, const std::string& name, const std::string& text) {
  RegWrite w{key, name, {}};
  w.value.type = RegType::kSz;
  w.value.data.assign(text.begin(), text.end());
  w.value.data.push_back(0);
  return w;
}

RegWrite RemoveWrite(const std::string& key, const std::string& name) {
  RegWrite w{key, name, {}};
  w.remove = true;
  return w;
}

bool WriteDword(Registry& registry, const std::string& key, const std::string& name,
                uint32_t value) {
  return registry.SetValue(key, name, DwordWrite(key, name, value).value);
}

bool WriteString(Registry& registry, const std::string& key, const std::string& name,
                 const std::string& text) {
  return registry.SetValue(key, name, StringWrite(key, name, text).value);
}

}  // namespace platform
