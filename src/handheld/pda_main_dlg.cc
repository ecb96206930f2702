#include "handheld/pda_main_dlg.h"

#include <string_view>

#include "handheld/pda_nv_dlg.h"
#include "handheld/pda_templates.h"
#include "handheld/settings_wizard.h"
#include "link/cdev.h"
#include "platform/registry/registry.h"
#include "settings/dialogs/port_lists.h"

namespace pda {
namespace {

constexpr char kWindowTitle[] = "TMQ-D550 Pelliset";
constexpr char kNvFailureCaption[] = "NV Manager Utility";
constexpr char kNetPrefix[] = "NET";

// Label texts by layout: serial, then TCP/IP.
struct LabelTexts {
  const char* port;
  const char* baud;
};
constexpr LabelTexts kSerialLabels = {"Port :", "Baudrate :"};
constexpr LabelTexts kTcpLabels = {"IP :", "Port :"};

// A stored rate that is none of the baud list's rows, and a list without a selection, mean the
// last row.
constexpr int kDefaultBaudRow = static_cast<int>(settings::kBaudRates.size()) - 1;
constexpr char kDefaultAddress[] = "192.168.1.1";
constexpr char kDefaultTcpPort[] = "9100";

int BaudRow(uint32_t rate) {
  for (size_t row = 0; row < settings::kBaudRates.size(); ++row) {
    if (settings::kBaudRates[row] == rate) return static_cast<int>(row);
  }
  return kDefaultBaudRow;
}

// A stored serial port name worth showing: a COM port, or a device path typed into the list.
bool IsPortName(std::string_view name) { return name.starts_with("COM") || name.starts_with("/"); }

devlink::LinkSettings ReadStoredSetting(platform::Registry& registry) {
  const std::string key = platform::kPellisetKey;
  devlink::LinkSettings s;
  const bool tcp = platform::ReadDword(registry, key, kValuePortType).value_or(0) == kPortTypeTcp;
  s.interface = tcp ? devlink::CDev::kInterfaceTcp : devlink::CDev::kInterfaceSerial;
  s.port_name = platform::ReadString(registry, key, kValuePort).value_or(std::string());
  (tcp ? s.tcp_port : s.baud_rate) = platform::ReadDword(registry, key, kValueBaudrate).value_or(0);
  return s;
}

// The three values in their fixed order, in one update: stored together or not at all (a port
// type without its port would open the wrong link next time). Empty when stored, else why not.
std::string WriteStoredSetting(platform::Registry& registry, const devlink::LinkSettings& s) {
  const std::string key = platform::kPellisetKey;
  const bool tcp = s.interface == devlink::CDev::kInterfaceTcp;
  const bool stored = registry.SetValues({
      platform::DwordWrite(key, kValuePortType, tcp ? kPortTypeTcp : kPortTypeSerial),
      platform::StringWrite(key, kValuePort, s.port_name),
      platform::DwordWrite(key, kValueBaudrate, tcp ? s.tcp_port : s.baud_rate),
  });
  return stored ? std::string() : registry.LastError();
}

}  // namespace

CPdaMainDlg::CPdaMainDlg(platform::Services& services)
    // The port list's text (COM3:, /dev/ttyUSB0) or "NET" + address; the other line settings
    // are fixed on the handheld: 8 data bits, no parity, one stop bit, DTR/DSR. Port names such
    // as COM1: are opened as given, closes wait for the port to settle, and the identification
    // queries wait longer, as the handheld's slower links need.
    : session::MainDialog(MainDialogTemplate(), services, {.flow_control = 1}, /*handheld=*/true) {}

bool CPdaMainDlg::OnInitDialog() {
  FillLists();
  Restore(ReadStoredSetting(services_.registry));
  LayoutByCheck();
  SetWindowText(kWindowTitle);
  return true;
}

void CPdaMainDlg::FillLists() {
  settings::FillSerialPortLists(GetComboBox(kPortList), GetComboBox(kBaudRateList), ":",
                                serial_devices_);
  SetDlgItemText(kIpAddressEdit, kDefaultAddress);
  SetDlgItemText(kTcpPortEdit, kDefaultTcpPort);
}

void CPdaMainDlg::Restore(const devlink::LinkSettings& stored) {
  if (stored.interface == devlink::CDev::kInterfaceTcp) {
    CheckDlgButton(kTcpCheck, true);
    // Without the prefix the name is no address of ours; the defaults are a better start.
    if (stored.port_name.starts_with(kNetPrefix)) {
      SetDlgItemText(kIpAddressEdit, stored.port_name.substr(sizeof kNetPrefix - 1));
      SetDlgItemText(kTcpPortEdit, std::to_string(stored.tcp_port));
    }
    return;
  }
  CheckDlgButton(kTcpCheck, false);
  if (IsPortName(stored.port_name)) GetComboBox(kPortList).SetText(stored.port_name);
  GetComboBox(kBaudRateList).SetCurSel(BaudRow(stored.baud_rate));
}

void CPdaMainDlg::LayoutByCheck() {
  const bool tcp = IsDlgButtonChecked(kTcpCheck);
  const LabelTexts& labels = tcp ? kTcpLabels : kSerialLabels;
  SetDlgItemText(kPortLabel, labels.port);
  SetDlgItemText(kBaudRateLabel, labels.baud);
  ShowDlgItem(kPortList, !tcp);
  ShowDlgItem(kBaudRateList, !tcp);
  ShowDlgItem(kIpAddressEdit, tcp);
  ShowDlgItem(kTcpPortEdit, tcp);
}

bool CPdaMainDlg::SettingUsable() {
  if (!IsDlgButtonChecked(kTcpCheck)) return true;
  return TcpPortUsable(kTcpPortEdit);
}

void CPdaMainDlg::ReadSetting() {
  if (IsDlgButtonChecked(kTcpCheck)) {
    setting_.interface = devlink::CDev::kInterfaceTcp;
    const std::string address = GetDlgItemText(kIpAddressEdit);
    // The user may type the stored form itself; a second prefix would make it no address.
    setting_.port_name = address.starts_with(kNetPrefix) ? address : kNetPrefix + address;
    // A number beyond the TCP ports reads as 0 like any other non-port: handed on, it would be
    // cut to 16 bits and reach some other port without a word.
    const uint32_t tcp_port = settings::LeadingDecimal(GetDlgItemText(kTcpPortEdit));
    setting_.tcp_port = tcp_port <= kMaxTcpPort ? tcp_port : 0;
    return;
  }
  setting_.interface = devlink::CDev::kInterfaceSerial;
  setting_.port_name = GetComboBox(kPortList).GetText();
  const int row = GetComboBox(kBaudRateList).GetCurSel();
  setting_.baud_rate =
      settings::kBaudRates[row >= 0 && row < kDefaultBaudRow ? static_cast<size_t>(row)
                                                             : kDefaultBaudRow];
}

void CPdaMainDlg::StoreSetting() {
  // The setting is only a convenience, but the user is to know it will not be there next time.
  const std::string failure = WriteStoredSetting(services_.registry, setting_);
  if (failure.empty()) return;
  MessageBox("The communication setting could not be saved: " + failure, kWindowTitle,
             ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CPdaMainDlg::LaunchSettingsWizard() {
  if (host() == nullptr) return;
  if (!HandOverSetting()) return;
  // The wizard does the whole job, its messages and the closing of the link included.
  RunSettingsWizard(session_.vmsm(), *host(), services_.registry);
}

void CPdaMainDlg::LaunchNvManager() {
  if (host() == nullptr) return;
  if (!HandOverSetting()) return;
  CPdaNvDlg(session_.nv(), services_.registry).RunOverKeyCodes(*host(), *this, kNvFailureCaption);
}

void CPdaMainDlg::OnCommand(int id, ui::Notify code) {
  if (code == ui::Notify::kClicked) {
    switch (id) {
      case kTcpCheck:
        LayoutByCheck();
        return;
      case kVmsmButton:
        LaunchSettingsWizard();
        return;
      case kNvButton:
        LaunchNvManager();
        return;
      default:
        break;
    }
  }
  ui::Dialog::OnCommand(id, code);
}
}  // namespace pda
