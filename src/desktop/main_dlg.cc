#include "desktop/main_dlg.h"

#include <array>
#include <string_view>

#include "desktop/about_dlg.h"
#include "desktop/desktop_resources.h"
#include "desktop/resource_ids.h"
#include "firmware/dialogs/firmware_dlg.h"
#include "link/cdev.h"
#include "nvimage/dialogs/nv_dlg.h"
#include "platform/registry/registry.h"
#include "session/nv_job_texts.h"
#include "settings/dialogs/port_lists.h"
#include "settings/dialogs/vmsm_pro_dlg.h"

namespace desktop {
namespace {

constexpr std::array<std::string_view, kInterfaceCount> kInterfaceRows = {
    "Serial / RS232C", "Bluetooth", "USB", "TCP/IP"};
constexpr char kDefaultTcpPort[] = "9100";
constexpr char kIpLabel[] = "IP : ";

// The row whose text is exactly `text` (case counts: a device path or port name is not a word).
int RowOfText(const ui::ComboBox& list, std::string_view text) {
  for (int row = 0; row < list.GetCount(); ++row) {
    if (list.GetItemText(row) == text) return row;
  }
  return -1;
}

void Refill(ui::ComboBox& list, std::initializer_list<std::string_view> rows) {
  list.ResetContent();
  for (std::string_view row : rows) list.AddString(row);
  list.SetCurSel(0);
}

// Data bits, parity, stop bits and flow control: they mean something only on a serial line.
void EnableLineControls(ui::Dialog& dlg, bool enabled) {
  for (int id : {kDataBitsList, kParityList, kStopBitsList, kFlowControlList}) {
    dlg.EnableDlgItem(id, enabled);
  }
}

// Selects `row` only when the list has it, so a damaged stored value leaves the default row
// instead of a list with nothing selected (which would be read back as garbage).
void SelectIfPresent(ui::ComboBox& list, int row) {
  if (row >= 0 && row < list.GetCount()) list.SetCurSel(row);
}

}  // namespace

CM500QXUtilityDlg::CM500QXUtilityDlg(platform::Services& services,
                                     devlink::DiscoveryLog& discovery_log)
    : session::MainDialog(MainDialogTemplate(), services, {}, /*handheld=*/false),
      discovery_log_(discovery_log) {}

bool CM500QXUtilityDlg::OnInitDialog() {
  const std::string about = LoadString(kStrAboutMenu);
  if (!about.empty()) AppendSystemMenu(ui::IDM_ABOUTBOX, about);

  // The label over the baud rate list names the TCP port in TCP/IP mode; this is its own text.
  baud_rate_label_ = GetDlgItemText(kBaudRateLabel);
  FillInterfaceList();
  const std::optional<devlink::LinkSettings> stored = LoadCommSetting(services_.registry);
  if (stored) {
    GetComboBox(kInterfaceList).SetCurSel(stored->interface);
    setting_ = *stored;
  }
  LayoutInterface();
  if (stored) Restore(*stored);

  SetDlgItemText(kDescriptionText, LoadString(kStrDescription));
  SetWindowText(LoadString(kStrTitle));
  return true;
}

void CM500QXUtilityDlg::FillInterfaceList() {
  ui::ComboBox& list = GetComboBox(kInterfaceList);
  list.ResetContent();
  for (std::string_view row : kInterfaceRows) list.AddString(row);
  list.SetCurSel(0);
}

void CM500QXUtilityDlg::LayoutInterface() {
  ShowDlgItem(kPortList, false);
  ShowDlgItem(kBaudRateList, false);
  ShowDlgItem(kIpAddressEdit, false);
  ShowDlgItem(kTcpPortEdit, false);
  SetDlgItemText(kBaudRateLabel, baud_rate_label_);
  switch (GetComboBox(kInterfaceList).GetCurSel()) {
    case devlink::CDev::kInterfaceSerial:
      LayoutSerial();
      break;
    case devlink::CDev::kInterfaceBluetooth:
      // A Bluetooth serial port's line is the radio's business: only the port can be chosen.
      LayoutSerial();
      EnableDlgItem(kBaudRateList, false);
      EnableLineControls(*this, false);
      break;
    case devlink::CDev::kInterfaceUsb:
      LayoutUsb();
      break;
    case devlink::CDev::kInterfaceTcp:
      LayoutTcp();
      break;
    default:
      break;
  }
}

void CM500QXUtilityDlg::LayoutSerial() {
  ShowDlgItem(kPortList, true);
  ShowDlgItem(kBaudRateList, true);
  SetDlgItemText(kPortLabel, LoadString(kStrPort) + " :");
  FillSerialLists();
  EnableDlgItem(kBaudRateList, true);
  EnableLineControls(*this, true);
  EnableDlgItem(kFlowControlList, false);
}

void CM500QXUtilityDlg::FillSerialLists() {
  settings::FillSerialPortLists(GetComboBox(kPortList), GetComboBox(kBaudRateList), "",
                                serial_devices_);
  const std::string none = LoadString(kStrNone);
  Refill(GetComboBox(kDataBitsList), {"8"});
  Refill(GetComboBox(kParityList), {none, "ODD", "EVEN"});
  Refill(GetComboBox(kStopBitsList), {"1", "2"});
  Refill(GetComboBox(kFlowControlList), {none, "DTR/DSR"});
}

void CM500QXUtilityDlg::LayoutUsb() {
  ShowDlgItem(kPortList, true);
  ShowDlgItem(kBaudRateList, true);
  EnableDlgItem(kBaudRateList, false);
  SetDlgItemText(kPortLabel, LoadString(kStrPort) + " :");

  ui::ComboBox& port = GetComboBox(kPortList);
  port.ResetContent();
  usb_paths_.clear();
  for (const devlink::UsbPrinter& printer :
       devlink::DiscoverUsbPrinters(services_, discovery_log_)) {
    port.AddString(printer.label);
    usb_paths_.push_back(printer.device_path);
  }
  if (!usb_paths_.empty()) {
    port.SetCurSel(0);
    EnableLineControls(*this, false);
    return;
  }
  MessageBox(LoadString(kStrNoUsbPrinter), LoadString(kStrAppCaption), ui::MB_OK);
  GetComboBox(kInterfaceList).SetCurSel(devlink::CDev::kInterfaceSerial);
  LayoutInterface();
}

void CM500QXUtilityDlg::LayoutTcp() {
  FillSerialLists();
  ShowDlgItem(kIpAddressEdit, true);
  ShowDlgItem(kTcpPortEdit, true);
  SetDlgItemText(kPortLabel, kIpLabel);
  SetDlgItemText(kBaudRateLabel, LoadString(kStrTcpPortLabel));
  SetDlgItemText(kIpAddressEdit, "0.0.0.0");
  SetDlgItemText(kTcpPortEdit, kDefaultTcpPort);
  EnableLineControls(*this, false);
}

void CM500QXUtilityDlg::Restore(const devlink::LinkSettings& stored) {
  switch (stored.interface) {
    case devlink::CDev::kInterfaceSerial:
    case devlink::CDev::kInterfaceBluetooth: {
      // A port that no longer exists (COM50, or a handheld's "COM1:") leaves the first row; a
      // device path is kept as typed even while its adapter is unplugged.
      ui::ComboBox& port = GetComboBox(kPortList);
      const int port_row = RowOfText(port, stored.port_name);
      if (port_row < 0 && stored.port_name.starts_with('/')) {
        port.SetText(stored.port_name);
      } else {
        SelectIfPresent(port, port_row);
      }
      ui::ComboBox& baud = GetComboBox(kBaudRateList);
      for (int row = 0; row < baud.GetCount(); ++row) {
        if (settings::LeadingDecimal(baud.GetItemText(row)) == stored.baud_rate)
          baud.SetCurSel(row);
      }
      SelectIfPresent(GetComboBox(kParityList), stored.parity);
      SelectIfPresent(GetComboBox(kStopBitsList), stored.stop_bits == 2 ? 1 : stored.stop_bits);
      GetComboBox(kFlowControlList).SetCurSel(0);
      break;
    }
    case devlink::CDev::kInterfaceUsb:
      for (size_t row = 0; row < usb_paths_.size(); ++row) {
        if (usb_paths_[row] == stored.port_name) {
          GetComboBox(kPortList).SetCurSel(static_cast<int>(row));
        }
      }
      break;
    case devlink::CDev::kInterfaceTcp:
      SetDlgItemText(kIpAddressEdit, devlink::StripNetPrefix(stored.port_name));
      // The stored TCP port comes back too: keeping 9100 here would silently replace the user's
      // port at the next Exit.
      if (stored.tcp_port >= 1 && stored.tcp_port <= kMaxTcpPort) {
        SetDlgItemText(kTcpPortEdit, std::to_string(stored.tcp_port));
      }
      break;
    default:
      break;
  }
}

bool CM500QXUtilityDlg::SettingUsable() {
  if (GetComboBox(kInterfaceList).GetCurSel() != devlink::CDev::kInterfaceTcp) return true;
  return TcpPortUsable(kTcpPortEdit);
}

void CM500QXUtilityDlg::ReadSetting() {
  const int row = GetComboBox(kInterfaceList).GetCurSel();
  if (row < 0 || row >= kInterfaceCount) return;
  setting_.interface = row;
  switch (row) {
    case devlink::CDev::kInterfaceSerial:
    case devlink::CDev::kInterfaceBluetooth:
      setting_.port_name = GetComboBox(kPortList).GetText();
      setting_.baud_rate = settings::LeadingDecimal(GetComboBox(kBaudRateList).GetText());
      setting_.data_bits =
          static_cast<int>(settings::LeadingDecimal(GetComboBox(kDataBitsList).GetText()));
      setting_.parity = GetComboBox(kParityList).GetCurSel();
      setting_.stop_bits = GetComboBox(kStopBitsList).GetCurSel() != 0 ? 2 : 0;
      setting_.flow_control = GetComboBox(kFlowControlList).GetCurSel();
      break;
    case devlink::CDev::kInterfaceUsb: {
      const int port_row = GetComboBox(kPortList).GetCurSel();
      if (port_row >= 0 && static_cast<size_t>(port_row) < usb_paths_.size()) {
        setting_.port_name = usb_paths_[static_cast<size_t>(port_row)];
      }
      break;
    }
    case devlink::CDev::kInterfaceTcp: {
      setting_.port_name = "NET" + GetDlgItemText(kIpAddressEdit);
      // A number beyond the TCP ports reads as 0 like any other non-port: handed on, it would be
      // cut to 16 bits and reach some other port without a word.
      const uint32_t tcp_port = settings::LeadingDecimal(GetDlgItemText(kTcpPortEdit));
      setting_.tcp_port = tcp_port <= kMaxTcpPort ? tcp_port : 0;
      break;
    }
    default:
      break;
  }
}

void CM500QXUtilityDlg::LaunchSettingsEditor() {
  if (host() == nullptr) return;
  ui::Host& host = *this->host();
  if (!HandOverSetting()) return;
  session_.vmsm().LoadProfile(services_.registry, platform::kPellisetKey);
  const std::string caption = LoadString(kStrAppCaption);

  {
    settings::CVmsmProDlg read(settings::CVmsmProDlg::kModeReadAll, &session_.vmsm());
    if (read.DoModal(host) != ui::IDOK) {
      session_.util().CloseLink();
      // An empty message is the user's own Cancel: nothing to tell.
      if (!read.message().empty()) MessageBox(read.message(), caption, ui::MB_OK);
      return;
    }
  }

  const protocol::PrinterIdentity& identity = session_.util().identity();
  CDlgVMSM tabs(
      session_.vmsm().settings(),
      {identity.firmware_version, identity.firmware_version_text, identity.code_page_text});
  if (tabs.DoModal(host) != ui::IDOK) {
    session_.util().CloseLink();
    return;
  }
  session_.vmsm().settings() = tabs.values();

  const settings::TransferMode mode = tabs.restore_defaults() == 1
                                          ? settings::CVmsmProDlg::kModeFactoryDefault
                                          : settings::CVmsmProDlg::kModeWriteAll;
  settings::CVmsmProDlg write(mode, &session_.vmsm());
  if (write.DoModal(host) == ui::IDOK) {
    // Only a record the printer accepted becomes the stored profile.
    const bool stored = session_.vmsm().SaveProfile(services_.registry, platform::kPellisetKey);
    session_.util().CloseLink();
    MessageBox(LoadString(kStrVmsmSetDone), caption, ui::MB_OK);
    if (!stored) {
      MessageBox(
          ui::FormatMessage(LoadString(kStrSettingsNotSaved), {services_.registry.LastError()}),
          caption, ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }
    return;
  }
  session_.util().CloseLink();
  const std::string why = write.failure_line().empty() ? "" : "\n" + write.failure_line();
  MessageBox(LoadString(kStrVmsmSaveFailed) + why, caption, ui::MB_OK);
}

void CM500QXUtilityDlg::LaunchNvManager() {
  if (host() == nullptr) return;
  if (!HandOverSetting()) return;
  nv::CNVDlg(session_.nv(), services_.registry, session::DesktopNvJobTexts())
      .RunOverKeyCodes(*host(), *this, LoadString(kStrAppCaption));
}

void CM500QXUtilityDlg::LaunchFirmwareDownload() {
  if (host() == nullptr) return;
  if (!HandOverSetting()) return;
  firmware::CFirmwarednDlg firmware(services_, files_);
  firmware.SetLinkSettings(setting_);
  firmware.DoModal(*host());
}

void CM500QXUtilityDlg::OnCommand(int id, ui::Notify code) {
  if (id == kInterfaceList && code == ui::Notify::kSelChange) {
    LayoutInterface();
    return;
  }
  if (id == kVmsmButton && code == ui::Notify::kClicked) {
    LaunchSettingsEditor();
    return;
  }
  if (id == kNvButton && code == ui::Notify::kClicked) {
    LaunchNvManager();
    return;
  }
  if (id == kFirmwareButton && code == ui::Notify::kClicked) {
    LaunchFirmwareDownload();
    return;
  }
  ui::Dialog::OnCommand(id, code);
}

void CM500QXUtilityDlg::StoreSetting() {
  if (StoreCommSetting(services_.registry, setting_)) return;
  // The setting is only a convenience, but the user is to know it will not be there next time,
  // and why.
  MessageBox(
      ui::FormatMessage(LoadString(kStrCommSettingNotSaved), {services_.registry.LastError()}),
      LoadString(kStrAppCaption), ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CM500QXUtilityDlg::OnSysCommand(int id) {
  if (id != ui::IDM_ABOUTBOX) {
    ui::Dialog::OnSysCommand(id);
    return;
  }
  if (host() == nullptr) return;
  CAboutDlg about;
  about.DoModal(*host());
}
}  // namespace desktop
