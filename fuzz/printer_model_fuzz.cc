// The virtual printer's command stream: arbitrary host bytes, in pieces, with replies taken as
// they fall due. The printer must keep its stored texts within their slots and its notes bounded.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz/fuzz_check.h"
#include "sim/printer_model.h"

namespace {

constexpr char kTarget[] = "printer_model";

void CheckState(const sim::PrinterModel& model) {
  const sim::PrinterState& state = model.state();
  for (const auto& item : state.serial) FUZZ_CHECK(kTarget, item.size() <= sim::kMaxSerialItem);
  for (const auto& s : state.sentinel_start) FUZZ_CHECK(kTarget, s.size() <= sim::kMaxSentinel);
  for (const auto& s : state.sentinel_end) FUZZ_CHECK(kTarget, s.size() <= sim::kMaxSentinel);
  FUZZ_CHECK(kTarget, state.bt_name.size() <= sim::kMaxBtText);
  FUZZ_CHECK(kTarget, state.bt_pin.size() <= sim::kMaxBtText);
  FUZZ_CHECK(kTarget, model.notes().size() <= sim::PrinterModel::kMaxNotes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t mode = input.Byte();
  const size_t piece = input.Byte() % 16 + 1;

  sim::PrinterConfig config;
  config.strict_setting_mode = (mode & 1) != 0;
  if ((mode & 2) != 0) config.firmware = sim::kOlderFirmware;
  sim::PrinterModel model(config);
  model.faults().split_pieces = (mode >> 2) % 4 + 1;
  model.faults().split_gap_ms = 3;
  model.faults().stale_model_reply = (mode & 0x10) != 0;
  if ((mode & 0x20) != 0) model.faults().drop_after_bytes = input.Byte();

  uint64_t now = 0;
  model.OnConnect(now);
  while (input.Remaining() > 0) {
    model.Receive(input.Take(piece), now);
    now += 7;
    while (!model.TakeDue(now, 64).empty()) {
    }
    CheckState(model);
  }
  // Everything still queued comes due in bounded time.
  for (int i = 0; i < 10000 && model.NextDueMs(); ++i) {
    now = *model.NextDueMs() > now ? *model.NextDueMs() : now;
    (void)model.TakeDue(now, 64);
  }
  FUZZ_CHECK(kTarget, !model.NextDueMs());
  CheckState(model);
  return 0;
}
