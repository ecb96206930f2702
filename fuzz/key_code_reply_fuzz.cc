// The key code list as the host reads it: arbitrary bytes from a printer (or whatever answers on
// the line) through the block exchange of ReadKeyCodes, then Print All over whatever list it left,
// in virtual time.
//
// The input steers first, then is the line's content:
//   byte 0  how many bytes each read delivers (1..256)
//   byte 1  bit 0: writes start failing after (byte 1 >> 1) of them
//   byte 2  how many key codes the list holds before the reading (0..3)
//   rest    the bytes the line delivers, then silence

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_line.h"
#include "nvimage/common_nv.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"
#include "tests/fakes/nv_test_peer.h"

using protocol::kResultBadReply;
using protocol::kResultEmptyKeyList;
using protocol::kResultOk;

namespace {

constexpr char kTarget[] = "key_code_reply";

using Bytes = std::vector<uint8_t>;

// What the host may ever write in this exchange, spelled out here rather than taken from the code
// under test.
const Bytes kQuery = {0x1D, 0x28, 0x4C, 0x04, 0x00, 0x30, 0x40, 0x4B, 0x43};
const Bytes kAck = {0x06};
const Bytes kCan = {0x18};

bool IsPrintCommand(const Bytes& bytes) {
  return bytes.size() == 11 && bytes[0] == 0x1D && bytes[1] == 0x28 && bytes[2] == 0x4C &&
         bytes[3] == 0x06 && bytes[4] == 0x00 && bytes[5] == 0x30 && bytes[6] == 0x45 &&
         bytes[9] == 0x01 && bytes[10] == 0x01;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const size_t piece = static_cast<size_t>(input.Byte()) + 1;
  const uint8_t mode = input.Byte();
  const size_t preset = input.Byte() % 4;

  platform::VirtualClock clock(0);
  fuzz::Line line;
  line.clock = &clock;
  line.piece = piece;
  if ((mode & 1) != 0) line.writes_before_failure = 1 + (mode >> 1);  // the probe byte goes out
  fuzz::LineFactory factory(line);
  platform::MemoryRegistry registry;
  platform::NullTrace trace;
  platform::Services services{clock, factory, registry, trace};

  protocol::CCommonUtil util(services);
  nv::CCommonNv nv(&util, clock);
  if (!util.OpenLink()) return 0;
  line.replies = input.Rest();
  const size_t line_bytes = line.replies.size();
  const size_t writes_at_open = line.writes;
  line.keep_attempts = true;

  std::vector<std::string> before;
  for (size_t i = 0; i < preset; ++i) before.push_back({'P', static_cast<char>('0' + i)});
  nv::CCommonNvTestPeer::SetKeyCodes(nv, before);

  const protocol::Result result = nv.ReadKeyCodes();
  const bool open = util.dev().is_open();
  const std::vector<Bytes>& attempts = line.attempts;
  FUZZ_CHECK(kTarget, result == kResultOk || result == kResultBadReply ||
                          result == protocol::kResultWriteFailed || result == kResultEmptyKeyList);
  FUZZ_CHECK(kTarget, open == (result == kResultOk || result == kResultEmptyKeyList));
  for (const std::string& code : nv.key_codes()) FUZZ_CHECK(kTarget, code.size() == 2);

  // The query first; then only resends, ACKs and, last of all, a CAN for a bad block.
  FUZZ_CHECK(kTarget, !attempts.empty() && attempts.front() == kQuery);
  size_t acks_accepted = 0;
  const size_t accepted = line.writes - writes_at_open;
  for (size_t i = 0; i < attempts.size(); ++i) {
    const Bytes& bytes = attempts[i];
    FUZZ_CHECK(kTarget, bytes == kQuery || bytes == kAck || bytes == kCan);
    if (bytes == kCan) FUZZ_CHECK(kTarget, i + 1 == attempts.size() && result == kResultBadReply);
    if (bytes == kAck && i < accepted) ++acks_accepted;
  }
  if (result == kResultBadReply) FUZZ_CHECK(kTarget, attempts.back() == kCan);
  // Each acknowledged block took at least four bytes off the line, and no block gets more than
  // ten resends and one answer.
  FUZZ_CHECK(kTarget, acks_accepted <= line_bytes / 4);
  FUZZ_CHECK(kTarget, attempts.size() <= 1 + 11 * (line_bytes / 4 + 1));
  // Until the printer's block is acknowledged, the list is left as it was.
  if (acks_accepted == 0) FUZZ_CHECK(kTarget, nv.key_codes() == before);

  if (open) {
    const size_t attempts_before = attempts.size();
    const protocol::Result printed = nv.PrintAllImages();
    if (nv.key_codes().empty()) {
      FUZZ_CHECK(kTarget, printed == kResultEmptyKeyList && attempts.size() == attempts_before);
    } else {
      FUZZ_CHECK(kTarget, printed == kResultOk || printed == protocol::kResultWriteFailed);
      const size_t sent = attempts.size() - attempts_before;
      FUZZ_CHECK(kTarget, printed == kResultOk ? sent == nv.key_codes().size()
                                               : sent <= nv.key_codes().size());
      for (size_t i = attempts_before; i < attempts.size(); ++i) {
        FUZZ_CHECK(kTarget, IsPrintCommand(attempts[i]));
        const std::string& code = nv.key_codes()[i - attempts_before];
        FUZZ_CHECK(kTarget, attempts[i][7] == static_cast<uint8_t>(code[0]) &&
                                attempts[i][8] == static_cast<uint8_t>(code[1]));
      }
    }
  }
  util.dev().Close();
  return 0;
}
