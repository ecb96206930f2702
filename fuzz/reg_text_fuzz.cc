// The registry file's text parser. Whatever it accepts must write back as text that parses to the
// same tree, clean, and writing that again must give the very same text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/registry/reg_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "reg_text";
  const platform::RegTextParse first = platform::ParseRegText(fuzz::AsText(data, size));
  FUZZ_CHECK(kTarget, first.bad_lines >= 0);
  FUZZ_CHECK(kTarget, first.bad_lines == 0 || first.damaged);

  const std::string written = platform::FormatRegText(first.tree);
  const platform::RegTextParse second = platform::ParseRegText(written);
  FUZZ_CHECK(kTarget, !second.damaged);
  FUZZ_CHECK(kTarget, second.tree == first.tree);
  FUZZ_CHECK(kTarget, platform::FormatRegText(second.tree) == written);
  return 0;
}
