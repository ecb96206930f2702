#include "desktop/vmsm_tab_pages.h"

#include "desktop/msr_advance_dlg.h"
#include "desktop/vmsm_tab_strings.h"
#include "desktop/vmsm_templates.h"
#include "protocol/common_util.h"
#include "settings/dialogs/setting_controls.h"
#include "settings/setting_lists.h"
#include "settings/setting_schema.h"

namespace desktop {
namespace {

namespace sl = settings::setting_lists;
using namespace vmsm_ctl;
using namespace settings::setting_controls;

struct NumberEdit {
  int id;
  uint32_t protocol::PrinterSettings::*field;  // its range is the settings schema's
  uint32_t max() const { return settings::setting_schema::FieldOf(field).max; }
};
// Page 2's number edits in tab order.
constexpr NumberEdit kNumberEdits[] = {
    {kPowerOffEdit, &protocol::PrinterSettings::TimeOff},
    {kPowerSaveEdit, &protocol::PrinterSettings::TimeSave},
    {kTearOffEdit, &protocol::PrinterSettings::CuttingPosition},
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Page 1

CDlgVMSMTab1::CDlgVMSMTab1(protocol::PrinterSettings& values, const PageFacts& facts)
    : VmsmTabPage(VmsmTab1Template(), values, facts) {}

bool CDlgVMSMTab1::OnInitDialog() {
  protocol::PrinterSettings& v = values_;
  ui::ComboBox& density = GetComboBox(kDensityList);
  density.ResetContent();
  const std::string caption = LoadString(vmsm_tab::kStrPrintDensity);
  for (const sl::DensityRow& row : sl::kDensityRows) {
    density.AddString(caption + std::string(row.suffix));
  }
  Select(density, sl::DensityRowOf(v.Density));

  ui::ComboBox& speed = GetComboBox(kSpeedList);
  Fill(speed, {LoadString(vmsm_tab::kStrSpeedFull), LoadString(vmsm_tab::kStrSpeedHalf)});
  Select(speed, v.Speed);

  ui::ComboBox& code_page = GetComboBox(kCodePageList);
  code_page.ResetContent();
  for (int row = 0; row < vmsm_tab::kCodePageRowCount; ++row) {
    code_page.AddString(LoadString(vmsm_tab::CodePageStringId(row)));
  }
  Select(code_page, v.CodePage);

  ShowRadio(*this, kFontA, v.FontType, 3);
  ShowRadio(*this, kDoubleByteOff, v.LCharMode, 2);
  SetDlgItemText(kCodePageText, facts_.code_page_text);
  return true;
}

void CDlgVMSMTab1::Refresh() {
  protocol::PrinterSettings& v = values_;
  // A group with nothing checked (a value the page could not show) keeps the value.
  TakeRadio(*this, kFontA, &v.FontType);
  TakeRadio(*this, kDoubleByteOff, &v.LCharMode);
}

void CDlgVMSMTab1::OnCommand(int id, ui::Notify code) {
  switch (id) {
    case kDensityList:
    case kSpeedList:
    case kCodePageList:
      if (code == ui::Notify::kSelChange) Refresh();
      return;
    case kFontA:
    case kFontB:
    case kFontC:
    case kDoubleByteOff:
    case kDoubleByteOn:
      if (code == ui::Notify::kClicked) Refresh();
      return;
    default:
      ui::Dialog::OnCommand(id, code);
  }
}

void CDlgVMSMTab1::SaveReadBack() {
  protocol::PrinterSettings& v = values_;
  TakeDensity(GetComboBox(kDensityList), &v.Density);
  TakeRow(GetComboBox(kSpeedList), &v.Speed);
  TakeRow(GetComboBox(kCodePageList), &v.CodePage);
}

// ---------------------------------------------------------------------------------------------
// Page 2

CDlgVMSMTab2::CDlgVMSMTab2(protocol::PrinterSettings& values, const PageFacts& facts)
    : VmsmTabPage(VmsmTab2Template(), values, facts) {}

bool CDlgVMSMTab2::OnInitDialog() {
  protocol::PrinterSettings& v = values_;
  ui::ComboBox& service = GetComboBox(kServiceList);
  Fill(service, {LoadString(vmsm_tab::kStrReceipt), LoadString(vmsm_tab::kStrBlackMark)});
  Select(service, v.Service);
  const std::string on = LoadString(vmsm_tab::kStrOn);
  const std::string off = LoadString(vmsm_tab::kStrOff);
  Fill(GetComboBox(kBeepPaperList), {on, off});
  Select(GetComboBox(kBeepPaperList), v.BeepPaper);
  Fill(GetComboBox(kBeepLowBatList), {on, off});
  Select(GetComboBox(kBeepLowBatList), v.BeepLowBat);
  ui::ComboBox& msr = GetComboBox(kMsrTriggerList);
  msr.ResetContent();
  for (int id : vmsm_tab::kMsrTriggerStringIds) msr.AddString(LoadString(id));
  Select(msr, v.Msr);

  // The older firmware generation has no tear-off position at all.
  if (facts_.firmware_version < protocol::kFirmwareNewer) v.CuttingPosition = 0;
  SetDlgItemText(kPowerOffEdit, std::to_string(v.TimeOff));
  SetDlgItemText(kPowerSaveEdit, std::to_string(v.TimeSave));
  SetDlgItemText(kTearOffEdit, std::to_string(v.CuttingPosition));
  ApplyTearOffRule();
  warned_.clear();
  return true;
}

void CDlgVMSMTab2::ApplyTearOffRule() {
  const bool black_mark = GetComboBox(kServiceList).GetCurSel() == 1;
  EnableDlgItem(kTearOffEdit, facts_.firmware_version >= protocol::kFirmwareNewer && black_mark);
}

void CDlgVMSMTab2::CheckEdit(int id) {
  for (const NumberEdit& e : kNumberEdits) {
    if (e.id != id) continue;
    if (!GetControl(id).IsEnabled()) return;
    const std::string message = CheckUIntRange(id, 0, e.max(), &(values_.*e.field));
    if (message.empty()) {
      warned_.erase(id);
      return;
    }
    // Once per edit: every further keystroke in a field that is still out of range would bring
    // the same box back and keep the user from fixing it.
    if (!warned_.insert(id).second) return;
    GotoDlgCtrl(id);
    MessageBox(message, {}, ui::MB_OK | ui::MB_ICONEXCLAMATION);
  }
}

int CDlgVMSMTab2::InvalidNumberEdit() {
  for (const NumberEdit& e : kNumberEdits) {
    if (!GetControl(e.id).IsEnabled()) continue;
    uint32_t value = 0;
    if (!CheckUIntRange(e.id, 0, e.max(), &value).empty()) return e.id;
  }
  return 0;
}

void CDlgVMSMTab2::ReportInvalid(int edit) {
  for (const NumberEdit& e : kNumberEdits) {
    if (e.id != edit) continue;
    uint32_t value = 0;
    const std::string message = CheckUIntRange(e.id, 0, e.max(), &value);
    GotoDlgCtrl(e.id);
    if (!message.empty()) MessageBox(message, {}, ui::MB_OK | ui::MB_ICONEXCLAMATION);
  }
}

void CDlgVMSMTab2::RunSentinelDialog() {
  if (host() == nullptr) return;
  protocol::PrinterSettings& v = values_;
  CDlg_MsrAdvance dlg;
  dlg.SetValues(static_cast<int>(v.Sentinel), v.SentinelStart, v.SentinelEnd);
  if (dlg.DoModal(*host()) != ui::IDOK) return;
  // A page that was handed an option the dialog cannot show gets no option back; keep its own.
  if (dlg.mode() >= 0) v.Sentinel = static_cast<uint32_t>(dlg.mode());
  v.SentinelStart = dlg.start_codes();
  v.SentinelEnd = dlg.end_codes();
}

void CDlgVMSMTab2::OnCommand(int id, ui::Notify code) {
  switch (id) {
    case kServiceList:
      if (code == ui::Notify::kSelChange) ApplyTearOffRule();
      return;
    case kBeepPaperList:
    case kBeepLowBatList:
    case kMsrTriggerList:
      return;
    case kTearOffEdit:
    case kPowerOffEdit:
    case kPowerSaveEdit:
      if (code == ui::Notify::kEditChange) CheckEdit(id);
      return;
    case kAdvanceButton:
      if (code == ui::Notify::kClicked) RunSentinelDialog();
      return;
    default:
      ui::Dialog::OnCommand(id, code);
  }
}

void CDlgVMSMTab2::SaveReadBack() {
  protocol::PrinterSettings& v = values_;
  TakeRow(GetComboBox(kServiceList), &v.Service);
  TakeRow(GetComboBox(kBeepPaperList), &v.BeepPaper);
  TakeRow(GetComboBox(kBeepLowBatList), &v.BeepLowBat);
  TakeRow(GetComboBox(kMsrTriggerList), &v.Msr);
}

// ---------------------------------------------------------------------------------------------
// Page 3

CDlgVMSMTab3::CDlgVMSMTab3(protocol::PrinterSettings& values, const PageFacts& facts)
    : VmsmTabPage(VmsmTab3Template(), values, facts) {}

bool CDlgVMSMTab3::OnInitDialog() {
  protocol::PrinterSettings& v = values_;
  ui::ComboBox& baud = GetComboBox(kBaudList);
  baud.ResetContent();
  for (const auto& rate : sl::kBaudRates) baud.AddString(rate.word);
  baud.SetCurSel(static_cast<int>(sl::BaudrateRowOf(v.Baudrate)));
  ui::ComboBox& data_bits = GetComboBox(kDataBitsList);
  Fill(data_bits, sl::kDatabitRows);
  data_bits.SetCurSel(static_cast<int>(sl::DatabitRowOf(v.Databit)));
  ui::ComboBox& parity = GetComboBox(kParityList);
  Fill(parity, {LoadString(vmsm_tab::kStrParityNone), LoadString(vmsm_tab::kStrParityOdd),
                LoadString(vmsm_tab::kStrParityEven)});
  parity.SetCurSel(v.Parity <= 1 ? static_cast<int>(v.Parity) : 2);
  ui::ComboBox& stop_bits = GetComboBox(kStopBitsList);
  Fill(stop_bits, sl::kFlowcontrolRows);
  stop_bits.SetCurSel(static_cast<int>(sl::FlowcontrolRowOf(v.Flowcontrol)));
  for (int id : {kBaudList, kDataBitsList, kParityList, kStopBitsList}) EnableDlgItem(id, false);

  ui::ComboBox& security = GetComboBox(kSecurityList);
  Fill(security, {LoadString(vmsm_tab::kStrDisable), LoadString(vmsm_tab::kStrEnable)});
  Select(security, v.BtSecurity);
  ui::ComboBox& conn_mode = GetComboBox(kConnModeList);
  Fill(conn_mode, {LoadString(vmsm_tab::kStrMode1), LoadString(vmsm_tab::kStrMode2),
                   LoadString(vmsm_tab::kStrMode3)});
  Select(conn_mode, v.BtConnMode);

  // Nothing of the printer's Bluetooth setup is touched unless the user asks for it.
  v.BtSkip = 1;
  EnableBluetoothControls(false);
  ShowValues();
  return true;
}

void CDlgVMSMTab3::EnableBluetoothControls(bool enabled) {
  for (int id : {kSecurityList, kConnModeList, kPinEdit, kNameEdit, kBleCheck}) {
    EnableDlgItem(id, enabled);
  }
}

void CDlgVMSMTab3::ShowValues() {
  const protocol::PrinterSettings& v = values_;
  SetDlgItemText(kPinEdit, v.BtPin);
  SetDlgItemText(kNameEdit, v.BtName);
  CheckDlgButton(kBleCheck, v.BleMode != 0);
  CheckDlgButton(kBluetoothCheck, v.BtSkip == 0);
}

namespace {
// The printer counts bytes; a character outside ASCII takes more than one.
size_t BluetoothLimit(int edit) {
  return edit == kPinEdit ? protocol::kMaxBtPinChars : protocol::kMaxBtNameChars;
}
}  // namespace

void CDlgVMSMTab3::Refresh() {
  protocol::PrinterSettings& v = values_;
  v.BtPin = GetDlgItemText(kPinEdit);
  v.BtName = GetDlgItemText(kNameEdit);
}

void CDlgVMSMTab3::OnCommand(int id, ui::Notify code) {
  protocol::PrinterSettings& v = values_;
  switch (id) {
    case kBluetoothCheck:
      if (code != ui::Notify::kClicked) return;
      Refresh();
      if (v.BtSkip == 0) {
        EnableBluetoothControls(false);
        v.BtSkip = 1;
      } else {
        EnableBluetoothControls(true);
        v.BtSkip = 0;
      }
      ShowValues();
      return;
    case kBleCheck:
      if (code != ui::Notify::kClicked) return;
      v.BleMode = v.BleMode != 0 ? 0 : 1;
      CheckDlgButton(kBleCheck, v.BleMode != 0);
      return;
    case kSecurityList:
    case kConnModeList:
      if (code == ui::Notify::kSelChange) Refresh();
      return;
    case kPinEdit:
    case kNameEdit:
      if (code != ui::Notify::kEditChange) return;
      LimitTypedText(*this, id, BluetoothLimit(id));
      Refresh();
      return;
    default:
      ui::Dialog::OnCommand(id, code);
  }
}

int CDlgVMSMTab3::OverlongBluetoothEdit() const {
  const protocol::PrinterSettings& v = values_;
  if (v.BtSkip != 0) return 0;
  if (v.BtPin.size() > BluetoothLimit(kPinEdit)) return kPinEdit;
  if (v.BtName.size() > BluetoothLimit(kNameEdit)) return kNameEdit;
  return 0;
}

void CDlgVMSMTab3::ReportOverlong(int edit) {
  if (host() == nullptr) return;
  GotoDlgCtrl(edit);
  MessageBox(
      ui::FormatMessage(LoadString(vmsm_tab::kStrMaxBytes), {std::to_string(BluetoothLimit(edit))}),
      {}, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

void CDlgVMSMTab3::SaveReadBack() {
  protocol::PrinterSettings& v = values_;
  // The serial lists are disabled, so their values go back as read (flow control 0, shown as
  // "2", as 0); but a rate the list does not offer goes back as the "19200" shown: the serial
  // command would make 115200 of it.
  v.Baudrate = sl::ShownBaudrate(v.Baudrate);
  if (const auto row = SelectedRow(GetComboBox(kBaudList)); row && *row < sl::kBaudRates.size()) {
    v.Baudrate = sl::kBaudRates[*row].value;
  }
  if (const auto row = SelectedRow(GetComboBox(kDataBitsList))) v.Databit = *row == 0 ? 7 : 8;
  TakeRow(GetComboBox(kParityList), &v.Parity);
  if (const auto row = SelectedRow(GetComboBox(kStopBitsList))) {
    v.Flowcontrol = sl::FlowcontrolOfRow(*row);
  }
  TakeRow(GetComboBox(kConnModeList), &v.BtConnMode);
  TakeRow(GetComboBox(kSecurityList), &v.BtSecurity);
}

}  // namespace desktop
