// printer-sim: a virtual TMQ-D550 on a TCP port, for trying the programs without hardware and for
// integration tests.

#include <signal.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pelliset_version.h"
#include "platform/system/command_line.h"
#include "platform/system/standard_streams.h"
#include "sim/background.h"
#include "sim/fleet.h"
#include "sim/printer_model.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: printer-sim [OPTION]...\n"
               "A virtual TMQ-D550 receipt printer that answers the printer protocol on TCP.\n"
               "\n"
               "  --port N              TCP port (default 9100; 0 picks a free port)\n"
               "  --count N             serve N printers (1-10000), each with settings of its own, "
               "on\n"
               "                        ports PORT to PORT+N-1; needs --port PORT (not 0); the "
               "other\n"
               "                        options apply to every printer; each printer takes two "
               "open\n"
               "                        files (its port and its client): printer-sim raises its "
               "limit\n"
               "                        to the hard limit and says when that is too low (ulimit "
               "-n)\n"
               "  --bind ADDR           IPv4 or IPv6 address to listen on (default 127.0.0.1)\n"
               "  --log FILE            hex traffic log, one line per chunk (\"-\" = standard "
               "output);\n"
               "                        with --count each line starts with the printer's port\n"
               "  --state FILE          load the printer's settings and logos from FILE if\n"
               "                        present; save them two seconds after a change, when\n"
               "                        the client leaves and on exit\n"
               "  --state-dir DIR       the same with one file per printer: "
               "DIR/printer-PORT.state\n"
               "  --model NAME          model name (default TMQ-D550)\n"
               "  --firmware-version TEXT firmware version text\n"
               "  --generation old|new  firmware of the older or newer generation (default new)\n"
               "  --maker NAME          maker name (default KORVANE)\n"
               "  --code-page TEXT      code page text (default PC437)\n"
               "  --msr N               MSR setting the open check reports, 0-255 (default 6)\n"
               "  --reply-delay MS      normal reply time (default 5)\n"
               "  --strict-setting-mode ignore setting writes outside setting mode\n"
               "  --nv-keys-per-block N key codes per block of the NV key code list (default "
               "127)\n"
               "  --nv-dir DIR          show the NV images as PNG files in DIR: nv-<key code>.png "
               "for\n"
               "                        each stored image, roll.png for the paper with every "
               "printed image\n"
               "                        (with --count in DIR/PORT/ for each printer)\n"
               "  --firmware FILE       firmware download mode: every byte received is "
               "firmware,\n"
               "                        appended to FILE (emptied at start); no commands are "
               "parsed;\n"
               "                        one printer only\n"
               "  --background          once listening, go on serving in the background: "
               "print the\n"
               "                        process id (stop it with kill PID) and return; "
               "non-zero,\n"
               "                        with the reason, when it cannot listen\n"
               "Faults:\n"
               "  --silent              answer nothing\n"
               "  --silent-for CMD      answer nothing to CMD (repeatable)\n"
               "  --delay MS            answer MS later than normal\n"
               "  --split N             send each answer in N pieces\n"
               "  --split-gap MS        time between pieces (default 100)\n"
               "  --wrong-header        change the first byte of each answer\n"
               "  --stale-model-reply   send a leftover 37 20 00 before the model answer\n"
               "  --drop-after N        close the connection after receiving N bytes\n"
               "  --faults-for CMD      limit --delay, --split and --wrong-header to CMD "
               "(repeatable)\n"
               "  --help                show this text\n"
               "  --version             show the version\n"
               "CMD is one of: %s\n",
               sim::AllCommandNames().c_str());
}

std::optional<uint64_t> ParseNumber(const char* text, uint64_t max) {
  if (text == nullptr || *text < '0' || *text > '9') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || value > max) return std::nullopt;
  return value;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "printer-sim: %s\n", message.c_str());
  return 2;
}

