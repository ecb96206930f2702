#include "settings/setting_lists.h"

namespace setting_lists {

std::optional<size_t> DensityRowOf(uint32_t density) {
  for (size_t row = 0; row < kDensityRows.size(); ++row) {
    if (kDensityRows[row].value == density) return row;
  }
  return std::nullopt;
}

std::optional<uint32_t> DensityOfRow(size_t row) {
  if (row >= kDensityRows.size()) return std::nullopt;
  return kDensityRows[row].value;
}

uint32_t DensityPercent(uint32_t density) {
  const std::optional<size_t> row = DensityRowOf(density);
  return row ? kDensityRows[*row].percent : 0;
}

uint32_t FlowcontrolOfRow(size_t row) { return row == 0 ? 1 : 2; }

size_t FlowcontrolRowOf(uint32_t flowcontrol) { return flowcontrol == 1 ? 0 : 1; }

}  // namespace setting_lists
