#pragma once

// String-table ids and English texts of the settings transfer (the read-all / write-all progress
// dialog): its stage names and the message of every step that can fail. The desktop program's
// string table takes them in (AddTransferStrings, beside the dialog); a language pack may
// translate them by id; the command line shows the English texts.

#include <span>
#include <string_view>

namespace settings {
namespace transfer_ids {

// Stage names of the progress line.
inline constexpr int kGetStatus = 181;  // "Get status"
inline constexpr int kSetStatus = 182;  // "Set status"
inline constexpr int kCompleted = 183;  // "Completed."

// Opening and identification.
inline constexpr int kPortOpenError = 184;    // "Port open error!"
inline constexpr int kModelNotMatched = 185;  // "Printer model is not matched!"
inline constexpr int kVersionFailed = 186;    // "Failed to get printer version!"

// Reading all settings.
inline constexpr int kReadSw1Failed = 187;
inline constexpr int kReadSw2Failed = 188;
inline constexpr int kReadSw3Failed = 189;
inline constexpr int kReadSw5Failed = 190;
inline constexpr int kReadSw6Failed = 191;
inline constexpr int kReadSw7Failed = 192;
inline constexpr int kReadSw8Failed = 193;
inline constexpr int kReadSw116Failed = 194;
inline constexpr int kTearOffFailed = 195;  // read and write of the tear-off position
inline constexpr int kReadIfsw1Failed = 196;
inline constexpr int kReadIfsw2Failed = 197;
inline constexpr int kReadIfsw3Failed = 198;
inline constexpr int kReadIfsw4Failed = 199;
inline constexpr int kReadTrack1SentinelFailed = 200;
inline constexpr int kReadTrack2SentinelFailed = 201;
inline constexpr int kReadTrack3SentinelFailed = 202;
inline constexpr int kReadRfInterfaceFailed = 203;
inline constexpr int kReadBtConnModeFailed = 204;
inline constexpr int kReadBtNameFailed = 205;
inline constexpr int kReadBtPinFailed = 206;
inline constexpr int kReadBtSecurityFailed = 207;

// Writing all settings and the factory default. The serial items' write failures show the
// IFSW read texts above.
inline constexpr int kInitSettingFailed = 208;
inline constexpr int kWriteMsw1Failed = 209;
inline constexpr int kWriteMsw2Failed = 210;
inline constexpr int kWriteMsw3Failed = 211;
inline constexpr int kWriteMsw5Failed = 212;
inline constexpr int kWriteMsw6Failed = 213;
inline constexpr int kWriteMsw7Failed = 214;
inline constexpr int kWriteMsw8Failed = 215;
inline constexpr int kWriteMsw116Failed = 216;
inline constexpr int kWriteTrack1SentinelFailed = 217;
inline constexpr int kWriteTrack2SentinelFailed = 218;
inline constexpr int kWriteTrack3SentinelFailed = 219;
inline constexpr int kWriteRfInterfaceFailed = 220;
inline constexpr int kEndSettingFailed = 221;
inline constexpr int kWriteBtInfoFailed = 222;
inline constexpr int kFactoryDefaultFailed = 223;

}  // namespace transfer_ids

struct TransferString {
  int id;
  std::string_view text;
};

// Every id above with its English text, in id order.
std::span<const TransferString> TransferStrings();

// The English text of string `id`; empty for an id not listed above.
std::string_view TransferText(int id);
// Asked before the factory block replaces every setting (both programs; deskutil's string table
// carries it for translation).
inline constexpr char kRestoreDefaultsQuestion[] =
    "Restore the printer's factory settings? Its Bluetooth PIN, name and sentinels are reset too.";

}  // namespace settings
