#pragma once

// Sends a printer firmware file over an open link, exactly as the file is stored: no header,
// framing, checksum or handshake, and no reply is read. The file itself carries whatever the
// printer needs. No dialogs here, so a program without windows can send firmware too:
//
//   CDev dev(services);
//   if (dev.Open(settings) != 1) { ... }
//   FirmwareSendResult r = SendFirmware(dev, bytes, [](int percent) { ... });
//   dev.Close();

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/cdev.h"

namespace firmware {
// The size of every piece but the last: printers take firmware in pieces of this size.
inline constexpr uint32_t kFirmwarePieceBytes = 4096;

enum class FirmwareSendStatus {
  kSent,        // every byte written
  kSendFailed,  // a write failed or accepted fewer bytes than asked (sending stopped there), or
                // the printer closed the connection while the file was sent
};

struct FirmwareSendResult {
  FirmwareSendStatus status = FirmwareSendStatus::kSendFailed;
  uint64_t sent = 0;  // bytes the link accepted, a short write's part included
};

// Called after every good write with the whole percentage sent so far (0 to 100, truncated).
using FirmwareProgress = std::function<void(int percent)>;

// Writes `bytes` to the open `dev`: pieces of kFirmwarePieceBytes while that many remain, then
// the rest in one write; an empty file is one write of no bytes (reported as 100 %). A write is
// good only when the link accepted exactly the count asked for. Leaves the link open.
FirmwareSendResult SendFirmware(devlink::CDev& dev, std::span<const uint8_t> bytes,
                                const FirmwareProgress& progress);
}  // namespace firmware
