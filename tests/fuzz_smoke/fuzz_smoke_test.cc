// Runs every fuzz target over its committed corpus and a few thousand deterministic variations of
// it, so the normal (and sanitizer) build catches a decoder crash or a broken invariant without a
// libFuzzer toolchain. A crash or a broken invariant ends this program; that is the failure.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int FuzzRegText(const uint8_t*, size_t);
extern "C" int FuzzResourcePack(const uint8_t*, size_t);
extern "C" int FuzzMoCatalog(const uint8_t*, size_t);
extern "C" int FuzzCommand(const uint8_t*, size_t);
extern "C" int FuzzTerminalKeys(const uint8_t*, size_t);
extern "C" int FuzzStateFile(const uint8_t*, size_t);
extern "C" int FuzzPrinterModel(const uint8_t*, size_t);
extern "C" int FuzzPrinterReply(const uint8_t*, size_t);
extern "C" int FuzzBmp(const uint8_t*, size_t);
extern "C" int FuzzKeyCodeReply(const uint8_t*, size_t);
extern "C" int FuzzSettingsCodec(const uint8_t*, size_t);
extern "C" int FuzzPrinterAddress(const uint8_t*, size_t);
extern "C" int FuzzPrintersFile(const uint8_t*, size_t);

namespace {

using Bytes = std::vector<uint8_t>;

struct Target {
  const char* name;  // its corpus folder under fuzz/corpus
  int (*run)(const uint8_t*, size_t);
  std::vector<std::string> tokens;  // pieces of the format worth splicing in
};

const Target kTargets[] = {
    {"reg_text",
     FuzzRegText,
     {"Windows Registry Editor Version 5.00\r\n", "[HKEY_LOCAL_MACHINE\\", "]\n", "\"=dword:",
      "=hex(7):", "=hex:", "\"=\"", "\\\\", "\\\"", ",\\\n  ", "[-HKEY_LOCAL_MACHINE\\", "=-"}},
    {"resource_pack",
     FuzzResourcePack,
     {"pelliset-pack 1\n", "string ", "caption ", " = ", "/", "\\n", "\\", "\r\n", "# c\n", "65535",
      "65536", "-1", "\xC3\xA9", "\xF0\x9F\x98\x80", "\xE2\x82"}},
    {"mo_catalog", FuzzMoCatalog, {"\xde\x12\x04\x95", "\x95\x04\x12\xde", "\x04", "\xff\xff"}},
    {"command",
     FuzzCommand,
     {"wait dialog ",
      "wait messagebox ",
      "click ",
      "select ",
      "extend ",
      "type ",
      "slide ",
      "answer Yes",
      "files ",
      "snapshot",
      "sysmenu ",
      "\"",
      "\\x",
      "\\",
      " ",
      ":",
      "1e309",
      "-0",
      "86401",
      "nan",
      "2147483648",
      "\n"}},
    {"terminal_keys",
     FuzzTerminalKeys,
     {"\x1b", "\x1b[", "\x1bO", "\x1b[<", ";", "M", "m", "~", "1;5A", "\x1b[3~", "\xC3", "\xE2\x82",
      "\x7f", "99999999999"}},
    {"state_file",
     FuzzStateFile,
     {"switch1 = ", "serial1 = ", "tear_off = ", "bt_name = ", "bt_pin = ", "sentinel1_start = ",
      "setting_mode = ", "\\x", "\\\\", "\n", " = ", "00001100", "65536", "#"}},
    {"printer_model",
     FuzzPrinterModel,
     {"\x1d\x49\x43", "\x1d\x49\x41", "\x1b\x4d\x49", "\x1d\x28\x45", "\x03", "\x01\x49\x4e",
      "\x04", "\x02\x4f\x55\x54", "\x1d\x28\x45\x03\x00", std::string("\x00", 1), "\xff"}},
    {"printer_reply",
     FuzzPrinterReply,
     {std::string("\x37\x20\x00", 3), "\x37\x21", "\x37\x42", "\x37\x80", "_TMQ-D550", "_KORVANE",
      "_TMQ-D550 Ver1.60 090216", std::string("\x00", 1), "\x5f", "\x37"}},
    {"bmp",
     FuzzBmp,
     {"BM", "BA", std::string("\x0c\x00\x00\x00", 4), std::string("\x28\x00\x00\x00", 4),
      std::string("\x40\x00\x00\x00", 4), std::string("\x7c\x00\x00\x00", 4),
      std::string("\x01\x00\x08\x00", 4), std::string("\x03\x00\x00\x00", 4),
      std::string("\x00\x00", 2), std::string("\x00\x01", 2), std::string("\x00\x02", 2),
      "\xff\xff\xff\x7f", std::string("\x00\xf8", 2), "\xe0\x07"}},
    {"key_code_reply",
     FuzzKeyCodeReply,
     {"\x37\x72\x40", "\x37\x72\x41", std::string("\x00", 1), "\x06", "\x18"}},
    {"settings_codec",
     FuzzSettingsCodec,
     {"format_version = 1\n",
      " = ",
      "\n",
      "\"",
      "#",
      ";",
      "\\x0D",
      "\\\\",
      "print.density",
      "serial.stop_bits",
      "serial.flow_control",
      "msr.track1.start",
      "bluetooth.name",
      "{",
      "}",
      "[",
      "]",
      "\"settings\": {",
      "\"format_version\": ",
      ": ",
      ", ",
      "1e400",
      "-1",
      "4294967296",
      "\\u00fc",
      "\xC3\xBC"}},
    {"printer_address",
     FuzzPrinterAddress,
     {"tcp://", "serial:", "bt:", "/dev/usb/lp", "/dev/rfcomm", "COM", ":", "?", "&", "=",
      "baud=9600", "parity=odd", "flow=dtr", "data=7", "stop=2", "127.0.0.1", "65536", " "}},
    {"printers_file",
     FuzzPrintersFile,
     {"\n", "\r\n", "#", " ", "tcp://127.0.0.1", ":9101", "/dev/usb/lp0", "bt:/dev/rfcomm0",
      "serial:/dev/ttyS0", "COM3", "nonsense\n"}},
};

// Inputs longer than this are cut: the decoders' limits are checked with the corpus.
constexpr size_t kMaxGenerated = 4096;
// Variations per target; the whole program stays within seconds under the sanitizers.
constexpr int kVariations = 5000;

std::vector<Bytes> LoadCorpus(const std::string& name) {
  std::vector<Bytes> inputs;
  const std::filesystem::path folder =
      std::filesystem::path(PELLISET_SOURCE_DIR) / "fuzz" / "corpus" / name;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());  // a fixed order keeps the variations reproducible
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return inputs;
}

