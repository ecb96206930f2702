#include "settings/setting_lists.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace settings::setting_lists;

TEST(SettingListsTest, DensityBothWays) {
  // Row, record value, percentage: the list runs from 150% down to 80%.
  const struct {
    size_t row;
    uint32_t value;
    uint32_t percent;
    const char* text;
  } rows[] = {
      {0, 3, 150, "print density 150%"}, {1, 5, 140, "print density 140%"},
      {2, 0, 130, "print density 130%"}, {3, 1, 120, "print density 120%"},
      {4, 2, 110, "print density 110%"}, {5, 4, 100, "print density 100%"},
      {6, 6, 90, "print density  90%"},  {7, 7, 80, "print density  80%"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(DensityRowOf(r.value), r.row) << r.value;
    EXPECT_EQ(DensityOfRow(r.row), r.value) << r.row;
    EXPECT_EQ(DensityPercent(r.value), r.percent) << r.value;
    EXPECT_EQ(std::string(kDensityCaption) + std::string(kDensityRows[r.row].suffix), r.text);
  }
  EXPECT_FALSE(DensityRowOf(8).has_value());
  EXPECT_FALSE(DensityOfRow(8).has_value());
  EXPECT_EQ(DensityPercent(99), 0u);
}

TEST(SettingListsTest, CodePageList) {
  EXPECT_EQ(kCodePageRows.size(), 37u);
  EXPECT_EQ(kCodePageRows[0], "PC437 - USA, Standard Europe");
  EXPECT_EQ(kCodePageRows[6], "WPC1252 - Latin I");
  EXPECT_EQ(kCodePageRows[21], "Reserved");
  EXPECT_EQ(kCodePageRows[29], "WPC1256 - Arabic");
  EXPECT_EQ(kCodePageRows[30], "WPC1258 - Vietnamese");
  EXPECT_EQ(kCodePageRows[31], "KHMER");
  for (size_t i = 32; i <= 35; ++i) EXPECT_EQ(kCodePageRows[i], "Reserved") << i;
  EXPECT_EQ(kCodePageRows[36], "WPC1250 - Latin 2");
  // Apart from the reserved rows every entry names a different code page.
  std::set<std::string_view> names;
  for (std::string_view row : kCodePageRows) {
    if (row != "Reserved") {
      EXPECT_TRUE(names.insert(row).second) << row;
    }
  }
  EXPECT_EQ(RowText(kCodePageRows, 36), "WPC1250 - Latin 2");
  EXPECT_FALSE(RowText(kCodePageRows, 37).has_value());
}

TEST(SettingListsTest, MsrTriggerList) {
  EXPECT_EQ(kMsrTriggerRows.size(), 8u);
  EXPECT_EQ(kMsrTriggerRows[0], "Track 1/2/3 read mode command");
  EXPECT_EQ(kMsrTriggerRows[3], "Track 3 read mode AUTO trigger");
  EXPECT_EQ(kMsrTriggerRows[4], "Track 1/2 read mode AUTO trigger");
  EXPECT_EQ(kMsrTriggerRows[6], "Track 1/2/3 read mode AUTO trigger");
  EXPECT_EQ(kMsrTriggerRows[7], "Not used MSR trigger");
  // A printer whose switch reads as trigger nibble 0 leaves the record past the list.
  EXPECT_FALSE(RowText(kMsrTriggerRows, 0xFFFFFFFFu).has_value());
}

TEST(SettingListsTest, FlowControlAndSpeedRows) {
  EXPECT_EQ(FlowcontrolOfRow(0), 1u);
  EXPECT_EQ(FlowcontrolOfRow(1), 2u);
  EXPECT_EQ(FlowcontrolOfRow(5), 2u);
  EXPECT_EQ(FlowcontrolRowOf(1), 0u);
  EXPECT_EQ(FlowcontrolRowOf(2), 1u);
  EXPECT_EQ(FlowcontrolRowOf(0), 1u);
  EXPECT_EQ(kFlowcontrolRows[FlowcontrolRowOf(1)], "1");
  EXPECT_EQ(kSpeedRows[0], "90mm/s");
  EXPECT_EQ(kSpeedRows[1], "50mm/s");
}

TEST(SettingListsTest, HandheldMsrListFollowsTheOpenCheck) {
  const struct {
    uint8_t open_check;
    size_t rows;
    const char* first;
  } cases[] = {
      {0x00, 9, "Track 1/2 read mode command"},
      {0x38, 9, "Track 1/2 read mode command"},
      {0x39, 8, "Track 1/2/3 read mode command"},
      {0x4F, 8, "Track 1/2/3 read mode command"},
      {0x50, 1, "Only Encription MSR"},
      {0x51, 8, "Track 1/2/3 read mode command"},
      {0x60, 1, "IC card mode"},
      {0xFF, 8, "Track 1/2/3 read mode command"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string_view> rows = HandheldMsrTriggerRows(c.open_check);
    ASSERT_EQ(rows.size(), c.rows) << int{c.open_check};
    EXPECT_EQ(rows[0], c.first) << int{c.open_check};
  }
}

TEST(SettingListsTest, HandheldAndSerialRows) {
  EXPECT_EQ(kHandheldCodePageRows[35], "Reserved");
  EXPECT_EQ(kHandheldCodePageRows[36], "WPC1250 ");
  EXPECT_EQ(kHandheldSpeedRows[0], "100mm/s");
  EXPECT_EQ(kHandheldDensityRows[6], "print density 90%");
  EXPECT_EQ(BaudrateRowOf(2400), 0u);
  EXPECT_EQ(BaudrateRowOf(57600), 5u);
  EXPECT_EQ(BaudrateRowOf(115200), 6u);
  EXPECT_EQ(BaudrateRowOf(14400), 3u);  // unlisted rates show "19200"
  EXPECT_EQ(DatabitRowOf(7), 0u);
  EXPECT_EQ(DatabitRowOf(9), 1u);
}

}  // namespace
