// The terminal's key decoder, fed in pieces as reads deliver them. Every event it gives has a
// name, a character event carries its bytes, and once the terminal is idle (and an unfinished
// paste given up) it drains completely.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "ui/terminal/terminal_keys.h"

namespace {

constexpr char kTarget[] = "terminal_keys";

// Takes events until none is ready; a decoder that keeps giving events without taking bytes
// would hang the host, so the count is bounded by the bytes fed.
void Drain(ui::KeyDecoder& decoder, bool idle, size_t fed) {
  size_t events = 0;
  ui::KeyEvent event;
  while (decoder.Next(&event, idle)) {
    FUZZ_CHECK(kTarget, ++events <= fed + 1);
    FUZZ_CHECK(kTarget, !ui::KeyName(event).empty());
    if (event.key == ui::Key::kChar) FUZZ_CHECK(kTarget, !event.text.empty());
    if (event.key == ui::Key::kMouse) FUZZ_CHECK(kTarget, event.x >= 0 && event.y >= 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const size_t piece = input.Byte() % 8 + 1;
  const bool idle_between = (input.Byte() & 1) != 0;
  ui::KeyDecoder decoder;
  size_t fed = 0;
  while (input.Remaining() > 0) {
    const auto bytes = input.Take(piece);
    decoder.Feed(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    fed += bytes.size();
    Drain(decoder, idle_between, fed);
  }
  Drain(decoder, true, fed);
  // A paste whose end mark never came is given up once the terminal stays quiet, as the host does.
  if (decoder.InPaste()) {
    decoder.EndPaste();
    Drain(decoder, true, fed);
  }
  FUZZ_CHECK(kTarget, !decoder.Pending());
  return 0;
}
