#include "settings/setting_lists.h"

namespace settings::setting_lists {

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

size_t BaudrateRowOf(uint32_t baudrate) {
  for (size_t row = 0; row < kBaudRates.size(); ++row) {
    if (kBaudRates[row].value == baudrate) return row;
  }
  return 3;
}

uint32_t ShownBaudrate(uint32_t baudrate) { return kBaudRates[BaudrateRowOf(baudrate)].value; }

size_t DatabitRowOf(uint32_t databit) { return databit == 7 ? 0 : 1; }

MsrTriggerList MsrTriggerListOf(uint8_t open_check) {
  if (open_check == kOpenCheckEncryptionOnly) return MsrTriggerList::kEncryptionOnly;
  if (open_check == kOpenCheckIcCard) return MsrTriggerList::kIcCard;
  return open_check >= kOpenCheckCurrentMsr ? MsrTriggerList::kCurrent : MsrTriggerList::kOlder;
}

std::vector<std::string_view> HandheldMsrTriggerRows(uint8_t open_check) {
  switch (MsrTriggerListOf(open_check)) {
    case MsrTriggerList::kOlder:
      return {kOlderMsrTriggerRows.begin(), kOlderMsrTriggerRows.end()};
    case MsrTriggerList::kCurrent:
      return {kMsrTriggerRows.begin(), kMsrTriggerRows.end()};
    case MsrTriggerList::kEncryptionOnly:
      return {kEncryptionOnlyMsrRow};
    case MsrTriggerList::kIcCard:
      return {kIcCardMsrRow};
  }
  return {};
}

}  // namespace settings::setting_lists
