#include "firmware/firmware_sender.h"

#include <algorithm>

namespace firmware {
FirmwareSendResult SendFirmware(devlink::CDev& dev, std::span<const uint8_t> bytes,
                                const FirmwareProgress& progress) {
  FirmwareSendResult result;
  const uint64_t length = bytes.size();
  uint64_t sent = 0;
  // A do-while, so an empty file is still one write, of no bytes.
  do {
    const auto count =
        static_cast<uint32_t>(std::min<uint64_t>(length - sent, kFirmwarePieceBytes));
    const int written = dev.Write(bytes.data() + sent, count);
    if (written > 0) result.sent += static_cast<uint64_t>(std::min<int64_t>(written, count));
    if (written < 0 || static_cast<uint32_t>(written) != count) return result;
    sent += count;
    // 64-bit: a file at the size limit times 100 does not fit 32 bits. An empty file is complete
    // after its one write.
    if (progress) progress(length == 0 ? 100 : static_cast<int>(sent * 100 / length));
  } while (sent < length);
  // A printer that closed the connection midway lets the next write through (and loses it):
  // only its close tells that the file did not arrive whole.
  if (dev.PeerClosed(devlink::CDev::kCloseNoticeMs)) return result;
  result.status = FirmwareSendStatus::kSent;
  return result;
}
}  // namespace firmware
