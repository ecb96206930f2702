// deskutil: the desktop program. Settings come from the registry file and the locale; the
// command line only adds resource packs (--pack) or asks for --help and --version.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "desktop/app.h"
#include "desktop/desktop_resources.h"
#include "desktop/language_packs.h"
#include "link/discovery_logs.h"
#include "pelliset_version.h"
#include "platform/devices/posix_device_factory.h"
#include "platform/registry/file_registry.h"
#include "platform/system/clock.h"
#include "platform/system/language.h"
#include "platform/system/services.h"
#include "platform/system/standard_streams.h"
#include "platform/system/trace.h"
#include "ui/core/string_table.h"
#include "ui/host_choice.h"
#include "ui/program_options.h"

namespace {

constexpr char kProgram[] = "deskutil";

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: %s [--gui | --terminal] [--pack FILE]...\n"
               "       %s --help | --version\n"
               "Configures TMQ-D550 printers: settings, NV logo images, firmware.\n"
               "\n"
               "From a terminal it shows its dialogs there; started from a desktop it opens\n"
               "windows. With commands on standard input (a pipe or a file, one command a\n"
               "line) it runs them and reports every dialog as a line of JSON on standard\n"
               "output, for example:\n"
               "  printf 'wait dialog 102\\nsnapshot\\nclick 1\\n' | %s\n"
               "\n"
               "The communication setting is kept in $XDG_CONFIG_HOME/pelliset/registry.reg\n"
               "(~/.config/pelliset/registry.reg); the language follows the locale.\n"
               "\n"
               "  --gui        open windows (needs a display)\n"
               "  --terminal   use the terminal even where windows could open\n"
               "  --pack FILE  lay the resource pack FILE over the language (texts, controls\n"
               "               shown or enabled); may be given again, later packs win\n"
               "  --help       show this text and exit\n"
               "  --version    show the version and exit\n",
               kProgram, kProgram, kProgram);
}

// Runs the application under the host that fits the standard streams; the one place that knows
// which hosts exist. USB discovery's lines go where they cannot disturb the host: the automation
// protocol owns standard output, so they go to standard error; a full-screen host owns the
// terminal, so they go to the trace sink.
int RunUnderHost(platform::Clock& clock, platform::Services& services,
                 std::vector<ui::ResourcePack> packs, ui::HostPreference preference) {
  platform::FdTrace standard_error(2);
  const ui::HostChoice choice = ui::CurrentHostChoice(preference);
  devlink::TraceDiscoveryLog discovery_log(choice == ui::HostChoice::kTerminal ||
                                                   choice == ui::HostChoice::kWindow
                                               ? services.trace
                                               : static_cast<platform::TraceSink&>(standard_error));
  desktop::CM500QXUtilityApp app(
      services, discovery_log,
      desktop::LayPacks(desktop::LoadLanguagePack(platform::PreferredLanguageIds(),
                                                  desktop::DefaultLanguageFolders()),
                        packs));
  return ui::RunProgram(
      kProgram, clock, desktop::DesktopResources(std::nullopt),
      [&app](ui::LoopHost& host) {
        app.InitInstance(host);
        return 0;
      },
      preference);
}

// The pack named by --pack; one that cannot be used is reported and left out, so a mistyped
// name never keeps the program from starting.
void AddPack(const std::string& path, std::vector<ui::ResourcePack>* packs) {
  std::string problem;
  std::optional<ui::ResourcePack> pack = ui::ReadResourcePackFile(path, &problem);
  if (!pack) {
    std::fprintf(stderr, "%s: pack '%s' %s; going on without it\n", kProgram, path.c_str(),
                 problem.c_str());
    return;
  }
  packs->push_back(std::move(*pack));
}

}  // namespace

int main(int argc, char** argv) {
  platform::FillClosedStandardStreams();
  ui::ProgramOptions options;
  const ui::ProgramCommandLine line{kProgram, PELLISET_VERSION_TEXT, PrintUsage, true};
  if (const auto status = ui::ReadProgramOptions(argc, argv, line, &options)) return *status;
  std::vector<ui::ResourcePack> packs;
  for (const std::string& path : options.pack_paths) AddPack(path, &packs);

  platform::RealClock clock;
  platform::PosixDeviceFactory devices(clock);
  platform::FileRegistry registry(platform::FileRegistry::DefaultRegistryPath());
  platform::NullTrace trace;
  platform::Services services{clock, devices, registry, trace};
  return RunUnderHost(clock, services, std::move(packs), options.preference);
}
