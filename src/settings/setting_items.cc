#include "settings/setting_items.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "jobs/job_runner.h"
#include "protocol/vmsm_commands.h"

namespace settings {
namespace {

using Op = TransferOp;
using PS = protocol::PrinterSettings;
namespace vmsm = protocol::vmsm;

constexpr SettingItem Switch(uint8_t number) { return {ItemKind::kSwitch, number}; }
constexpr SettingItem Serial(uint8_t number) { return {ItemKind::kSerial, number}; }

struct NumberItem {
  uint32_t PS::*field;
  SettingItem item;
};
const NumberItem kNumberItems[] = {
    {&PS::Density, Switch(vmsm::kSwitchPrint)},
    {&PS::Speed, Switch(vmsm::kSwitchPrint)},
    {&PS::LCharMode, Switch(vmsm::kSwitchPrint)},
    {&PS::CodePage, Switch(vmsm::kSwitchCodePage)},
    {&PS::TimeOff, Switch(vmsm::kSwitchPowerOff)},
    {&PS::TimeSave, Switch(vmsm::kSwitchPowerSave)},
    {&PS::Msr, Switch(vmsm::kSwitchMsr)},
    {&PS::FontType, Switch(vmsm::kSwitchOptions)},
    {&PS::BeepPaper, Switch(vmsm::kSwitchOptions)},
    {&PS::BeepLowBat, Switch(vmsm::kSwitchOptions)},
    {&PS::Service, Switch(vmsm::kSwitchOptions)},
    {&PS::Sentinel, Switch(vmsm::kSwitchOptions)},
    {&PS::BleMode, Switch(vmsm::kSwitchBle)},
    {&PS::CuttingPosition, {ItemKind::kTearOff}},
    {&PS::Baudrate, Serial(vmsm::kSerialBaudrate)},
    {&PS::Parity, Serial(vmsm::kSerialParity)},
    {&PS::Flowcontrol, Serial(vmsm::kSerialFlowcontrol)},
    {&PS::Databit, Serial(vmsm::kSerialDatabit)},
    {&PS::RfInterface, {ItemKind::kRfInterface}},
    {&PS::BtSecurity, {ItemKind::kBluetooth}},
    {&PS::BtConnMode, {ItemKind::kBluetooth}},
};

// Closing a serial port discards what the driver has not sent yet; at 2400 baud the last commands
// of a write (a track's sentinels and EndSetting, 43 bytes) take 180 ms to leave.
constexpr uint32_t kLastBytesOutMs = 200;
// The printer stores the Bluetooth items slowly; the whole write leaves it 4 s before the link
// closes, and so does this one.
constexpr uint32_t kBluetoothStoreMs = 4000;

// The operations of the desktop plan's event `id` that move no setting or one of `items`, in
// their order and with their conditions and messages, earning no progress of their own.
std::vector<jobs::JobStep> Kept(int id, const SettingItems& items) {
  const std::vector<jobs::JobStep>& steps = DesktopTransferPlan().Find(id)->steps;
  auto keep = [&items](const jobs::JobStep& step) {
    if (step.kind != jobs::StepKind::kPerform && step.kind != jobs::StepKind::kOpenLink &&
        step.kind != jobs::StepKind::kPrinterInfo) {
      return false;
    }
    const std::optional<SettingItem> item = ItemOfStep(step);
    return !item || items.count(*item) != 0;
  };
  // Every printer of a fleet holds its plan while it runs: room for the kept steps only.
  std::vector<jobs::JobStep> kept;
  kept.reserve(static_cast<size_t>(std::count_if(steps.begin(), steps.end(), keep)));
  for (const jobs::JobStep& step : steps) {
    if (!keep(step)) continue;
    jobs::JobStep copy = step;
    copy.advance = 0;
    kept.push_back(copy);
  }
  return kept;
}

// Each step of `first` and `second` followed by an equal share of the bar, shown at once.
void WithProgress(std::vector<jobs::JobStep>& first, std::vector<jobs::JobStep>& second) {
  const auto share = static_cast<uint32_t>(jobs::JobRunner::kFullPosition /
                                           std::max<size_t>(1, first.size() + second.size()));
  for (std::vector<jobs::JobStep>* steps : {&first, &second}) {
    std::vector<jobs::JobStep> out;
    out.reserve(2 * steps->size() + 4);  // room for what the plan adds after
    for (const jobs::JobStep& step : *steps) {
      out.push_back(step);
      out.push_back(jobs::Advance(share, 0));
    }
    *steps = std::move(out);
  }
}

bool IsOp(const jobs::JobStep& step, Op op) {
  return step.kind == jobs::StepKind::kPerform && step.action == static_cast<int>(op);
}

}  // namespace

std::optional<SettingItem> ItemOf(const setting_schema::SettingField& field) {
  if (field.texts == &PS::SentinelStart || field.texts == &PS::SentinelEnd) {
    return SettingItem{ItemKind::kSentinel, static_cast<uint8_t>(field.track + 1)};
  }
  if (field.text == &PS::BtName || field.text == &PS::BtPin) {
    return SettingItem{ItemKind::kBluetooth};
  }
  for (const NumberItem& n : kNumberItems) {
    if (field.number != nullptr && field.number == n.field) return n.item;
  }
  return std::nullopt;
}

SettingItems AllSettingItems() {
  SettingItems all;
  for (const setting_schema::SettingField& field : setting_schema::SettingFields()) {
    if (const std::optional<SettingItem> item = ItemOf(field)) all.insert(*item);
  }
  return all;
}

std::optional<SettingItem> ItemOfStep(const jobs::JobStep& step) {
  if (step.kind != jobs::StepKind::kPerform) return std::nullopt;
  const auto number = static_cast<uint8_t>(step.value);
  switch (static_cast<Op>(step.action)) {
    case Op::kReadSwitch:
    case Op::kWriteSwitch:
      return Switch(number);
    case Op::kReadSerial:
    case Op::kWriteSerial:
      return Serial(number);
    case Op::kReadTearOff:
    case Op::kWriteTearOff:
      return SettingItem{ItemKind::kTearOff};
    case Op::kReadSentinel:
    case Op::kWriteSentinel:
      return SettingItem{ItemKind::kSentinel, number};
    case Op::kReadRfInterface:
    case Op::kWriteRfInterface:
      return SettingItem{ItemKind::kRfInterface};
    case Op::kReadBtInfo:
    case Op::kWriteBtInfo:
      return SettingItem{ItemKind::kBluetooth};
    default:
      return std::nullopt;
  }
}

TransferPlan ItemTransferPlan(const SettingItems& read, const SettingItems& write) {
  const TransferPlan& full = DesktopTransferPlan();
  TransferPlan plan;
  plan.closing_name_id = full.closing_name_id;
  plan.closing_separator = full.closing_separator;

  // Without a dialog to paint, each stage follows the last at once. The whole read waits 600 ms
  // between the identification and its first switch query (a stage gap and a pause); nothing
  // sent or answered depends on it: the identification replies are taken whole, up to their 00h,
  // before it, the wait discards nothing, and each query waits its own 150 ms before its reply is
  // read. So the items are read right after the identification.
  std::vector<jobs::JobStep> open = Kept(kEventReadOpen, read);
  std::vector<jobs::JobStep> reads = Kept(kEventRead, read);
  WithProgress(open, reads);
  open.push_back(jobs::Arm(kEventRead, 0));
  reads.push_back(jobs::Arm(jobs::kEventClose, 0));

  std::vector<jobs::JobStep> write_open = Kept(kEventWriteOpen, write);
  std::vector<jobs::JobStep> writes = Kept(kEventWrite, write);
  WithProgress(write_open, writes);
  write_open.push_back(jobs::Arm(kEventWrite, 0));
  // As in the whole write, the closing stage is armed right after setting mode is left, and the
  // Bluetooth items, written after it, hold it back while the printer stores them.
  for (auto it = writes.begin(); it != writes.end(); ++it) {
    if (IsOp(*it, Op::kEndSetting)) {
      writes.insert(it + 2, {jobs::Arm(jobs::kEventClose, 0),
                             jobs::Only(kUnsentLostOnClose, jobs::Pause(kLastBytesOutMs))});
      break;
    }
  }
  if (write.count(SettingItem{ItemKind::kBluetooth}) != 0) {
    writes.push_back(jobs::Only(kBluetoothOn, jobs::Pause(kBluetoothStoreMs)));
  }

  const auto stage = [&full](int id) { return full.Find(id)->stage_name_id; };
  plan.events.reserve(4);
  plan.events.emplace_back(kEventReadOpen, stage(kEventReadOpen), std::move(open));
  plan.events.emplace_back(kEventRead, stage(kEventRead), std::move(reads));
  plan.events.emplace_back(kEventWriteOpen, stage(kEventWriteOpen), std::move(write_open));
  plan.events.emplace_back(kEventWrite, stage(kEventWrite), std::move(writes));
  return plan;
}

}  // namespace settings
