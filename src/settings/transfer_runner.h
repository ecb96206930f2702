#pragma once

// TransferRunner: carries out the steps of a settings transfer plan against a CCommonVmsm, with no
// window. The progress dialog runs one event per timer and arms the next ones as window timers; a
// program without windows runs the whole transfer in one call and sleeps where the dialog would
// wait for its timers:
//
//   TransferRunner runner(vmsm, DesktopTransferPlan(), progress, clock);
//   if (!runner.RunToEnd(TransferRunner::kReadAll)) {
//     // runner.message(): the failure's text, its second line saying what the link reported
//   }
//
// The link is left as the last step left it (open after success), so a write can follow a read
// on the same connection and rely on the firmware generation the read found.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "protocol/common_vmsm.h"
#include "settings/transfer_plan.h"

// Where a transfer shows its progress: the position 0..100 and the line under the bar
// ("Get status : 42 %").
class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  virtual void Show(int position, const std::string& line) = 0;
};

// The text of a plan's stage name or failure message: the fixed text when the plan has one, else
// the string `id`. The default gives the English texts.
using TransferTextSource = std::function<std::string(std::string_view fixed, int id)>;
std::string EnglishTransferText(std::string_view fixed, int id);

class TransferRunner {
 public:
  enum Mode { kReadAll = 1, kWriteAll = 2, kFactoryDefault = 3 };
  static constexpr int kFullPosition = 100;
  // The delay before the first stage, as the dialog arms it.
  static constexpr uint32_t kFirstStageDelayMs = 100;

  // `vmsm` (with its util), `progress` and `clock` (which takes the pauses) must outlive the
  // runner; `plan` is static data.
  TransferRunner(CCommonVmsm& vmsm, const TransferPlan& plan, TransferProgress& progress,
                 platform::Clock& clock, TransferTextSource text = EnglishTransferText);

  // The event a mode starts with (any mode other than read and write sends the factory default).
  static int FirstEvent(int mode);

  // Runs the steps of `event`; each timer it arms goes to `arm` (event id, delay in ms). False
  // when a step failed: message() and failure_line() then say why, and the transfer is over.
  using ArmTimer = std::function<void(int event, uint32_t delay_ms)>;
  bool RunEvent(const TransferEvent& event, const ArmTimer& arm);
  // The closing stage: the bar runs to 100 under the plan's closing name.
  void Closing();

  // The whole transfer of `mode` from its first event to the closing stage, each armed event run
  // when it falls due (in due order; an event already overdue runs at once). False on failure.
  bool RunToEnd(int mode);

  // Ends the transfer with `text` as its message (also used for failures found outside a step).
  void Fail(std::string text);

  const std::string& message() const { return message_; }
  const std::string& failure_line() const { return failure_line_; }
  int position() const { return position_; }

  // Progress: `n` steps of one each while below 100, each shown and followed by a pause of
  // 2 ms (AdvanceSlow: `ms`).
  void Advance(uint32_t n);
  void AdvanceSlow(uint32_t n, uint32_t ms);

 private:
  bool RunStep(const TransferStep& step, const ArmTimer& arm);
  bool Applies(StepCondition condition) const;
  // The result code of a printer operation (0 success).
  uint32_t Perform(const TransferStep& step);

  CCommonVmsm& vmsm_;
  const TransferPlan& plan_;
  TransferProgress& progress_;
  TransferTextSource text_;
  platform::Clock& clock_;
  std::string message_;
  std::string failure_line_;
  std::string stage_name_;
  int position_ = 0;
};
