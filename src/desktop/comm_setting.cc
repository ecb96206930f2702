#include "desktop/comm_setting.h"

#include "link/cdev.h"

namespace desktop {
namespace {

int ReadInt(platform::Registry& registry, const char* name) {
  return static_cast<int>(platform::ReadDword(registry, platform::kPellisetKey, name).value_or(0));
}

}  // namespace

std::optional<devlink::LinkSettings> LoadCommSetting(platform::Registry& registry) {
  const std::optional<uint32_t> port_type =
      platform::ReadDword(registry, platform::kPellisetKey, kValuePortType);
  if (!port_type || *port_type >= kInterfaceCount) return std::nullopt;
  devlink::LinkSettings s;
  s.interface = static_cast<int>(*port_type);
  s.port_name =
      platform::ReadString(registry, platform::kPellisetKey, kValuePort).value_or(std::string());
  s.baud_rate = platform::ReadDword(registry, platform::kPellisetKey, kValueBaudrate).value_or(0);
  s.data_bits = ReadInt(registry, kValueDatabit);
  s.parity = ReadInt(registry, kValueParity);
  s.stop_bits = ReadInt(registry, kValueStopbit);
  s.flow_control = ReadInt(registry, kValueFlowcontrol);
  if (s.interface == devlink::CDev::kInterfaceTcp) s.tcp_port = s.baud_rate;
  return s;
}

bool StoreCommSetting(platform::Registry& registry, const devlink::LinkSettings& s) {
  const std::string key = platform::kPellisetKey;
  return registry.SetValues({
      platform::DwordWrite(key, kValuePortType, static_cast<uint32_t>(s.interface)),
      platform::StringWrite(key, kValuePort, s.port_name),
      platform::DwordWrite(key, kValueBaudrate,
                           s.interface == devlink::CDev::kInterfaceTcp ? s.tcp_port : s.baud_rate),
      platform::DwordWrite(key, kValueDatabit, static_cast<uint32_t>(s.data_bits)),
      platform::DwordWrite(key, kValueParity, static_cast<uint32_t>(s.parity)),
      platform::DwordWrite(key, kValueStopbit, static_cast<uint32_t>(s.stop_bits)),
      platform::DwordWrite(key, kValueFlowcontrol, static_cast<uint32_t>(s.flow_control)),
  });
}

}  // namespace desktop
