#include "cli/cli_options.h"

#include <charconv>
#include <set>
#include <string_view>

#include "cli/fleet.h"
#include "platform/system/command_line.h"

namespace cli {
namespace {

template <typename T>
std::optional<T> Number(const std::string& text, T low, T high) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) return std::nullopt;
  return value;
}

// Commands of two words and the second words each first word takes.
const std::set<std::string>& TwoWordCommands() {
  static const std::set<std::string> commands = {
      "settings get", "settings set", "settings default", "logo list",
      "logo add",     "logo print",   "logo delete",      "logo delete-all",
  };
  return commands;
}

// Every option, and whether it takes a value.
constexpr platform::OptionRule kOptions[] = {
    {"--help", "-h", false},      {"--version", "", false}, {"--json", "", false},
    {"--quiet", "-q", false},     {"--yes", "-y", false},   {"--dry-run", "-n", false},
    {"--printer", "-p", true},    {"--printers", "", true}, {"--jobs", "-j", true},
    {"--format", "", true},       {"--output", "-o", true}, {"--key", "-k", true},
    {"--brightness", "", true},   {"--scan", "", true},     {"--scan-port", "", true},
    {"--scan-timeout", "", true}, {"--full", "", false},    {"--timeout", "", true},
    {"--summary", "", false},     {"--replace", "", false}, {"--missing-ok", "", false},
};

// Seconds with up to three decimals ("2", "0.5", "13.25") as milliseconds, in [low, high].
std::optional<uint64_t> SecondsAsMs(const std::string& text, double low, double high) {
  double seconds = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, seconds, std::chars_format::fixed);
  if (ec != std::errc() || ptr != end || !(seconds >= low && seconds <= high)) return std::nullopt;
  return static_cast<uint64_t>(seconds * 1000 + 0.5);
}

}  // namespace

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options,
                     std::string* error) {
  std::vector<platform::CommandLineItem> items;
  if (!platform::SplitCommandLine(args, kOptions, &items, error)) {
    *error += " (see pelliset --help)";
    return false;
  }
  CliOptions parsed;
  std::vector<std::string> words;
  for (const platform::CommandLineItem& item : items) {
    if (item.is_operand()) {
      words.push_back(item.value);
      continue;
    }
    const std::string_view name = item.option;
    const std::string& v = item.value;
    auto bad = [&](const std::string& allowed) {
      *error = "bad value '" + v + "' for " + std::string(name) + ": " + allowed;
      return false;
    };
    if (name == "--help") {
      parsed.help = true;
    } else if (name == "--version") {
      parsed.version = true;
    } else if (name == "--json") {
      parsed.json = true;
    } else if (name == "--quiet") {
      parsed.quiet = true;
    } else if (name == "--yes") {
      parsed.yes = true;
    } else if (name == "--dry-run") {
      parsed.dry_run = true;
    } else if (name == "--full") {
      parsed.full = true;
    } else if (name == "--printer") {
      parsed.printers.push_back(v);
    } else if (name == "--printers") {
      parsed.printer_files.push_back(v);
    } else if (name == "--jobs") {
      const auto n = Number<size_t>(v, 1, kMaxJobs);
      if (!n) return bad("a number of printers at once, 1 to " + std::to_string(kMaxJobs));
      parsed.jobs = *n;
    } else if (name == "--timeout") {
      const auto ms = SecondsAsMs(v, 0.1, 86400);
      if (!ms) return bad("seconds, 0.1 to 86400 (decimals allowed)");
      parsed.timeout_ms = *ms;
    } else if (name == "--summary") {
      parsed.summary = true;
    } else if (name == "--format") {
      if (v != "ini" && v != "json") return bad("ini or json");
      parsed.format = v;
    } else if (name == "--output") {
      parsed.output_dir = v;
    } else if (name == "--key") {
      parsed.keys.push_back(v);
    } else if (name == "--brightness") {
      const auto n = Number<int>(v, 0, 100);
      if (!n) return bad("0 to 100");
      parsed.brightness = *n;
    } else if (name == "--replace") {
      parsed.replace = true;
    } else if (name == "--missing-ok") {
      parsed.missing_ok = true;
    } else if (name == "--scan") {
      parsed.scans.push_back(v);
    } else if (name == "--scan-port") {
      const auto n = Number<uint16_t>(v, 1, 65535);
      if (!n) return bad("a TCP port, 1 to 65535");
      parsed.scan_port = *n;
    } else if (name == "--scan-timeout") {
      const auto n = Number<uint32_t>(v, 10, 60000);
      if (!n) return bad("milliseconds, 10 to 60000");
      parsed.scan_timeout_ms = *n;
    }
  }
  if (!words.empty()) {
    const std::string& first = words[0];
    if (first == "identify" || first == "firmware" || first == "discover") {
      parsed.command = first;
      parsed.arguments.assign(words.begin() + 1, words.end());
    } else if (first == "settings" || first == "logo") {
      if (words.size() < 2 || TwoWordCommands().count(first + " " + words[1]) == 0) {
        *error = first == "settings" ? "settings needs get, set or default (see pelliset --help)"
                                     : "logo needs list, add, print, delete or delete-all (see "
                                       "pelliset --help)";
        return false;
      }
      parsed.command = first + " " + words[1];
      parsed.arguments.assign(words.begin() + 2, words.end());
    } else {
      *error = "unknown command '" + first + "' (see pelliset --help)";
      return false;
    }
  } else if (!parsed.help && !parsed.version) {
    *error = "no command given (see pelliset --help)";
    return false;
  }
  *options = std::move(parsed);
  return true;
}

