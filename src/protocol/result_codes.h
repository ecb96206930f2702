#pragma once

#include <cstdint>

namespace protocol {
// Results of the command and NV operations. The numbers are the ones messages and traces show.
// With kResultNotAccepted, kResultBadReply, kResultWriteFailed and kResultNoReply the operation
// has already closed the link.
enum class Result : uint32_t {
  kResultOk = 0,
  kResultNotOpen = 101,
  kResultNotAccepted = 107,
  kResultRfMalformed = 108,
  kResultBadReply = 109,
  // A record value does not fit its command (a Bluetooth PIN or name, or a sentinel, over its
  // length limit; a track or item number the printer does not have). Nothing was sent and the
  // link is left as it was.
  kResultValueRefused = 110,
  kResultWriteFailed = 300,
  kResultNoReply = 301,
  kResultEmptyKeyList = 400,
  kResultNvAreaFull = 401,
  kResultKeyCodeTooShort = 402,
  // The NV image list already holds the 254 images the stored list can keep.
  kResultNvListFull = 403,
};
// Every caller names the results without their type, as protocol::kResultOk.
using enum Result;

// The number a message or a trace shows.
constexpr uint32_t ResultNumber(Result result) { return static_cast<uint32_t>(result); }
}  // namespace protocol
