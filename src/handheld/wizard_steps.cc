#include "handheld/wizard_steps.h"

#include <array>
#include <string>

#include "handheld/wizard_templates.h"
#include "protocol/common_util.h"
#include "settings/dialogs/sentinel_dlg.h"
#include "settings/dialogs/setting_controls.h"
#include "settings/setting_lists.h"
#include "settings/setting_schema.h"
#include "settings/vmsm_strings.h"

namespace pda::wizard {
namespace {

namespace sl = settings::setting_lists;
using namespace settings::setting_controls;

constexpr std::string_view kCancelQuestion = "VMSM Manager Cancel?";
constexpr std::string_view kOuterCaption = "Pelliset";      // first and last step
constexpr std::string_view kInnerCaption = "VMSM Manager";  // the steps in between

// The sentinel dialog's words are the handheld's own; its refusals carry the program's title.
constexpr settings::SentinelForm kSentinelForm = {
    .code_edits = {ctl::kTrack1Start, ctl::kTrack2Start, ctl::kTrack3Start, ctl::kTrack1End,
                   ctl::kTrack2End, ctl::kTrack3End},
    .first_mode = ctl::kSentinelNone,
    .hex_check = ctl::kHexCheck,
    .hex_by_character = true,
    .words =
        [](const ui::Dialog&) {
          return settings::SentinelWords{
              .invalid_value = "Invalid value!\r\n",
              .invalid_hex = "Invalid HEXA Format!!",
              .bad_length = "Sentinel length is over 10 ( length range : 1~10 )",
              .bad_byte = settings::kSentinelByteText,
              .ascii = "ASCII",
              .hex = "HEXA",
              .caption = ""};
        },
};

// ---- Step 1: speed, density, font.
class Step1 : public WizardStep {
 public:
  Step1(const protocol::PrinterSettings& v, const PrinterFacts& f)
      : WizardStep(Step1Template(), kOuterCaption, v, f) {}

 protected:
  bool OnInitDialog() override {
    Fill(GetComboBox(ctl::kDensityList), sl::kHandheldDensityRows);
    Select(GetComboBox(ctl::kDensityList), sl::DensityRowOf(values_.Density));
    Fill(GetComboBox(ctl::kSpeedList), sl::kHandheldSpeedRows);
    Select(GetComboBox(ctl::kSpeedList), values_.Speed);
    ShowRadio(*this, ctl::kFontA, values_.FontType, 3);
    return true;
  }
  bool TakeValues() override {
    TakeDensity(GetComboBox(ctl::kDensityList), &values_.Density);
    TakeRow(GetComboBox(ctl::kSpeedList), &values_.Speed);
    TakeRadio(*this, ctl::kFontA, &values_.FontType);
    return true;
  }
};

// ---- Step 2: code page, MSR trigger and sentinels, service, tear-off position.
class Step2 : public WizardStep {
 public:
  Step2(const protocol::PrinterSettings& v, const PrinterFacts& f)
      : WizardStep(Step2Template(), kInnerCaption, v, f),
        msr_list_(sl::MsrTriggerListOf(f.open_check)) {}

 protected:
  bool OnInitDialog() override {
    Fill(GetComboBox(ctl::kCodePageList), sl::kHandheldCodePageRows);
    Select(GetComboBox(ctl::kCodePageList), values_.CodePage);

    ui::ComboBox& msr = GetComboBox(ctl::kMsrList);
    const std::vector<std::string_view> rows = sl::HandheldMsrTriggerRows(facts_.open_check);
    Fill(msr, rows);
    if (rows.size() == 1) {
      // A reader with one fixed mode: nothing to choose.
      msr.SetCurSel(0);
      EnableDlgItem(ctl::kMsrList, false);
    } else {
      Select(msr, values_.Msr);
    }
    if (msr_list_ == sl::MsrTriggerList::kIcCard) {
      // An IC card reader reads no magnetic tracks, so it has no sentinels either.
      EnableDlgItem(ctl::kAdvance, false);
      values_.Sentinel = 0;
    }

    ShowRadio(*this, ctl::kReceipt, values_.Service, 2);
    // The older firmware has no tear-off position. The handheld never writes it, so the edit only
    // shows what the printer holds: an edit would be reported as saved and never sent.
    if (facts_.firmware_version < protocol::kFirmwareNewer) values_.CuttingPosition = 0;
    SetDlgItemText(ctl::kTearOffEdit, std::to_string(values_.CuttingPosition));
    EnableDlgItem(ctl::kTearOffEdit, false);
    return true;
  }

  void OnCommand(int id, ui::Notify code) override {
    if (id == ctl::kAdvance && code == ui::Notify::kClicked) {
      RunSentinelDialog();
      return;
    }
    WizardStep::OnCommand(id, code);
  }