// Every option; all but the switches take a value.
constexpr platform::OptionRule kOptions[] = {
    {"--help", "", false},
    {"--version", "", false},
    {"--port", "", true},
    {"--count", "", true},
    {"--bind", "", true},
    {"--log", "", true},
    {"--state", "", true},
    {"--state-dir", "", true},
    {"--model", "", true},
    {"--firmware", "", true},
    {"--maker", "", true},
    {"--firmware-version", "", true},
    {"--code-page", "", true},
    {"--generation", "", true},
    {"--nv-dir", "", true},
    {"--msr", "", true},
    {"--reply-delay", "", true},
    {"--delay", "", true},
    {"--split-gap", "", true},
    {"--nv-keys-per-block", "", true},
    {"--split", "", true},
    {"--drop-after", "", true},
    {"--silent-for", "", true},
    {"--faults-for", "", true},
    {"--silent", "", false},
    {"--wrong-header", "", false},
    {"--stale-model-reply", "", false},
    {"--strict-setting-mode", "", false},
    {"--background", "", false},
};

}  // namespace

int main(int argc, char** argv) {
  platform::FillClosedStandardStreams();
  sim::FleetOptions options;
  sim::PrinterConfig& config = options.config;
  sim::Faults& faults = options.faults;
  faults.split_gap_ms = 100;
  bool background = false;

  std::vector<platform::CommandLineItem> items;
  std::string split_error;
  if (!platform::SplitCommandLine(platform::ArgumentsOf(argc, argv), kOptions, &items,
                                  &split_error)) {
    return Fail(split_error + " (see --help)");
  }
  for (const platform::CommandLineItem& item : items) {
    if (item.is_operand()) return Fail("unexpected argument '" + item.value + "' (see --help)");
    const std::string_view option = item.option;
    auto value = [&]() -> const char* { return item.value.c_str(); };
    auto number = [&](uint64_t max) -> std::optional<uint64_t> {
      const char* text = value();
      return ParseNumber(text, max);
    };
    auto bad = [&]() {
      return Fail("bad or missing value for " + std::string(option) + " (see --help)");
    };
    auto command = [&]() -> std::optional<sim::Command> {
      const char* text = value();
      return text ? sim::CommandFromName(text) : std::nullopt;
    };
    if (option == "--help") {
      PrintUsage(stdout);
      return platform::FlushStandardOutput("printer-sim") ? 0 : 2;
    } else if (option == "--version") {
      std::printf("printer-sim (Pelliset) %s\n", PELLISET_VERSION_TEXT);
      return platform::FlushStandardOutput("printer-sim") ? 0 : 2;
    } else if (option == "--port") {
      const auto n = number(65535);
      if (!n) return bad();
      options.first_port = static_cast<uint16_t>(*n);
    } else if (option == "--count") {
      const auto n = number(sim::kMaxFleetSize);
      if (!n || *n == 0) return bad();
      options.count = static_cast<uint32_t>(*n);
      options.fleet = true;
    } else if (option == "--bind" || option == "--log" || option == "--state" ||
               option == "--state-dir" || option == "--model" || option == "--firmware" ||
               option == "--maker" || option == "--firmware-version" || option == "--code-page" ||
               option == "--generation" || option == "--nv-dir") {
      const char* text = value();
      if (text == nullptr || (option == "--state-dir" && *text == '\0')) return bad();
      if (option == "--bind") options.bind_address = text;
      if (option == "--log") options.log_path = text;
      if (option == "--state") options.state_path = text;
      if (option == "--state-dir") options.state_dir = text;
      if (option == "--nv-dir") options.nv_dir = text;
      if (option == "--model") config.model = text;
      if (option == "--firmware") options.firmware_path = text;
      if (option == "--firmware-version") config.firmware = text;
      if (option == "--maker") config.maker = text;
      if (option == "--code-page") config.code_page = text;
      if (option == "--generation") {
        const std::string_view generation = text;
        if (generation == "old") {
          config.firmware = sim::kOlderFirmware;
        } else if (generation == "new") {
          config.firmware = sim::kNewerFirmware;
        } else {
          return bad();
        }
      }
    } else if (option == "--msr") {
      const auto n = number(255);
      if (!n) return bad();
      config.open_check_value = static_cast<uint8_t>(*n);
    } else if (option == "--reply-delay" || option == "--delay" || option == "--split-gap") {
      const auto n = number(600000);
      if (!n) return bad();
      if (option == "--reply-delay") config.reply_delay_ms = static_cast<uint32_t>(*n);
      if (option == "--delay") faults.extra_delay_ms = static_cast<uint32_t>(*n);
      if (option == "--split-gap") faults.split_gap_ms = static_cast<uint32_t>(*n);
    } else if (option == "--nv-keys-per-block") {
      const auto n = number(65535);
      if (!n || *n == 0) return bad();
      config.nv_keys_per_block = static_cast<uint32_t>(*n);
    } else if (option == "--split") {
      const auto n = number(1000);
      if (!n || *n == 0) return bad();
      faults.split_pieces = static_cast<uint32_t>(*n);
    } else if (option == "--drop-after") {
      const auto n = number(UINT64_MAX);
      if (!n) return bad();
      faults.drop_after_bytes = *n;
    } else if (option == "--silent-for" || option == "--faults-for") {
      const auto c = command();
      if (!c) return bad();
      (option == "--silent-for" ? faults.silent_for : faults.only).insert(*c);
    } else if (option == "--silent") {
      faults.silent = true;
    } else if (option == "--wrong-header") {
      faults.wrong_header = true;
    } else if (option == "--stale-model-reply") {
      faults.stale_model_reply = true;
    } else if (option == "--strict-setting-mode") {
      config.strict_setting_mode = true;
    } else if (option == "--background") {
      background = true;
    }
  }

  if (background && options.log_path == "-") {
    return Fail("--log - writes to standard output, which --background lets go; give --log FILE");
  }

  std::string error;
  sim::Fleet fleet(options, [](const std::string& message) {
    std::fprintf(stderr, "printer-sim: %s\n", message.c_str());
  });
  if (!fleet.Start(&error)) return Fail(error);
  // An IPv6 address in brackets, so the port stands apart from its colons.
  const std::string shown_address = options.bind_address.find(':') == std::string::npos
                                        ? options.bind_address
                                        : "[" + options.bind_address + "]";
  // The ports listen before the fork, so by the time the command returns a client can connect,
  // and a port that is taken ends the command itself with the reason.
  if (background) {
    const int pid = sim::ContinueInBackground(&error);
    if (pid < 0) return Fail(error);
    if (pid > 0) {
      for (const uint16_t port : fleet.Ports()) {
        std::fprintf(stderr, "printer-sim listening on %s:%u\n", shown_address.c_str(),
                     static_cast<unsigned>(port));
      }
      std::fprintf(stderr,
                   "printer-sim runs in the background as process %d; stop it with: kill %d\n", pid,
                   pid);
      std::printf("%d\n", pid);
      std::fflush(nullptr);
      // The sockets and files now belong to the child: leave without closing or saving anything.
      std::_Exit(0);
    }
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a signal interrupts poll at once
  // SIGHUP: its terminal closed; stopped as for Ctrl-C, the state saved. A signal ignored from
  // the start stays ignored: a printer started under nohup outlives the session.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  platform::IgnoreBrokenPipes();

  for (const uint16_t port : fleet.Ports()) {
    std::printf("printer-sim listening on %s:%u\n", shown_address.c_str(),
                static_cast<unsigned>(port));
  }
  std::fflush(stdout);

  const bool saved = fleet.Serve(g_stop);
  std::printf("printer-sim stopped\n");
  std::fflush(stdout);
  return saved ? 0 : 1;
}
