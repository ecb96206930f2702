// The BMP decoder. Whatever it opens must hand out each row exactly once, numbered inside the
// picture, with pixels to read, and stop either cleanly or with a reason; reading every byte of
// every row lets the sanitizers see any write or read past the row. The same file then goes
// through the stretch, which reads raw rows, and must end the same way.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/image/bmp_decoder.h"
#include "platform/image/row_stretch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "bmp";
  // Large pictures only cost time here; their size checks are exercised by the corpus anyway.
  constexpr uint64_t kMaxFuzzPixels = 1'000'000;

  std::string reason;
  std::unique_ptr<platform::BmpDecoder> bmp =
      platform::BmpDecoder::Open(platform::MemorySource(data, size), &reason);
  if (bmp == nullptr) {
    FUZZ_CHECK(kTarget, !reason.empty());
    return 0;
  }
  const int width = bmp->width();
  const int height = bmp->height();
  FUZZ_CHECK(kTarget, width > 0 && width <= platform::kBmpMaxSide);
  FUZZ_CHECK(kTarget, height > 0 && height <= platform::kBmpMaxSide);
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxFuzzPixels) return 0;

  std::vector<bool> seen(static_cast<size_t>(height), false);
  int rows = 0;
  uint64_t sum = 0;  // every byte read, so the sanitizers see any read past the row
  int y = -1;
  const uint8_t* rgb = nullptr;
  while (bmp->NextRow(&y, &rgb)) {
    FUZZ_CHECK(kTarget, y >= 0 && y < height);
    FUZZ_CHECK(kTarget, !seen[static_cast<size_t>(y)]);
    FUZZ_CHECK(kTarget, rgb != nullptr);
    seen[static_cast<size_t>(y)] = true;
    ++rows;
    for (size_t i = 0; i < static_cast<size_t>(width) * 3; ++i) sum += rgb[i];
  }
  // A clean end means every row came; an early end says why.
  FUZZ_CHECK(kTarget, !bmp->error().empty() || rows == height);
  FUZZ_CHECK(kTarget, bmp->error().empty() || rows < height);
  // Once finished it stays finished.
  FUZZ_CHECK(kTarget, !bmp->NextRow(&y, &rgb));
  FUZZ_CHECK(kTarget, sum <= static_cast<uint64_t>(rows) * static_cast<uint64_t>(width) * 3 * 255);

  // Shrunk both ways (the raw rows ANDed), or grown one way and shrunk the other.
  const int target_w = size % 3 == 1 ? width + 5 : width / 3 + 1;
  const int target_h = size % 3 == 2 ? height + 3 : height / 2 + 1;
  bmp = platform::BmpDecoder::Open(platform::MemorySource(data, size), &reason);
  FUZZ_CHECK(kTarget, bmp != nullptr);
  std::vector<bool> target_seen(static_cast<size_t>(target_h), false);
  const bool complete =
      platform::StretchRows(*bmp, target_w, target_h, [&](int ty, const uint8_t* p) {
        FUZZ_CHECK(kTarget, ty >= 0 && ty < target_h && !target_seen[static_cast<size_t>(ty)]);
        target_seen[static_cast<size_t>(ty)] = true;
        for (size_t i = 0; i < static_cast<size_t>(target_w) * 3; ++i) sum += p[i];
      });
  FUZZ_CHECK(kTarget, complete == (rows == height));
  return 0;
}
