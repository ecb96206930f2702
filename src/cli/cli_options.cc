#include "cli/cli_options.h"

#include <charconv>
#include <set>

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

}  // namespace

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options,
                     std::string* error) {
  CliOptions parsed;
  std::vector<std::string> words;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    // Options with a value take it from the next argument or after '='.
    std::string name = arg;
    std::optional<std::string> inline_value;
    if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = arg.substr(0, eq);
      inline_value = arg.substr(eq + 1);
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inline_value) return inline_value;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto missing = [&]() {
      *error = name + " needs a value (see pelliset --help)";
      return false;
    };
    auto bad = [&](const std::string& v, const std::string& allowed) {
      *error = "bad value '" + v + "' for " + name + ": " + allowed;
      return false;
    };
    // Switches take no value: "--yes=no" must not read as yes.
    static const std::set<std::string> switches = {
        "--help", "--version", "--json", "--quiet", "--yes", "--dry-run", "-h", "-q", "-y", "-n"};
    if (inline_value && switches.count(name) != 0) {
      *error = name + " takes no value";
      return false;
    }
    if (name == "--help" || name == "-h") {
      parsed.help = true;
    } else if (name == "--version") {
      parsed.version = true;
    } else if (name == "--json") {
      parsed.json = true;
    } else if (name == "--quiet" || name == "-q") {
      parsed.quiet = true;
    } else if (name == "--yes" || name == "-y") {
      parsed.yes = true;
    } else if (name == "--dry-run" || name == "-n") {
      parsed.dry_run = true;
    } else if (name == "--printer" || name == "-p") {
      const auto v = value();
      if (!v) return missing();
      parsed.printers.push_back(*v);
    } else if (name == "--printers") {
      const auto v = value();
      if (!v) return missing();
      parsed.printer_files.push_back(*v);
    } else if (name == "--jobs" || name == "-j") {
      const auto v = value();
      if (!v) return missing();
      const auto n = Number<size_t>(*v, 1, 1000);
      if (!n) return bad(*v, "a number of printers at once, 1 to 1000");
      parsed.jobs = *n;
    } else if (name == "--format") {
      const auto v = value();
      if (!v) return missing();
      if (*v != "ini" && *v != "json") return bad(*v, "ini or json");
      parsed.format = *v;
    } else if (name == "--output" || name == "-o") {
      const auto v = value();
      if (!v) return missing();
      parsed.output_dir = *v;
    } else if (name == "--key" || name == "-k") {
      const auto v = value();
      if (!v) return missing();
      parsed.keys.push_back(*v);
    } else if (name == "--brightness") {
      const auto v = value();
      if (!v) return missing();
      const auto n = Number<int>(*v, 0, 100);
      if (!n) return bad(*v, "0 to 100");
      parsed.brightness = *n;
    } else if (name == "--scan") {
      const auto v = value();
      if (!v) return missing();
      parsed.scans.push_back(*v);
    } else if (name == "--scan-port") {
      const auto v = value();
      if (!v) return missing();
      const auto n = Number<uint16_t>(*v, 1, 65535);
      if (!n) return bad(*v, "a TCP port, 1 to 65535");
      parsed.scan_port = *n;
    } else if (name == "--scan-timeout") {
      const auto v = value();
      if (!v) return missing();
      const auto n = Number<uint32_t>(*v, 10, 60000);
      if (!n) return bad(*v, "milliseconds, 10 to 60000");
      parsed.scan_timeout_ms = *n;
    } else {
      *error = "unknown option " + arg + " (see pelliset --help)";
      return false;
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
         "  settings set FILE | KEY=VALUE...  [--dry-run]\n"
         "                                write what differs from the printer's settings\n"
         "  settings default --yes        restore the factory settings\n"
         "  logo list                     the key codes of the stored NV images\n"
         "  logo add FILE... [--key KC]... [--brightness 0-100]\n"
         "                                store BMP files as NV images\n"
         "  logo print KC | logo delete KC | logo delete-all --yes\n"
         "  firmware FILE --yes           send a firmware file\n"
         "  discover [--scan CIDR] [--scan-port P] [--scan-timeout MS]\n"
         "                                USB, serial and Bluetooth devices; printers on TCP/IP\n"
         "\n"
         "Printers:\n"
         "  -p, --printer ADDR   a printer (repeatable): tcp://10.0.0.5[:9100], /dev/usb/lp0,\n"
         "                       serial:/dev/ttyUSB0?baud=115200&parity=none&flow=dtr,\n"
         "                       bt:/dev/rfcomm0, COM3\n"
         "      --printers FILE  one address a line, # comments\n"
         "  -j, --jobs N         printers worked on at once (default 32)\n"
         "\n"
         "Output:\n"
         "      --json           one JSON object a line per printer (address, result, changed,\n"
         "                       message, duration, and the command's own fields)\n"
         "  -q, --quiet          no progress on standard error\n"
         "  -y, --yes            confirm a command that replaces what the printer holds\n"
         "  -n, --dry-run        settings set: show the differences, write nothing\n"
         "  -h, --help           this text;  --version  the version\n"
         "\n"
         "Exit status: 0 when every printer succeeded, 1 when any failed, 2 for a usage error\n"
         "or input refused before any printer was contacted.\n";
}

}  // namespace cli
