// bmp2nv: one BMP file -> the define command a download would send for it, so people can see
// what their logo becomes (and so the conversion can be measured on its own).
//
//   bmp2nv IN.bmp [--key KC] [--brightness B] [-o OUT]
//
// Exit status: 0 done, 1 the file could not be converted or written, 2 a usage error (an unknown
// option, a bad value, no input, or binary output bound for a terminal).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "nvimage/common_nv.h"
#include "nvimage/raster.h"
#include "pelliset_version.h"
#include "platform/image/bmp_decoder.h"
#include "platform/system/atomic_file.h"
#include "platform/system/command_line.h"
#include "platform/system/console.h"
#include "platform/system/standard_streams.h"

namespace {

constexpr char kUsage[] =
    "usage: bmp2nv IN.bmp [--key KC] [--brightness B] [-o OUT]\n"
    "  writes the printer's NV define command for IN.bmp (standard output without -o,\n"
    "  which must then be a file or a pipe, not a terminal)\n"
    "  --key KC            two printable characters, the key code (default 10)\n"
    "  --brightness B      0..100, strength of the thinning pattern (default 0)\n"
    "  -o, --output OUT    write to OUT\n"
    "  -h, --help          show this text and exit\n"
    "  --version           show the version and exit\n"
    "A value follows its option after a blank, after '=' (--key=AB) or joined to a short\n"
    "option (-oOUT); -- ends the options.\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "bmp2nv: %s\n", message.c_str());
  return 1;
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "bmp2nv: %s (see bmp2nv --help)\n", message.c_str());
  return 2;
}

constexpr platform::OptionRule kOptions[] = {
    {"--help", "-h", false},    {"--version", "", false}, {"--key", "", true},
    {"--brightness", "", true}, {"--output", "-o", true},
};

bool ParseBrightness(const char* text, int* value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < 0 || v > 100) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ValidKey(const std::string& key) {
  return key.size() == 2 && key[0] >= 0x20 && key[0] <= 0x7E && key[1] >= 0x20 && key[1] <= 0x7E;
}

}  // namespace

int main(int argc, char** argv) {
  platform::FillClosedStandardStreams();
  std::string in;
  std::string out;
  std::string key = "10";
  int brightness = 0;
  std::vector<platform::CommandLineItem> items;
  std::string error;
  if (!platform::SplitCommandLine(platform::ArgumentsOf(argc, argv), kOptions, &items, &error)) {
    return UsageError(error);
  }
  for (const platform::CommandLineItem& item : items) {
    const std::string_view option = item.option;
    if (option == "--help") {
      std::fputs(kUsage, stdout);
      return platform::FlushStandardOutput("bmp2nv") ? 0 : 1;
    } else if (option == "--version") {
      std::printf("bmp2nv (Pelliset) %s\n", PELLISET_VERSION_TEXT);
      return platform::FlushStandardOutput("bmp2nv") ? 0 : 1;
    } else if (option == "--key") {
      key = item.value;
      if (!ValidKey(key)) return UsageError("key code must be two printable characters: " + key);
    } else if (option == "--brightness") {
      if (!ParseBrightness(item.value.c_str(), &brightness)) {
        return UsageError("brightness must be 0 to 100: " + item.value);
      }
    } else if (option == "--output") {
      // Without -o the command goes to standard output; an empty name is a mistake, not that.
      if (item.value.empty()) return UsageError("--output needs a file name");
      out = item.value;
    } else if (in.empty()) {
      in = item.value;
    } else {
      return UsageError("one BMP file at a time; '" + item.value + "' is one too many");
    }
  }
  if (in.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // The define command is binary: on a terminal it would only garble the screen.
  if (out.empty() && platform::ClassifyFd(1) == platform::FdKind::kTerminal) {
    return UsageError(
        "will not write binary data to a terminal; give -o OUT or redirect the output");
  }

  std::string reason;
  auto bmp = platform::BmpDecoder::OpenFile(in, &reason);
  if (!bmp) return Fail(in + ": " + reason);
  reason =
      nv::StorageRefusal(static_cast<uint32_t>(bmp->width()), static_cast<uint32_t>(bmp->height()));
  if (reason.empty()) {
    // The NV managers and pelliset count a file this way before they download it.
    reason = nv::AreaRefusal(nv::EstimatedSize(static_cast<uint32_t>(bmp->width()),
                                               static_cast<uint32_t>(bmp->height())),
                             nv::CCommonNv::kAreaCapacity);
  }
  if (!reason.empty()) return Fail(in + ": " + reason);
  nv::Raster raster;
  if (!nv::ConvertRows(*bmp, brightness, &raster, &reason)) return Fail(in + ": " + reason);
  const std::vector<uint8_t> command =
      nv::DefineCommand(static_cast<uint8_t>(key[0]), static_cast<uint8_t>(key[1]), raster);

  if (!out.empty()) {
    const std::string_view bytes(reinterpret_cast<const char*>(command.data()), command.size());
    if (!platform::WriteFileOrDevice(out, bytes, &reason)) return Fail("cannot write " + reason);
    return 0;
  }
  if (std::fwrite(command.data(), 1, command.size(), stdout) != command.size() ||
      std::fflush(stdout) != 0) {
    return Fail(std::string("cannot write standard output: ") + std::strerror(errno));
  }
  return 0;
}
