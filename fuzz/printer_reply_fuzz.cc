// Printer replies as the host reads them: arbitrary bytes from a printer (or whatever answers on
// the line) through the identification queries and the settings read operations, in virtual time.
//
// The input steers first, then is the line's content:
//   byte 0  the operation (and the one after it, when the link stays open)
//   byte 1  the operation's argument (switch number, serial item, track, Bluetooth item)
//   byte 2  how many bytes each read delivers (1..32)
//   byte 3  bit 0: handheld mode; bit 1: writes start failing after (byte 3 >> 2) of them
//   rest    the bytes the line delivers, then silence

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_line.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "protocol/result_codes.h"
#include "protocol/vmsm_commands.h"

using protocol::CCommonUtil;
using protocol::CCommonVmsm;
using protocol::kResultOk;

namespace {

constexpr char kTarget[] = "printer_reply";

bool KnownResult(protocol::Result result) {
  switch (result) {
    case kResultOk:
    case protocol::kResultNotOpen:
    case protocol::kResultNotAccepted:
    case protocol::kResultRfMalformed:
    case protocol::kResultBadReply:
    case protocol::kResultWriteFailed:
    case protocol::kResultNoReply:
    case protocol::kResultValueRefused:
      return true;
    default:
      return false;
  }
}

constexpr uint8_t kBtKinds[] = {protocol::vmsm::kBtConnMode, protocol::vmsm::kBtName,
                                protocol::vmsm::kBtPin, protocol::vmsm::kBtSecurity};

// One operation; `read` says whether it is a read of the settings record.
struct Operation {
  bool identification;
  bool read;
  std::function<protocol::Result(CCommonUtil&, CCommonVmsm&, uint8_t)> run;
};

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {true, false, [](CCommonUtil& u, CCommonVmsm&, uint8_t) { return u.GetPrinterInfo(0); }},
      {true, false, [](CCommonUtil& u, CCommonVmsm&, uint8_t) { return u.GetPrinterInfo(1); }},
      {true, false, [](CCommonUtil& u, CCommonVmsm&, uint8_t) { return u.GetPrinterInfo(2); }},
      {true, false, [](CCommonUtil& u, CCommonVmsm&, uint8_t) { return u.GetPrinterInfo(3); }},
      {true, false, [](CCommonUtil& u, CCommonVmsm&, uint8_t) { return u.GetPrinterInfo(4); }},
      {false, false, [](CCommonUtil&, CCommonVmsm& v, uint8_t) { return v.InitSetting(); }},
      {false, false, [](CCommonUtil&, CCommonVmsm& v, uint8_t) { return v.EndSetting(); }},
      {false, true, [](CCommonUtil&, CCommonVmsm& v, uint8_t a) { return v.ReadSwitch(a); }},
      {false, true, [](CCommonUtil&, CCommonVmsm& v, uint8_t a) { return v.ReadSerial(a % 6); }},
      {false, true, [](CCommonUtil&, CCommonVmsm& v, uint8_t) { return v.ReadTearOff(); }},
      {false, true, [](CCommonUtil&, CCommonVmsm& v, uint8_t) { return v.ReadRfInterface(); }},
      {false, true,
       [](CCommonUtil&, CCommonVmsm& v, uint8_t a) { return v.ReadBtInfo(kBtKinds[a % 4]); }},
      {false, true, [](CCommonUtil&, CCommonVmsm& v, uint8_t a) { return v.ReadSentinel(a % 5); }},
      {false, false, [](CCommonUtil&, CCommonVmsm& v, uint8_t) { return v.FactoryDefault(); }},
  };
  return operations;
}

void CheckIdentification(const CCommonUtil& util) {
  const protocol::PrinterIdentity& identity = util.identity();
  FUZZ_CHECK(kTarget, identity.model_code <= protocol::MODEL_TMQD550);
  FUZZ_CHECK(kTarget, identity.firmware_version == 0 ||
                          identity.firmware_version == protocol::kFirmwareOlder ||
                          identity.firmware_version == protocol::kFirmwareNewer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t selector = input.Byte();
  const uint8_t argument = input.Byte();
  const size_t piece = input.Byte() % 32 + 1;
  const uint8_t mode = input.Byte();

  platform::VirtualClock clock(0);
  fuzz::Line line;
  line.clock = &clock;
  line.piece = piece;
  if ((mode & 2) != 0) line.writes_before_failure = 1 + (mode >> 2);  // the probe byte goes out
  fuzz::LineFactory factory(line);
  platform::MemoryRegistry registry;
  platform::NullTrace trace;
  platform::Services services{clock, factory, registry, trace};

  CCommonUtil util(services, (mode & 1) != 0);
  CCommonVmsm vmsm(&util, clock);
  if (!util.OpenLink()) return 0;
  line.replies = input.Rest();

  const auto& operations = Operations();
  const size_t first = selector % operations.size();
  for (const size_t index :
       {first, (first + 1 + selector / operations.size()) % operations.size()}) {
    const Operation& operation = operations[index];
    const bool was_open = util.dev().is_open();
    const protocol::PrinterSettings before = vmsm.settings();
    const uint64_t started = clock.NowMs();
    const protocol::Result result = operation.run(util, vmsm, argument);
    FUZZ_CHECK(kTarget, KnownResult(result));
    // A silent or babbling line must give up in bounded (virtual) time.
    FUZZ_CHECK(kTarget, clock.NowMs() - started <= 10u * 60u * 1000u);
    if (operation.identification) {
      CheckIdentification(util);
    } else {
      const bool open = util.dev().is_open();
      if (result == protocol::kResultBadReply || result == protocol::kResultWriteFailed ||
          result == protocol::kResultNoReply) {
        FUZZ_CHECK(kTarget, !open);
      } else if (result != protocol::kResultNotAccepted) {
        FUZZ_CHECK(kTarget, open == was_open);
      }
      if (operation.read && result != kResultOk) FUZZ_CHECK(kTarget, vmsm.settings() == before);
    }
    if (!util.dev().is_open()) break;
  }
  util.dev().Close();
  return 0;
}
