#include "cli/cli.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/discover.h"
#include "cli/file_input.h"
#include "cli/fleet.h"
#include "cli/fleet_limits.h"
#include "cli/host_names.h"
#include "cli/quote.h"
#include "cli/report.h"
#include "pelliset_version.h"
#include "platform/devices/com_names.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/fd_output.h"

namespace cli {
namespace {

// A printers file lists a fleet; anything larger is not one.
constexpr size_t kMaxPrinterFileBytes = 4 << 20;

bool CollectPrinters(const CliOptions& options, CliEnvironment& env, StandardInput* standard_input,
                     std::vector<PrinterAddress>* printers, std::string* error) {
  for (const std::string& text : options.printers) {
    std::optional<PrinterAddress> address = ParsePrinterAddress(text, error);
    if (!address) {
      *error = "--printer: " + *error;  // the error names the address
      return false;
    }
    printers->push_back(std::move(*address));
  }
  for (const std::string& file : options.printer_files) {
    std::string text;
    if (!ReadInputFile(file, kMaxPrinterFileBytes, standard_input, &text, error)) return false;
    std::vector<PrinterAddress> listed;
    if (!ParsePrinterList(text, InputName(file), &listed, error)) return false;
    printers->insert(printers->end(), listed.begin(), listed.end());
  }
  if (printers->empty()) {
    *error = "no printer given: --printer ADDR or --printers FILE (see pelliset --help)";
    return false;
  }
  // COMn goes to the device the dialog programs would open for it.
  for (PrinterAddress& address : *printers) {
    devlink::LinkSettings& link = address.link;
    if (link.interface > devlink::CDev::kInterfaceBluetooth || env.port_registry == nullptr)
      continue;
    if (link.port_name.rfind("COM", 0) != 0) continue;
    link.port_name = platform::ResolveComName(
        link.port_name, link.interface == devlink::CDev::kInterfaceBluetooth, *env.port_registry);
    // Unread, the registry's COMn mappings would silently give way to the default device: the
    // settings could go to another printer.
    if (const std::string why = env.port_registry->ReadError(); !why.empty()) {
      *error = address.text + ": the COM port names cannot be looked up: " + why;
      return false;
    }
  }
  // One printer twice, however it is written, would get two links that interleave their work.
  std::unordered_map<std::string, size_t> first;  // PrinterKey -> index
  for (size_t i = 0; i < printers->size(); ++i) {
    const auto [it, added] = first.emplace(PrinterKey((*printers)[i]), i);
    if (!added) {
      const std::string& again = (*printers)[i].text;
      const std::string& before = (*printers)[it->second].text;
      *error = "printer " + again +
               (again == before ? " is given twice" : " is the same as " + before) +
               "; each printer may be given once";
      return false;
    }
  }
  return true;
}

// "pelliset: " and the error for a person. Addresses, keys and file lines in it come from the
// user: a control character among them (an escape sequence) is shown as '?', not obeyed by the
// terminal.
void ReportError(std::ostream& err, const std::string& error) {
  err << "pelliset: " << ScreenSafe(error, /*keep_line_ends=*/true) << "\n";
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
      ReportError(env.err, "--scan " + cidr + ": " + error);
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
      {o.full, "--full", c == "settings set"},
      {o.yes, "--yes", c == "settings default" || c == "logo delete-all" || c == "firmware"},
      {o.format != "ini", "--format", c == "settings get"},
      {!o.output_dir.empty(), "--output", c == "settings get"},
      {!o.keys.empty(), "--key", c == "logo add"},
      {o.brightness.has_value(), "--brightness", c == "logo add"},
      {o.replace, "--replace", c == "logo add"},
      {o.missing_ok, "--missing-ok", c == "logo delete"},
      {!o.scans.empty(), "--scan", c == "discover"},
      {o.timeout_ms.has_value(), "--timeout", c != "discover"},
      {o.summary, "--summary", c != "discover"},
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

// Everything from the arguments to the last printer's outcome; the output's own failure is judged
// by RunCli.
int Run(const std::vector<std::string>& args, CliEnvironment& env) {
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(args, &options, &error)) {
    ReportError(env.err, error);
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
  if (options.summary && !options.json) {
    env.err << "pelliset: --summary goes with --json (the table's summary is always on standard "
               "error)\n";
    return kExitUsage;
  }
  if (!CheckOptionsApply(options, &error)) {
    ReportError(env.err, error);
    return kExitUsage;
  }
  if (options.command == "discover") return Discover(options, env);

  std::vector<PrinterAddress> printers;
  StandardInput standard_input(env.in);
  std::unique_ptr<ProgressBoard> board;
  std::optional<PrinterWork> work;
  try {
    if (!CollectPrinters(options, env, &standard_input, &printers, &error)) {
      ReportError(env.err, error);
      return kExitUsage;
    }
    board = std::make_unique<ProgressBoard>(env.err, options.quiet ? 0 : env.progress_columns,
                                            printers.size());
    const CommandSetup setup{options, board.get(), printers.size(), &standard_input};
    work = Prepare(setup, &error);
  } catch (const std::exception& e) {
    // Only input is handled up to here; whatever it ran into, no printer has been contacted.
    error = std::string("cannot go on: ") + e.what() + "; nothing was sent to any printer";
  }
  if (!work) {
    if (board) board->Flush();
    ReportError(env.err, error);
    return kExitUsage;
  }

  size_t address_width = 0;
  for (const PrinterAddress& p : printers) address_width = std::max(address_width, p.text.size());
  // A single printer's settings file goes out as it is, without the table around it.
  const bool bodies = printers.size() == 1 && !options.json;
  // Where the settings file is the whole of standard output, a failure's table goes to standard
  // error: `settings get > saved.ini` must never save a failure as settings.
  const bool body_only = bodies && options.command == "settings get" && options.output_dir.empty();
  Reporter reporter(body_only ? env.err : env.out, options.json, address_width, board.get(),
                    printers.size());
  bool header_written = false;
  auto done = [&](size_t index, const PrinterOutcome& outcome) {
    board->Finished(index, outcome.ok);
    if (bodies && outcome.ok && !outcome.body.empty()) {
      board->Write(env.out, outcome.body);
      // Without the table, its notes (values the printer did not report) go to standard error.
      for (const std::string& detail : outcome.details) {
        board->Write(env.err, "pelliset: " + detail + "\n");
      }
      return;
    }
    if (!header_written && bodies) {
      reporter.Begin();
      header_written = true;
    }
    reporter.Report(index, printers[index].text, outcome);
  };
  if (!bodies) reporter.Begin();
  auto with_start = [&](size_t index, const PrinterAddress& address, platform::Services& services) {
    board->Started(index);
    return (*work)(index, address, services);
  };
  platform::SystemHostResolver system_names;
  RunHostNames names(env.names != nullptr ? *env.names : system_names);
  RunEndpoints endpoints(printers);
  FleetOptions fleet;
  // Each name is looked up once a run, however many printers share it.
  std::set<std::string> names_to_look_up;
  for (const PrinterAddress& p : printers) {
    if (NeedsLookup(p)) names_to_look_up.insert(p.link.port_name);
  }
  const size_t host_names = names_to_look_up.size();
  const Concurrency concurrency =
      ChooseConcurrency(printers.size(), host_names, options.jobs, ReadSystemLimits());
  if (!concurrency.notice.empty()) board->Write(env.err, "pelliset: " + concurrency.notice + "\n");
  fleet.jobs = concurrency.jobs;
  fleet.timeout_ms = options.timeout_ms.value_or(0);
  fleet.writes = options.command != "identify" && options.command != "settings get" &&
                 options.command != "logo list";
  fleet.interrupted = env.watch_interrupts ? env.watch_interrupts() : nullptr;
  fleet.notice = [&](const std::string& text) {
    board->Write(env.err, "pelliset: " + text + "\n");
  };
  const std::vector<PrinterOutcome> outcomes =
      RunFleet(printers, fleet, env.make_services,
               WithHostNames(with_start, names, endpoints, fleet.writes), done);
  board->Flush();

  std::vector<std::string> addresses;
  addresses.reserve(printers.size());
  for (const PrinterAddress& p : printers) addresses.push_back(p.text);
  const RunSummary summary = Summarize(addresses, outcomes);
  if (options.json && options.summary) {
    env.out << SummaryJson(summary);
  } else if (!options.json && printers.size() > 1) {
    env.err << "pelliset: " << SummaryLine(summary) << "\n";
  }
  if (summary.interrupted + summary.not_run > 0) return kExitInterrupted;
  return summary.ok == summary.printers ? kExitOk : kExitPrinterFailed;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliEnvironment& env) {
  const int status = Run(args, env);
  env.out.flush();
  if (env.out) return status;
  const auto* fd_out = dynamic_cast<const platform::FdOutputStream*>(&env.out);
  if (fd_out == nullptr || fd_out->failure() != platform::OutputFailure::kClosedPipe) {
    env.err << "pelliset: the output could not be written"
            << (fd_out != nullptr ? ": " + fd_out->failure_text() : std::string()) << "\n";
  }
  return kExitOutputFailed;
}

}  // namespace cli
