// The compiled catalog reader: a catalog either parses or is refused as a whole, never reading
// outside the bytes it was given (the sanitizers watch that). What it accepts is bounded by them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/system/mo_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = fuzz::AsText(data, size);
  const auto catalog = platform::ParseMoCatalog(bytes);
  if (!catalog) return 0;
  FUZZ_CHECK("mo_catalog", size <= platform::kMaxCatalogBytes);
  for (const auto& [context, translation] : *catalog) {
    FUZZ_CHECK("mo_catalog", context.size() < size && translation.size() < size);
    FUZZ_CHECK("mo_catalog", context.find('\x04') == std::string_view::npos);
  }
  return 0;
}
