#pragma once

// The printer keeps its settings in items: a memory switch, a serial item, the tear-off position,
// a track's sentinels, the radio interface, the Bluetooth items. Each is read with its own query
// and written with its own command, and most hold several settings. A transfer of some items only
// reads and writes those, in the order, with the messages and pauses of the whole transfer.

#include <cstdint>
#include <optional>
#include <set>

#include "jobs/job_plan.h"
#include "settings/setting_schema.h"
#include "settings/transfer_plan.h"

namespace settings {

enum class ItemKind { kSwitch, kSerial, kTearOff, kSentinel, kRfInterface, kBluetooth };

struct SettingItem {
  ItemKind kind = ItemKind::kSwitch;
  uint8_t number = 0;  // the switch, the serial item 1..4, the track 1..3; 0 for the others

  auto operator<=>(const SettingItem&) const = default;
};

using SettingItems = std::set<SettingItem>;

// The item `field` lives in; nullopt for a field no item holds.
std::optional<SettingItem> ItemOf(const setting_schema::SettingField& field);
// Every item a setting lives in.
SettingItems AllSettingItems();
// The item a step of the desktop transfer reads or writes; nullopt for a step that moves no
// setting (the link, identification, setting mode).
std::optional<SettingItem> ItemOfStep(const jobs::JobStep& step);

// The desktop transfer cut down to `read` (the read, identification first) and `write` (the
// write, inside InitSetting ... EndSetting; the Bluetooth write and its settling time only when
// the Bluetooth items are written). Started with FirstTransferEvent(kReadAll) or (kWriteAll).
TransferPlan ItemTransferPlan(const SettingItems& read, const SettingItems& write);

}  // namespace settings
