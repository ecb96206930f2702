// A printers file. A refused file leaves the list alone and names at most the first few bad lines
// (and a count); an accepted one lists no printer twice, each address as the file wrote it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "cli/printer_address.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kTarget[] = "printers_file";
  const std::string_view text = fuzz::AsText(data, size);
  std::vector<cli::PrinterAddress> list(1);
  std::string error;
  if (!cli::ParsePrinterList(text, "p.txt", &list, &error)) {
    FUZZ_CHECK(kTarget, list.size() == 1);
    FUZZ_CHECK(kTarget, error.starts_with("p.txt"));
    // The named lines and one count; a message never grows with the file.
    const auto lines = static_cast<size_t>(std::count(error.begin(), error.end(), '\n')) + 1;
    FUZZ_CHECK(kTarget, lines <= cli::kMaxReportedBadLines + 1);
    return 0;
  }
  FUZZ_CHECK(kTarget, !list.empty());
  std::set<std::string> keys;
  for (const cli::PrinterAddress& address : list) {
    FUZZ_CHECK(kTarget, keys.insert(cli::PrinterKey(address)).second);
    FUZZ_CHECK(kTarget, text.find(address.text) != std::string_view::npos);
  }
  return 0;
}
