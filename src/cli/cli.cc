#include "cli/cli.h"

#include <algorithm>
#include <optional>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/discover.h"
#include "cli/file_input.h"
#include "cli/fleet.h"
#include "cli/report.h"
#include "pelliset_version.h"
#include "platform/com_names.h"
#include "platform/memory_registry.h"

namespace cli {
namespace {

// A printers file lists a fleet; anything larger is not one.
constexpr size_t kMaxPrinterFileBytes = 4 << 20;

bool CollectPrinters(const CliOptions& options, CliEnvironment& env,
                     std::vector<PrinterAddress>* printers, std::string* error) {
  for (const std::string& text : options.printers) {
    std::optional<PrinterAddress> address = ParsePrinterAddress(text, error);
    if (!address) {
      *error = "--printer " + text + ": " + *error;
      return false;
    }
    printers->push_back(std::move(*address));
  }
  for (const std::string& file : options.printer_files) {
    std::string text;
    if (!ReadWholeFile(file, kMaxPrinterFileBytes, &text, error)) return false;
    std::vector<PrinterAddress> listed;
    if (!ParsePrinterList(text, file, &listed, error)) return false;
    printers->insert(printers->end(), listed.begin(), listed.end());
  }
  if (printers->empty()) {
    *error = "no printer given: --printer ADDR or --printers FILE (see pelliset --help)";
    return false;
  }
  // COMn goes to the device the dialog programs would open for it.
  for (PrinterAddress& address : *printers) {
    if (address.interface > CDev::kInterfaceBluetooth || env.port_registry == nullptr) continue;
    if (address.port_name.rfind("COM", 0) != 0) continue;
    address.port_name = platform::ResolveComName(
        address.port_name, address.interface == CDev::kInterfaceBluetooth, *env.port_registry);
  }
  // One printer twice, however it is written, would get two links that interleave their work.
  auto same_printer = [](const PrinterAddress& a, const PrinterAddress& b) {
    if (a.port_name != b.port_name) return false;
    const bool a_tcp = a.interface == CDev::kInterfaceTcp;
    const bool b_tcp = b.interface == CDev::kInterfaceTcp;
    return a_tcp == b_tcp && (!a_tcp || a.baud_rate == b.baud_rate);
  };
  for (size_t i = 0; i < printers->size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (same_printer((*printers)[i], (*printers)[j])) {
        *error = "printer " + (*printers)[i].text + " is the same as " + (*printers)[j].text;
        return false;
      }
    }
  }
  return true;
}

int Discover(const CliOptions& options, CliEnvironment& env) {
  if (!options.arguments.empty() || !options.printers.empty() || !options.printer_files.empty()) {
    env.err << "pelliset: discover takes no printers or arguments (--scan CIDR to search TCP/IP)\n";
    return kExitUsage;
  }
  std::vector<DiscoveredPrinter> found;
  {
    std::unique_ptr<PrinterServices> services = env.make_services(PrinterAddress{});
    found = DiscoverLocal(services->services(), env.dev_root, env.sysfs_root);
  }
  for (const std::string& cidr : options.scans) {
    ScanOptions scan;
    scan.cidr = cidr;
    if (options.scan_port) scan.port = *options.scan_port;
    if (options.scan_timeout_ms) scan.timeout_ms = *options.scan_timeout_ms;
    if (options.jobs) scan.jobs = static_cast<int>(std::min<size_t>(*options.jobs, kMaxScanJobs));
    std::string error;
    std::vector<DiscoveredPrinter> hits = ScanTcp(scan, &error);
    if (!error.empty()) {
      env.err << "pelliset: --scan " << cidr << ": " << error << "\n";
      return kExitUsage;
    }
    found.insert(found.end(), hits.begin(), hits.end());
  }
  for (const DiscoveredPrinter& printer : found) {
    if (options.json) {
      nlohmann::ordered_json line = {{"address", printer.address}, {"kind", printer.kind}};
      if (!printer.model.empty()) line["model"] = printer.model;
      if (!printer.maker.empty()) line["maker"] = printer.maker;
      if (!printer.firmware.empty()) line["firmware"] = printer.firmware;
      if (!printer.note.empty()) line["note"] = printer.note;
      env.out << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << "\n";
    } else {
      env.out << FormatDiscovered(printer) << "\n";
    }
  }
  env.out.flush();
  return kExitOk;
}

// An option a command does not use is refused rather than ignored: --dry-run on a delete must not
// delete.
bool CheckOptionsApply(const CliOptions& o, std::string* error) {
  const std::string& c = o.command;
  struct Use {
    bool given;
    const char* option;
    bool applies;
  };
  const Use uses[] = {
      {o.dry_run, "--dry-run", c == "settings set"},
      {o.yes, "--yes", c == "settings default" || c == "logo delete-all" || c == "firmware"},
      {o.format != "ini", "--format", c == "settings get"},
      {!o.output_dir.empty(), "--output", c == "settings get"},
      {!o.keys.empty(), "--key", c == "logo add"},
      {o.brightness.has_value(), "--brightness", c == "logo add"},
      {!o.scans.empty(), "--scan", c == "discover"},
      {o.scan_port.has_value(), "--scan-port", c == "discover"},
      {o.scan_timeout_ms.has_value(), "--scan-timeout", c == "discover"},
  };
  for (const Use& use : uses) {
    if (use.given && !use.applies) {
      *error = std::string(use.option) + " does not apply to " + c;
      return false;
    }
  }
  return true;
}

std::optional<PrinterWork> Prepare(const CommandSetup& setup, std::string* error) {
  const std::string& command = setup.options.command;
  if (command == "identify") return PrepareIdentify(setup, error);
  if (command == "settings get") return PrepareSettingsGet(setup, error);
  if (command == "settings set") return PrepareSettingsSet(setup, error);
  if (command == "settings default") return PrepareSettingsDefault(setup, error);
  if (command == "firmware") return PrepareFirmware(setup, error);
  return PrepareLogo(setup, error);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(args, &options, &error)) {
    env.err << "pelliset: " << error << "\n";
    return kExitUsage;
  }
  if (options.help) {
    env.out << UsageText();
    return kExitOk;
  }
  if (options.version) {
    env.out << "pelliset (Pelliset) " << PELLISET_VERSION_TEXT << "\n";
    return kExitOk;
  }
  if (!CheckOptionsApply(options, &error)) {
    env.err << "pelliset: " << error << "\n";
    return kExitUsage;
  }
  if (options.command == "discover") return Discover(options, env);

