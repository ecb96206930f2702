#pragma once

#include <cstdint>

namespace protocol {
// Results of the command and NV operations. With 107, 109, 300 and 301 the operation has already
// closed the link.
inline constexpr uint32_t kResultOk = 0;
inline constexpr uint32_t kResultNotOpen = 101;
inline constexpr uint32_t kResultNotAccepted = 107;
inline constexpr uint32_t kResultRfMalformed = 108;
inline constexpr uint32_t kResultBadReply = 109;
inline constexpr uint32_t kResultWriteFailed = 300;
inline constexpr uint32_t kResultNoReply = 301;
inline constexpr uint32_t kResultEmptyKeyList = 400;
inline constexpr uint32_t kResultNvAreaFull = 401;
inline constexpr uint32_t kResultKeyCodeTooShort = 402;
// A record value does not fit its command (a Bluetooth PIN or name, or a sentinel, over its
// length limit; a track or item number the printer does not have). Nothing was sent and the link
// is left as it was.
inline constexpr uint32_t kResultValueRefused = 110;
// The NV image list already holds the 254 images the stored list can keep.
inline constexpr uint32_t kResultNvListFull = 403;
}  // namespace protocol
