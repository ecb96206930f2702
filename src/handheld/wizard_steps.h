#pragma once

// The five steps of the handheld settings wizard. Each step is a modal dialog built afresh for
// every visit from a copy of the settings record; it shows the fields it is about and, when the
// user leaves it with Next, Save, Prev or Default, its copy holds the record to go on with (the
// other fields untouched). Cancel asks first and hands nothing back.
//
// Controls the user cannot change hand back what they were given, so nothing the printer
// reported is normalised to a list row on the way back; a value a list or radio group cannot
// show leaves it without a selection and stays as it was.

#include <cstdint>
#include <memory>
#include <string_view>

#include "handheld/wizard_templates.h"
#include "protocol/settings_record.h"
#include "ui/core/dialog.h"

namespace pda::wizard {

// How a step was left: DoModal's result.
inline constexpr int kLeftNext = 1;           // IDOK: Next, or Save on the last step
inline constexpr int kLeftCancel = 2;         // IDCANCEL, confirmed
inline constexpr int kLeftPrev = ctl::kPrev;  // the button's id
inline constexpr int kLeftDefault = ctl::kDefault;

// What the steps know of the printer besides the record (from the identification).
struct PrinterFacts {
  uint32_t firmware_version = 0;
  uint8_t open_check = 0;
};

class WizardStep : public ui::Dialog {
 public:
  WizardStep(const ui::Template& tmpl, std::string_view cancel_caption,
             const protocol::PrinterSettings& values, const PrinterFacts& facts);

  // The record as the step leaves it.
  const protocol::PrinterSettings& values() const { return values_; }

 protected:
  void OnCommand(int id, ui::Notify code) override;
  void OnOK() override;
  void OnCancel() override;

  // Copies the controls into values(); false when a check refused a value (its message has been
  // shown and the step stays open).
  virtual bool TakeValues() = 0;
  // The framework's length message for an edit.
  void RefuseLength(int edit, size_t max_chars);

  protocol::PrinterSettings values_;
  PrinterFacts facts_;

 private:
  void Leave(int how);
  std::string_view cancel_caption_;
};

// The step with index 0..4 (the wizard's order: general, MSR and service, beeps, serial and
// power, Bluetooth).
inline constexpr int kStepCount = 5;
std::unique_ptr<WizardStep> MakeStep(int index, const protocol::PrinterSettings& values,
                                     const PrinterFacts& facts);

}  // namespace pda::wizard