  bool TakeValues() override {
    TakeRow(GetComboBox(ctl::kCodePageList), &values_.CodePage);
    switch (msr_list_) {
      case sl::MsrTriggerList::kOlder:
      case sl::MsrTriggerList::kCurrent:
        TakeRow(GetComboBox(ctl::kMsrList), &values_.Msr);
        break;
      case sl::MsrTriggerList::kEncryptionOnly:
        // The row stands for no trigger value; switch 7 goes back as the printer reported it.
        break;
      case sl::MsrTriggerList::kIcCard:
        values_.Msr = 0;
        break;
    }
    TakeRadio(*this, ctl::kReceipt, &values_.Service);
    return true;
  }

 private:
  void RunSentinelDialog() {
    if (host() == nullptr) return;
    settings::SentinelDialog dlg(SentinelTemplate(), kSentinelForm);
    dlg.SetValues(static_cast<int>(values_.Sentinel), values_.SentinelStart, values_.SentinelEnd);
    if (dlg.DoModal(*host()) != ui::IDOK) return;
    if (dlg.mode() >= 0) values_.Sentinel = static_cast<uint32_t>(dlg.mode());
    values_.SentinelStart = dlg.start_codes();
    values_.SentinelEnd = dlg.end_codes();
  }

  sl::MsrTriggerList msr_list_;
};

// ---- Step 3: beeps and double-byte mode.
class Step3 : public WizardStep {
 public:
  Step3(const protocol::PrinterSettings& v, const PrinterFacts& f)
      : WizardStep(Step3Template(), kInnerCaption, v, f) {}

 protected:
  bool OnInitDialog() override {
    ShowRadio(*this, ctl::kBeepPaperTrue, values_.BeepPaper, 2);
    ShowRadio(*this, ctl::kBeepLowBatOn, values_.BeepLowBat, 2);
    ShowRadio(*this, ctl::kDoubleByteOff, values_.LCharMode, 2);
    return true;
  }
  bool TakeValues() override {
    TakeRadio(*this, ctl::kBeepPaperTrue, &values_.BeepPaper);
    TakeRadio(*this, ctl::kBeepLowBatOn, &values_.BeepLowBat);
    TakeRadio(*this, ctl::kDoubleByteOff, &values_.LCharMode);
    return true;
  }
};

// ---- Step 4: serial interface (shown only) and power times.
class Step4 : public WizardStep {
 public:
  Step4(const protocol::PrinterSettings& v, const PrinterFacts& f)
      : WizardStep(Step4Template(), kInnerCaption, v, f) {}

 protected:
  bool OnInitDialog() override {
    ui::ComboBox& baud = GetComboBox(ctl::kBaudList);
    baud.ResetContent();
    for (const auto& rate : sl::kBaudRates) baud.AddString(rate.word);
    Select(baud, sl::BaudrateRowOf(values_.Baudrate));
    Fill(GetComboBox(ctl::kParityList), sl::kParityRows);
    Select(GetComboBox(ctl::kParityList), values_.Parity);
    Fill(GetComboBox(ctl::kDataBitsList), sl::kDatabitRows);
    Select(GetComboBox(ctl::kDataBitsList), sl::DatabitRowOf(values_.Databit));
    Fill(GetComboBox(ctl::kStopBitsList), sl::kFlowcontrolRows);
    Select(GetComboBox(ctl::kStopBitsList), sl::FlowcontrolRowOf(values_.Flowcontrol));
    SetDlgItemText(ctl::kPowerOffEdit, std::to_string(values_.TimeOff));
    SetDlgItemText(ctl::kPowerSaveEdit, std::to_string(values_.TimeSave));
    return true;
  }
  // The serial lists cannot be changed here: their values go back as read, not as the rows that
  // stand for them (flow control 0 shows "2" and goes back as 0). A rate the list does not offer
  // goes back as the "19200" shown: the serial command would make 115200 of it.
  bool TakeValues() override {
    values_.Baudrate = sl::ShownBaudrate(values_.Baudrate);
    return ReadRange(ctl::kPowerOffEdit, &protocol::PrinterSettings::TimeOff) &&
           ReadRange(ctl::kPowerSaveEdit, &protocol::PrinterSettings::TimeSave);
  }

 private:
  // The edit's value into `field`, within the settings schema's range for it.
  bool ReadRange(int edit, uint32_t protocol::PrinterSettings::*field) {
    const settings::setting_schema::SettingField& setting =
        settings::setting_schema::FieldOf(field);
    return ReadUIntRange(edit, setting.min, setting.max, &(values_.*field));
  }
};

// ---- Step 5: Bluetooth.
constexpr std::array<int, 7> kBluetoothControls = {
    ctl::kSecurityDisable, ctl::kSecurityEnable, ctl::kMode1,    ctl::kMode2,
    ctl::kMode3,           ctl::kPinEdit,        ctl::kNameEdit,
};

class Step5 : public WizardStep {
 public:
  Step5(const protocol::PrinterSettings& v, const PrinterFacts& f)
      : WizardStep(Step5Template(), kOuterCaption, v, f) {}