std::string UsageText() {
  return "Usage: pelliset [OPTIONS] COMMAND [ARGUMENTS]\n"
         "Configures TMQ-D550 printers from scripts, one printer or many at once.\n"
         "\n"
         "Commands:\n"
         "  identify                      model, maker, firmware version and generation\n"
         "  settings get [--format ini|json] [--output DIR]\n"
         "                                every setting, under readable keys\n"
         "  settings set FILE | KEY=VALUE...  [--dry-run] [--full]\n"
         "                                write what differs from the printer's settings\n"
         "                                (FILE - is standard input); reads and writes only\n"
         "                                the items the keys live in, --full every one\n"
         "  settings default --yes        restore the factory settings\n"
         "  logo list                     the key codes of the stored NV images\n"
         "  logo add FILE... [--key KC]... [--brightness 0-100] [--replace]\n"
         "                                store BMP files as NV images (--replace: over\n"
         "                                the images held under the --key codes)\n"
         "  logo delete KC [--missing-ok]\n"
         "                                delete one image (--missing-ok: a code the\n"
         "                                printer does not hold is no failure)\n"
         "  logo print KC | logo delete-all --yes\n"
         "  firmware FILE.fls --yes       send a firmware file\n"
         "  discover [--scan CIDR] [--scan-port P] [--scan-timeout MS]\n"
         "                                USB, serial and Bluetooth devices; printers on TCP/IP\n"
         "\n"
         "Printers:\n"
         "  -p, --printer ADDR   a printer (repeatable): tcp://192.0.2.5[:9100],\n"
         "                       tcp://[2001:db8::5]:9100, tcp://till-3.shop.example\n"
         "                       (a name is looked up once a run), /dev/usb/lp0,\n"
         "                       serial:/dev/ttyUSB0?baud=115200&parity=none&flow=dtr,\n"
         "                       bt:/dev/rfcomm0, COM3\n"
         "      --printers FILE  one address a line, # comments (FILE - is standard input)\n"
         "  -j, --jobs N         printers worked on at once (default: all of them, as far as\n"
         "                       open files, memory maps and memory allow; at most 100000)\n"
         "      --timeout S      each printer's time limit in seconds (decimals allowed); a\n"
         "                       printer that passes it fails and its link is closed\n"
         "\n"
         "Output:\n"
         "      --json           one JSON object a line per printer (address, result, changed,\n"
         "                       message, duration, and the command's own fields)\n"
         "      --summary        with --json: a last line {\"summary\": {counts, slowest}}\n"
         "                       (the table's summary always goes to standard error)\n"
         "  -q, --quiet          no progress on standard error\n"
         "  -y, --yes            confirm a command that replaces what the printer holds\n"
         "  -n, --dry-run        settings set: show the differences, write nothing\n"
         "  -h, --help           this text;  --version  the version\n"
         "Options go before or after the command, a value after a blank (--jobs 8, -j 8),\n"
         "after '=' (--jobs=8) or joined to a short option (-j8); -- ends the options.\n"
         "\n"
         "Exit status: 0 when every printer succeeded, 1 when any failed, 2 for a usage error\n"
         "or input refused before any printer was contacted, 3 when standard output could not\n"
         "be written (without a message when the reader closed the pipe), 130 when Ctrl-C or\n"
         "SIGTERM stopped the run: printers under way stop after their current step (a\n"
         "settings write leaves setting mode; firmware under way is sent to its end), the\n"
         "rest are not run; a second Ctrl-C ends at once.\n";
}

}  // namespace cli
