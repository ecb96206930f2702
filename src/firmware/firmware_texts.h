#pragma once

namespace firmware {
// What a firmware download tells the user, in the dialog and on the command line alike.

inline constexpr char kFirmwareOpenPortError[] = "Error : OpenPort! Please check printer";
inline constexpr char kFirmwareSendFailedError[] = "Error : Send Failed!";
inline constexpr char kFirmwareFinishedText[] =
    "Finished to download firmware and Reset the printer!";
}  // namespace firmware
