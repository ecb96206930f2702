// pdautil: the handheld program. Its communication setting, NV image list and
// settings profile live in a registry file of its own; the command line only
// asks for --help and --version.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "handheld/pda_main_dlg.h"
#include "handheld/pda_templates.h"
#include "pelliset_version.h"
#include "platform/devices/posix_device_factory.h"
#include "platform/registry/file_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/standard_streams.h"
#include "platform/system/trace.h"
#include "ui/host_choice.h"
#include "ui/program_options.h"

namespace {

constexpr char kProgram[] = "pdautil";

void PrintUsage(std::FILE *out) {
  std::fprintf(out,
               "Usage: %s [--gui | --terminal]\n"
               "       %s --help | --version\n"
               "Configures TMQ-D550 printers from a handheld: settings and NV logo "
               "images, over\n"
               "a serial port (COM1: to COM49:, or a device path such as /dev/ttyUSB0) "
               "or TCP/IP.\n"
               "\n"
               "From a terminal it shows its dialogs (small screens welcome). With "
               "commands on\n"
               "standard input (a pipe or a file, one command a line) it runs them and "
               "reports\n"
               "every dialog as a line of JSON on standard output, for example:\n"
               "  printf 'wait dialog 102\\nsnapshot\\nclick 1\\n' | %s\n"
               "\n"
               "Its setting is kept in $XDG_CONFIG_HOME/pelliset/handheld.reg\n"
               "(~/.config/pelliset/handheld.reg), apart from the desktop program's.\n"
               "\n"
               "  --gui        open windows (needs a display)\n"
               "  --terminal   use the terminal even where windows could open\n"
               "  --help       show this text and exit\n"
               "  --version    show the version and exit\n",
               kProgram, kProgram, kProgram);
}

}  // namespace

int main(int argc, char **argv) {
  platform::FillClosedStandardStreams();
  ui::ProgramOptions options;
  const ui::ProgramCommandLine line{kProgram, PELLISET_VERSION_TEXT, PrintUsage};
  if (const auto status = ui::ReadProgramOptions(argc, argv, line, &options)) return *status;

  platform::RealClock clock;
  platform::PosixDeviceFactory devices(clock);
  platform::FileRegistry registry(platform::FileRegistry::DefaultHandheldRegistryPath());
  platform::NullTrace trace;
  platform::Services services{clock, devices, registry, trace};
  return ui::RunProgram(
      kProgram, clock, pda::HandheldResources(),
      [&services](ui::LoopHost &host) {
        const platform::SerialDevices serial_devices;
        pda::CPdaMainDlg dlg(services);
        dlg.SetSerialDevices(&serial_devices);
        dlg.DoModal(host);
        return 0;
      },
      options.preference);
}