 protected:
  bool OnInitDialog() override {
    // The box as the user left it on an earlier visit; the walk starts with it off.
    const bool change_bluetooth = values_.BtSkip == 0;
    CheckDlgButton(ctl::kBtCheck, change_bluetooth);
    EnableBluetoothControls(change_bluetooth);
    // The handheld neither reads nor writes the BLE switch, so the box could show nothing true
    // and change nothing: it stays off and unusable, and BleMode passes through untouched.
    CheckDlgButton(ctl::kBleCheck, false);
    EnableDlgItem(ctl::kBleCheck, false);
    ShowRadio(*this, ctl::kSecurityDisable, values_.BtSecurity, 2);
    ShowRadio(*this, ctl::kMode1, values_.BtConnMode, 3);
    SetDlgItemText(ctl::kPinEdit, values_.BtPin);
    SetDlgItemText(ctl::kNameEdit, values_.BtName);
    return true;
  }

  void OnCommand(int id, ui::Notify code) override {
    if (id == ctl::kBtCheck && code == ui::Notify::kClicked) {
      EnableBluetoothControls(IsDlgButtonChecked(ctl::kBtCheck));
      return;
    }
    if (code == ui::Notify::kEditChange && (id == ctl::kPinEdit || id == ctl::kNameEdit)) {
      LimitTypedText(*this, id,
                     id == ctl::kPinEdit ? protocol::kMaxBtPinChars : protocol::kMaxBtNameChars);
      return;
    }
    WizardStep::OnCommand(id, code);
  }

  bool TakeValues() override {
    if (!IsDlgButtonChecked(ctl::kBtCheck)) {
      values_.BtSkip = 1;
      return true;
    }
    // The printer's Bluetooth command has room for no more bytes than these; a PIN or name that
    // came from the printer longer than that must be shortened before it can go back.
    std::string pin = GetDlgItemText(ctl::kPinEdit);
    if (pin.size() > protocol::kMaxBtPinChars) {
      RefuseLength(ctl::kPinEdit, protocol::kMaxBtPinChars);
      return false;
    }
    std::string name = GetDlgItemText(ctl::kNameEdit);
    if (name.size() > protocol::kMaxBtNameChars) {
      RefuseLength(ctl::kNameEdit, protocol::kMaxBtNameChars);
      return false;
    }
    values_.BtSkip = 0;
    TakeRadio(*this, ctl::kSecurityDisable, &values_.BtSecurity);
    TakeRadio(*this, ctl::kMode1, &values_.BtConnMode);
    values_.BtPin = std::move(pin);
    values_.BtName = std::move(name);
    return true;
  }

 private:
  void EnableBluetoothControls(bool enabled) {
    for (int id : kBluetoothControls) EnableDlgItem(id, enabled);
  }
};

template <typename Step>
std::unique_ptr<WizardStep> Make(const protocol::PrinterSettings& values,
                                 const PrinterFacts& facts) {
  return std::make_unique<Step>(values, facts);
}

using StepMaker = std::unique_ptr<WizardStep> (*)(const protocol::PrinterSettings&,
                                                  const PrinterFacts&);
constexpr std::array<StepMaker, kStepCount> kSteps = {
    &Make<Step1>, &Make<Step2>, &Make<Step3>, &Make<Step4>, &Make<Step5>,
};

}  // namespace

WizardStep::WizardStep(const ui::Template& tmpl, std::string_view cancel_caption,
                       const protocol::PrinterSettings& values, const PrinterFacts& facts)
    : ui::Dialog(tmpl), values_(values), facts_(facts), cancel_caption_(cancel_caption) {}

void WizardStep::OnCommand(int id, ui::Notify code) {
  if (code == ui::Notify::kClicked && id == ctl::kPrev) {
    Leave(kLeftPrev);
    return;
  }
  if (code == ui::Notify::kClicked && id == ctl::kDefault) {
    // The factory block replaces everything, and one tap is too little for that: No is the
    // answer Enter gives. The step's choices are not read.
    if (MessageBox(settings::kRestoreDefaultsQuestion, cancel_caption_,
                   ui::MB_YESNO | ui::MB_ICONQUESTION | ui::MB_DEFBUTTON2) == ui::IDYES) {
      EndDialog(kLeftDefault);
    }
    return;
  }
  ui::Dialog::OnCommand(id, code);
}

void WizardStep::OnOK() { Leave(kLeftNext); }

void WizardStep::OnCancel() {
  if (MessageBox(kCancelQuestion, cancel_caption_, ui::MB_YESNO | ui::MB_ICONQUESTION) ==
      ui::IDYES) {
    EndDialog(ui::IDCANCEL);
  }
}

void WizardStep::Leave(int how) {
  if (TakeValues()) EndDialog(how);
}

void WizardStep::RefuseLength(int edit, size_t max_chars) {
  if (host() == nullptr) return;
  GotoDlgCtrl(edit);
  MessageBox(ui::FormatMessage(host()->resources().Framework(ui::FrameworkText::kMaxChars),
                               {std::to_string(max_chars)}),
             {}, ui::MB_OK | ui::MB_ICONEXCLAMATION);
}

std::unique_ptr<WizardStep> MakeStep(int index, const protocol::PrinterSettings& values,
                                     const PrinterFacts& facts) {
  if (index < 0 || index >= kStepCount) return nullptr;
  return kSteps[static_cast<size_t>(index)](values, facts);
}

}  // namespace pda::wizard