  std::vector<PrinterAddress> printers;
  if (!CollectPrinters(options, env, &printers, &error)) {
    env.err << "pelliset: " << error << "\n";
    return kExitUsage;
  }
  ProgressBoard board(env.err, env.err_is_terminal && !options.quiet, printers.size());
  const CommandSetup setup{options, &board, printers.size()};
  std::optional<PrinterWork> work = Prepare(setup, &error);
  if (!work) {
    env.err << "pelliset: " << error << "\n";
    return kExitUsage;
  }

  size_t address_width = 0;
  for (const PrinterAddress& p : printers) address_width = std::max(address_width, p.text.size());
  Reporter reporter(env.out, options.json, address_width, &board);
  // A single printer's settings file goes out as it is, without the table around it.
  const bool bodies = printers.size() == 1 && !options.json;
  bool header_written = false;
  auto done = [&](size_t index, const PrinterOutcome& outcome) {
    board.Finished(index, outcome.ok);
    if (bodies && outcome.ok && !outcome.body.empty()) {
      board.Write(env.out, outcome.body);
      return;
    }
    if (!header_written && bodies) {
      reporter.Begin();
      header_written = true;
    }
    reporter.Report(printers[index].text, outcome);
  };
  if (!bodies) reporter.Begin();
  auto with_start = [&](size_t index, const PrinterAddress& address, platform::Services& services) {
    board.Started(index);
    return (*work)(index, address, services);
  };
  const std::vector<PrinterOutcome> outcomes =
      RunFleet(printers, options.jobs.value_or(kDefaultJobs), env.make_services, with_start, done);
  const bool all_ok =
      std::all_of(outcomes.begin(), outcomes.end(), [](const PrinterOutcome& o) { return o.ok; });
  if (!all_ok && !options.json && printers.size() > 1) {
    const auto failed = std::count_if(outcomes.begin(), outcomes.end(),
                                      [](const PrinterOutcome& o) { return !o.ok; });
    env.err << "pelliset: " << failed << " of " << printers.size() << " printers failed\n";
  }
  env.out.flush();
  if (!env.out) {
    env.err << "pelliset: the output could not be written (a full disk or a closed pipe?)\n";
    return kExitPrinterFailed;
  }
  return all_ok ? kExitOk : kExitPrinterFailed;
}

}  // namespace cli
