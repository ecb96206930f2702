#include "platform/devices/com_names.h"

#include <optional>

namespace platform {
namespace {

// "COM" and a decimal 1..255, any case, nothing else (no sign, no leading zero, no spaces).
std::optional<int> ComNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 6) return std::nullopt;
  for (int i = 0; i < 3; ++i) {
    if ((name[i] & ~0x20) != "COM"[i]) return std::nullopt;
  }
  if (name[3] == '0') return std::nullopt;
  int number = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    number = number * 10 + (name[i] - '0');
  }
  if (number < 1 || number > 255) return std::nullopt;
  return number;
}

}  // namespace

std::string ResolveComName(const std::string& port_name, bool bluetooth, Registry& registry) {
  if (!port_name.empty() && port_name[0] == '/') return port_name;
  std::string name = port_name;
  if (!name.empty() && name.back() == ':') name.pop_back();
  const std::optional<int> number = ComNumber(name);
  if (!number) return port_name;
  const std::string canonical = "COM" + std::to_string(*number);
  const std::optional<std::string> mapped = ReadString(registry, kPortsKey, canonical);
  if (mapped && !mapped->empty()) return *mapped;
  return (bluetooth ? "/dev/rfcomm" : "/dev/ttyS") + std::to_string(*number - 1);
}

}  // namespace platform
