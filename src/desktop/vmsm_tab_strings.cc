#include "desktop/vmsm_tab_strings.h"

#include <array>
#include <string>

#include "settings/dialogs/sentinel_dlg.h"
#include "settings/setting_lists.h"
#include "settings/vmsm_strings.h"

namespace desktop::vmsm_tab {
namespace {

namespace sl = settings::setting_lists;

// Rows 0..29 of the code page list take consecutive ids; the rows after them reuse "Reserved".
constexpr int kConsecutiveCodePageRows = 30;

constexpr size_t kStringCount = 68;

struct Table {
  std::array<VmsmTabString, kStringCount> s{};
  size_t filled = 0;
};

constexpr Table MakeStrings() {
  Table table;
  auto& s = table.s;
  size_t& n = table.filled;
  s[n++] = {kStrReceipt, "Receipt"};
  s[n++] = {kStrPrintDensity, sl::kDensityCaption};
  for (int row = 0; row < kConsecutiveCodePageRows; ++row) {
    s[n++] = {kStrFirstCodePage + row, sl::kCodePageRows[static_cast<size_t>(row)]};
  }
  s[n++] = {kStrCodePageVietnamese, sl::kCodePageRows[30]};
  s[n++] = {kStrCodePageKhmer, sl::kCodePageRows[31]};
  s[n++] = {kStrCodePageLatin2, sl::kCodePageRows[36]};
  for (size_t row = 0; row < sl::kMsrTriggerRows.size(); ++row) {
    s[n++] = {kMsrTriggerStringIds[row], sl::kMsrTriggerRows[row]};
  }
  s[n++] = {kStrInvalidHexFormat, "Invalid HEXA Format!!"};
  s[n++] = {kStrSentinelLength, "Sentinel length is over 10 ( length range : 1~10 )"};
  s[n++] = {kStrSentinelByte, settings::kSentinelByteText};
  s[n++] = {kStrParityOdd, sl::kParityRows[1]};
  s[n++] = {kStrParityEven, sl::kParityRows[2]};
  s[n++] = {kStrSpeedFull, sl::kSpeedRows[0]};
  s[n++] = {kStrSpeedHalf, sl::kSpeedRows[1]};
  s[n++] = {kStrInvalidValue, "Invalid value!"};
  s[n++] = {kStrBlackMark, "Black Mark"};
  s[n++] = {kStrOn, "On"};
  s[n++] = {kStrOff, "Off"};
  s[n++] = {kStrDisable, "Disable"};
  s[n++] = {kStrEnable, "Enable"};
  s[n++] = {kStrParityNone, sl::kParityRows[0]};
  s[n++] = {kStrSentinelAscii, "ASCII (ex: \"START(1)\")"};
  s[n++] = {kStrSentinelHex, "HEXA (ex: \"0A 1F 10 4C\")"};
  s[n++] = {kStrVmsmManager, "Virtual Memory Switch Manager"};
  s[n++] = {kStrMode1, "Mode 1"};
  s[n++] = {kStrMode2, "Mode 2"};
  s[n++] = {kStrMode3, "Mode 3"};
  s[n++] = {kStrTab1, "Printer Setting 1"};
  s[n++] = {kStrTab2, "Printer Setting 2"};
  s[n++] = {kStrTab3, "Printer interface"};
  s[n++] = {kStrRestoreDefaultsQuestion, settings::kRestoreDefaultsQuestion};
  s[n++] = {kStrMaxBytes, "Enter no more than %1 bytes."};
  // Insertion sort: the table is small and this keeps it a compile-time constant in id order.
  for (size_t i = 1; i < n; ++i) {
    for (size_t j = i; j > 0 && s[j - 1].id > s[j].id; --j) {
      const VmsmTabString t = s[j];
      s[j] = s[j - 1];
      s[j - 1] = t;
    }
  }
  return table;
}

constexpr Table kTable = MakeStrings();
static_assert(kTable.filled == kStringCount, "every entry of the table is filled");

}  // namespace

int CodePageStringId(int row) {
  if (row < 0 || row >= kCodePageRowCount) return kStrCodePageReserved;
  if (row < kConsecutiveCodePageRows) return kStrFirstCodePage + row;
  if (row == 30) return kStrCodePageVietnamese;
  if (row == 31) return kStrCodePageKhmer;
  if (row == 36) return kStrCodePageLatin2;
  return kStrCodePageReserved;
}

std::span<const VmsmTabString> VmsmTabStrings() { return kTable.s; }

}  // namespace desktop::vmsm_tab

namespace desktop {
void AddVmsmTabStrings(ui::StringTable& table) {
  for (const auto& s : vmsm_tab::VmsmTabStrings()) table.Set(s.id, std::string(s.text));
}
}  // namespace desktop
