#include "settings/dialogs/port_lists.h"

#include <algorithm>
#include <string>

namespace settings {
namespace {

constexpr int kComPortCount = 49;

}  // namespace

void FillSerialPortLists(ui::ComboBox& port, ui::ComboBox& baud, std::string_view com_suffix,
                         const platform::SerialDevices* devices) {
  port.ResetContent();
  for (int n = 1; n <= kComPortCount; ++n)
    port.AddString("COM" + std::to_string(n) + std::string(com_suffix));
  if (devices != nullptr) {
    for (const std::string& path : devices->List()) port.AddString(path);
  }
  port.SetCurSel(0);
  baud.ResetContent();
  for (uint32_t rate : kBaudRates) baud.AddString(std::to_string(rate));
  baud.SetCurSel(static_cast<int>(kBaudRates.size()) - 1);
}

uint32_t LeadingDecimal(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}
}  // namespace settings