// Deterministic variations: the engine's raw output only (distributions differ between
// standard libraries).
class Mutator {
 public:
  Mutator(const std::vector<Bytes>& corpus, const std::vector<std::string>& tokens)
      : corpus_(corpus), tokens_(tokens) {}

  Bytes Next() {
    Bytes input;
    if (Below(8) == 0 || corpus_.empty()) {
      input.resize(Below(256));
      for (auto& byte : input) byte = static_cast<uint8_t>(engine_());
    } else {
      input = corpus_[Below(corpus_.size())];
    }
    const size_t edits = 1 + Below(8);
    for (size_t i = 0; i < edits; ++i) Edit(input);
    if (input.size() > kMaxGenerated) input.resize(kMaxGenerated);
    return input;
  }

 private:
  size_t Below(size_t bound) { return bound == 0 ? 0 : engine_() % bound; }

  void Edit(Bytes& input) {
    const size_t at = Below(input.size() + 1);
    switch (Below(7)) {
      case 0:  // flip bits
        if (!input.empty()) input[Below(input.size())] ^= static_cast<uint8_t>(1u << Below(8));
        break;
      case 1:  // a random byte
        if (!input.empty()) input[Below(input.size())] = static_cast<uint8_t>(engine_());
        break;
      case 2:  // insert random bytes
        for (size_t n = 1 + Below(4); n > 0; --n) {
          input.insert(input.begin() + static_cast<std::ptrdiff_t>(at),
                       static_cast<uint8_t>(engine_()));
        }
        break;
      case 3: {  // delete a run
        const size_t n = std::min(input.size() - std::min(at, input.size()), 1 + Below(16));
        input.erase(input.begin() + static_cast<std::ptrdiff_t>(at),
                    input.begin() + static_cast<std::ptrdiff_t>(at + n));
        break;
      }
      case 4:  // truncate
        input.resize(at);
        break;
      case 5: {  // splice a format token in
        if (tokens_.empty()) break;
        const std::string& token = tokens_[Below(tokens_.size())];
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), token.begin(), token.end());
        break;
      }
      default: {  // repeat a piece of itself
        if (input.empty()) break;
        const size_t from = Below(input.size());
        const size_t n = std::min(input.size() - from, 1 + Below(64));
        const Bytes piece(input.begin() + static_cast<std::ptrdiff_t>(from),
                          input.begin() + static_cast<std::ptrdiff_t>(from + n));
        input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), piece.begin(), piece.end());
        break;
      }
    }
  }

  const std::vector<Bytes>& corpus_;
  const std::vector<std::string>& tokens_;
  std::mt19937 engine_{20261208u};
};

class FuzzSmoke : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzSmoke, CorpusRunsClean) {
  const Target& target = GetParam();
  const std::vector<Bytes> corpus = LoadCorpus(target.name);
  // A target without seeds would only ever see noise.
  ASSERT_GE(corpus.size(), 3u) << target.name;
  for (const Bytes& input : corpus) EXPECT_EQ(target.run(input.data(), input.size()), 0);
  EXPECT_EQ(target.run(nullptr, 0), 0);
}

TEST_P(FuzzSmoke, VariationsRunClean) {
  const Target& target = GetParam();
  const std::vector<Bytes> corpus = LoadCorpus(target.name);
  Mutator mutator(corpus, target.tokens);
  for (int i = 0; i < kVariations; ++i) {
    const Bytes input = mutator.Next();
    ASSERT_EQ(target.run(input.data(), input.size()), 0) << target.name << " variation " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Decoders, FuzzSmoke, ::testing::ValuesIn(kTargets), [](const auto& info) {
  std::string name = info.param.name;
  std::erase(name, '_');
  return name;
});

}  // namespace
