#include "settings/transfer_runner.h"

#include "protocol/result_codes.h"
#include "settings/vmsm_strings.h"

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
      return vmsm_.util()->identity().firmware_version == kFirmwareNewer;
    case kBluetoothOn:
      return vmsm_.settings().BtSkip == 0;
    default:
      return false;
  }
}

uint32_t TransferActions::Perform(const JobStep& step, JobRunner& /*runner*/) {
  CCommonVmsm& v = vmsm_;
  const auto a = static_cast<uint8_t>(step.value);
  switch (static_cast<TransferOp>(step.action)) {
    case TransferOp::kInitSetting:
      return v.InitSetting();
    case TransferOp::kEndSetting:
      return v.EndSetting();
    case TransferOp::kReadSwitch:
      return v.ReadSwitch(a);
    case TransferOp::kWriteSwitch:
      return v.WriteSwitch(a);
    case TransferOp::kReadSerial:
      return v.ReadSerial(a);
    case TransferOp::kWriteSerial:
      return v.WriteSerial(a);
    case TransferOp::kReadTearOff:
      return v.ReadTearOff();
    case TransferOp::kWriteTearOff:
      return v.WriteTearOff();
    case TransferOp::kReadSentinel:
      return v.ReadSentinel(a);
    case TransferOp::kWriteSentinel:
      return v.WriteSentinel(a);
    case TransferOp::kReadRfInterface:
      return v.ReadRfInterface();
    case TransferOp::kWriteRfInterface:
      return v.WriteRfInterface();
    case TransferOp::kReadBtInfo:
      return v.ReadBtInfo(a);
    case TransferOp::kWriteBtInfo:
      return v.WriteBtInfo();
    case TransferOp::kFactoryDefault:
      return v.FactoryDefault();
    default:
      return kResultOk;
  }
}
