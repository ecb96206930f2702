#include "settings/vmsm_strings.h"

#include <string>

namespace settings {
namespace {

using namespace transfer_ids;

// The misspellings ("sentinal", "infomation") are the texts users and translators know.
constexpr TransferString kStrings[] = {
    {kGetStatus, "Get status"},
    {kSetStatus, "Set status"},
    {kCompleted, "Completed."},
    {kPortOpenError, "Port open error!"},
    {kModelNotMatched, "Printer model is not matched!"},
    {kVersionFailed, "Failed to get printer version!"},
    {kReadSw1Failed, "Failed to read SW1 data!"},
    {kReadSw2Failed, "Failed to read SW2 data!"},
    {kReadSw3Failed, "Failed to read SW3 data!"},
    {kReadSw5Failed, "Failed to read SW5 data!"},
    {kReadSw6Failed, "Failed to read SW6 data!"},
    {kReadSw7Failed, "Failed to read SW7 data!"},
    {kReadSw8Failed, "Failed to read SW8 data!"},
    {kReadSw116Failed, "Failed to read SW116 data!"},
    {kTearOffFailed, "Failed to get tear off position!"},
    {kReadIfsw1Failed, "Failed to read IFSW1 data!"},
    {kReadIfsw2Failed, "Failed to read IFSW2 data!"},
    {kReadIfsw3Failed, "Failed to read IFSW3 data!"},
    {kReadIfsw4Failed, "Failed to read IFSW4 data!"},
    {kReadTrack1SentinelFailed, "Failed to read track1 sentinal code!"},
    {kReadTrack2SentinelFailed, "Failed to read track2 sentinal code!"},
    {kReadTrack3SentinelFailed, "Failed to read track3 sentinal code!"},
    {kReadRfInterfaceFailed, "Failed to read RF Interface!"},
    {kReadBtConnModeFailed, "Failed to read Bluetooth connection mode!"},
    {kReadBtNameFailed, "Failed to read Bluetooth device name!"},
    {kReadBtPinFailed, "Failed to read Bluetooth PIN code!"},
    {kReadBtSecurityFailed, "Failed to read Bluetooth encryption infomation!"},
    {kInitSettingFailed, "Failed to set initial command!"},
    {kWriteMsw1Failed, "Failed to read MSW1 data!"},
    {kWriteMsw2Failed, "Failed to read MSW2 data!"},
    {kWriteMsw3Failed, "Failed to read MSW3 data!"},
    {kWriteMsw5Failed, "Failed to read MSW5 data!"},
    {kWriteMsw6Failed, "Failed to read MSW6 data!"},
    {kWriteMsw7Failed, "Failed to read MSW7 data!"},
    {kWriteMsw8Failed, "Failed to read MSW8 data!"},
    {kWriteMsw116Failed, "Failed to read MSW116 data!"},
    {kWriteTrack1SentinelFailed, "Failed to set sentinal character of track1!"},
    {kWriteTrack2SentinelFailed, "Failed to set sentinal character of track2!"},
    {kWriteTrack3SentinelFailed, "Failed to set sentinal character of track3!"},
    {kWriteRfInterfaceFailed, "Failed to set RF Interface!"},
    {kEndSettingFailed, "Failed to write setting end command!"},
    {kWriteBtInfoFailed, "Failed to set Bluetooth infomation!"},
    {kFactoryDefaultFailed, "Failed to set factory default!"},
};

}  // namespace

std::span<const TransferString> TransferStrings() { return kStrings; }

std::string_view TransferText(int id) {
  for (const TransferString& s : kStrings) {
    if (s.id == id) return s.text;
  }
  return {};
}
}  // namespace settings
