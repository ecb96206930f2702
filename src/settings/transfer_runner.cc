#include "settings/transfer_runner.h"

#include <map>

#include "link/cdev.h"
#include "protocol/result_codes.h"
#include "settings/vmsm_strings.h"

namespace settings {
int FirstTransferEvent(TransferMode mode) {
  switch (mode) {
    case TransferMode::kReadAll:
      return kEventReadOpen;
    case TransferMode::kWriteAll:
      return kEventWriteOpen;
    case TransferMode::kFactoryDefault:
      return kEventFactoryDefault;
    default:
      return 0;
  }
}

std::string EnglishTransferText(std::string_view fixed, int id) {
  return std::string(fixed.empty() ? TransferText(id) : fixed);
}

bool TransferActions::Applies(int condition) const {
  switch (condition) {
    case kNewerFirmware:
      return vmsm_.util()->identity().firmware_version == protocol::kFirmwareNewer;
    case kBluetoothOn:
      return vmsm_.settings().BtSkip == 0;
    case kUnsentLostOnClose:
      return vmsm_.util()->dev().transport() != devlink::CDev::kTransportTcp;
    default:
      return false;
  }
}

protocol::Result TransferActions::Perform(const jobs::JobStep& step, jobs::JobRunner& /*runner*/) {
  using Op = TransferOp;
  using V = protocol::CCommonVmsm;
  // Operations on one item (a switch, serial item, track or Bluetooth kind) and on the record.
  static const std::map<Op, protocol::Result (V::*)(uint8_t)> kOnItem = {
      {Op::kReadSwitch, &V::ReadSwitch},     {Op::kWriteSwitch, &V::WriteSwitch},
      {Op::kReadSerial, &V::ReadSerial},     {Op::kWriteSerial, &V::WriteSerial},
      {Op::kReadSentinel, &V::ReadSentinel}, {Op::kWriteSentinel, &V::WriteSentinel},
      {Op::kReadBtInfo, &V::ReadBtInfo},
  };
  static const std::map<Op, protocol::Result (V::*)()> kWhole = {
      {Op::kInitSetting, &V::InitSetting},         {Op::kEndSetting, &V::EndSetting},
      {Op::kReadTearOff, &V::ReadTearOff},         {Op::kWriteTearOff, &V::WriteTearOff},
      {Op::kReadRfInterface, &V::ReadRfInterface}, {Op::kWriteRfInterface, &V::WriteRfInterface},
      {Op::kWriteBtInfo, &V::WriteBtInfo},         {Op::kFactoryDefault, &V::FactoryDefault},
  };
  const auto op = static_cast<Op>(step.action);
  if (const auto it = kOnItem.find(op); it != kOnItem.end()) {
    return (vmsm_.*it->second)(static_cast<uint8_t>(step.value));
  }
  if (const auto it = kWhole.find(op); it != kWhole.end()) {
    const protocol::Result result = (vmsm_.*it->second)();
    if (op == Op::kInitSetting && result == protocol::kResultOk) in_setting_mode_ = true;
    if (op == Op::kEndSetting) {
      in_setting_mode_ = false;
      left_setting_mode_ = result == protocol::kResultOk;
    }
    return result;
  }
  return protocol::kResultOk;
}

std::string TransferActions::Stop() {
  if (!in_setting_mode_) {
    // Stopped after setting mode was left: while the Bluetooth items were written or stored,
    // where this write has them.
    if (!left_setting_mode_) return {};
    return Applies(kBluetoothOn) ? "the printer had left setting mode, keeping what was written "
                                   "in it; any Bluetooth items may be missing"
                                 : "the printer had left setting mode, keeping what was written "
                                   "in it";
  }
  if (LeaveSettingMode()) {
    return "the printer was told to leave setting mode; some settings may be written, others not";
  }
  return "the printer could not be told to leave setting mode; switch it off and on";
}

bool TransferActions::LeaveSettingMode() {
  if (!in_setting_mode_) return true;
  in_setting_mode_ = false;
  return vmsm_.EndSetting() == protocol::kResultOk;
}
}  // namespace settings
