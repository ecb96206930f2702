#include "settings/setting_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/vmsm_commands.h"

namespace {

using settings::ItemKind;
using settings::SettingItem;
using settings::SettingItems;
namespace vmsm = protocol::vmsm;

// What the write of `item` sends for `s`, as bytes to compare.
std::vector<uint8_t> WriteOf(const SettingItem& item, const protocol::PrinterSettings& s) {
  switch (item.kind) {
    case ItemKind::kSwitch: {
      const vmsm::SwitchChars c = vmsm::EncodeSwitch(item.number, s);
      return {c.begin(), c.end()};
    }
    case ItemKind::kSerial: {
      const std::string text = vmsm::SerialValueText(item.number, s);
      return {text.begin(), text.end()};
    }
    case ItemKind::kTearOff:
      return vmsm::WriteTearOffCommand(s.CuttingPosition);
    case ItemKind::kSentinel: {
      const std::string both =
          s.SentinelStart[item.number - 1] + "|" + s.SentinelEnd[item.number - 1];
      return {both.begin(), both.end()};
    }
    case ItemKind::kRfInterface:
      return vmsm::WriteRfInterfaceBody(s.RfInterface);
    case ItemKind::kBluetooth:
      return vmsm::WriteBtInfoCommand(s);
  }
  return {};
}

// A change of any one setting changes what exactly one item's write sends: the item the setting
// is read and written with. A wrong item would leave a setting unread or unwritten.
TEST(SettingItems, EachSettingChangesOnlyTheWriteOfItsOwnItem) {
  const SettingItems every = {
      {ItemKind::kSwitch, 1},   {ItemKind::kSwitch, 2},   {ItemKind::kSwitch, 3},
      {ItemKind::kSwitch, 5},   {ItemKind::kSwitch, 6},   {ItemKind::kSwitch, 7},
      {ItemKind::kSwitch, 8},   {ItemKind::kSwitch, 116}, {ItemKind::kSerial, 1},
      {ItemKind::kSerial, 2},   {ItemKind::kSerial, 3},   {ItemKind::kSerial, 4},
      {ItemKind::kTearOff},     {ItemKind::kSentinel, 1}, {ItemKind::kSentinel, 2},
      {ItemKind::kSentinel, 3}, {ItemKind::kRfInterface}, {ItemKind::kBluetooth},
  };
  for (const auto& field : settings::setting_schema::SettingFields()) {
    const protocol::PrinterSettings before;
    protocol::PrinterSettings after = before;
    if (field.kind == settings::setting_schema::ValueKind::kText) {
      std::string& text =
          field.texts != nullptr ? (after.*field.texts)[field.track] : after.*field.text;
      text += "X";
    } else if (field.kind == settings::setting_schema::ValueKind::kNumber) {
      after.*field.number = after.*field.number == field.min - field.offset
                                ? field.max - field.offset
                                : field.min - field.offset;
    } else {
      for (const auto& word : field.words) {
        if (word.value != before.*field.number) after.*field.number = word.value;
      }
    }
    ASSERT_NE(before, after) << field.key;
    SettingItems changed;
    for (const SettingItem& item : every) {
      if (WriteOf(item, before) != WriteOf(item, after)) changed.insert(item);
    }
    ASSERT_TRUE(settings::ItemOf(field).has_value()) << field.key;
    EXPECT_EQ(changed, SettingItems{*settings::ItemOf(field)}) << field.key;
  }
}

}  // namespace
