#include "jobs/job_runner.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "link/link_failure.h"
#include "protocol/result_codes.h"

namespace jobs {
JobRunner::JobRunner(protocol::CCommonUtil* util, const JobPlan& plan, JobActions& actions,
                     JobProgress& progress, platform::Clock& clock, JobTextSource text,
                     int first_event)
    : util_(util),
      plan_(plan),
      actions_(actions),
      progress_(progress),
      clock_(clock),
      text_(std::move(text)),
      first_event_(first_event) {}

JobState JobRunner::RunEvent(int id, const ArmTimer& arm) {
  if (id == kEventClose) {
    if (plan_.percent_lines) {
      stage_ = Text(plan_.closing_name, plan_.closing_name_id);
      separator_ = plan_.closing_separator;
    }
    Advance(position_ < kFullPosition ? kFullPosition - position_ : 0);
    return JobState::kDone;
  }
  // An event the plan does not have (a mode or job it does not know) ends the job; it never
  // falls into another job's steps.
  const JobEvent* event = plan_.Find(id);
  if (event == nullptr) return JobState::kFailed;
  if (plan_.percent_lines) stage_ = Text(event->stage_name, event->stage_name_id);
  for (const JobStep& step : event->steps) {
    if (StopHere() || !RunStep(step, arm)) return JobState::kFailed;
  }
  return JobState::kRunning;
}

bool JobRunner::RunToEnd() {
  struct Due {
    int event;
    uint32_t at;  // tick count
  };
  std::vector<Due> pending;
  const ArmTimer arm = [&](int event, uint32_t delay_ms) {
    pending.push_back({event, clock_.TickCount() + delay_ms});
  };
  Start(arm);
  while (!pending.empty()) {
    // The earliest due first; ties in the order armed. Ticks are compared as differences, so a
    // wrap of the 32-bit count does not reorder them.
    const uint32_t now = clock_.TickCount();
    auto next = std::min_element(pending.begin(), pending.end(), [now](const Due& a, const Due& b) {
      return static_cast<int32_t>(a.at - now) < static_cast<int32_t>(b.at - now);
    });
    const Due due = *next;
    pending.erase(next);
    const auto wait = static_cast<int32_t>(due.at - clock_.TickCount());
    if (wait > 0 && !Wait(static_cast<uint32_t>(wait))) return false;
    if (StopHere()) return false;
    const JobState state = RunEvent(due.event, arm);
    if (state != JobState::kRunning) return state == JobState::kDone;
  }
  // A plan whose events never arm the closing stage has still run every step it has.
  return true;
}

bool JobRunner::RunStep(const JobStep& step, const ArmTimer& arm) {
  const bool link_closed = util_ == nullptr || !util_->dev().is_open();
  if (step.when == kLinkClosed ? !link_closed
                               : step.when != kAlways && !actions_.Applies(step.when)) {
    return true;
  }
  switch (step.kind) {
    case StepKind::kAdvance:
      if (!step.caption.empty()) SetCaption(step.caption);
      Advance(step.value, step.ms);
      return true;
    case StepKind::kPause:
      return Wait(step.ms);
    case StepKind::kArm:
      arm(static_cast<int>(step.value), step.ms);
      return true;
    default:
      break;
  }
  // What the link did during the step tells its failure, silence and a wrong reply apart.
  const devlink::CDev::Traffic before =
      util_ != nullptr ? util_->dev().traffic() : devlink::CDev::Traffic{};
  if (Perform(step) != protocol::kResultOk) {
    // A stop ended the step's reply wait: the program stopped asking, the printer was not
    // found silent. (Waits inside setting mode do not give up at a stop: their failures stand.)
    if (util_ != nullptr && devlink::StopEndedWait(util_->dev(), before)) {
      Stop();
      return false;
    }
    failure_line_ = util_ != nullptr ? devlink::FailureLine(util_->dev(), before) : std::string();
    // A printer that answered as another model or maker says what it is instead (whatever its
    // link did after the answer).
    if (step.kind == StepKind::kPrinterInfo && util_ != nullptr &&
        !util_->refused_identity().empty()) {
      failure_line_ = util_->refused_identity();
    }
    message_ = Text(step.message, step.message_id) +
               (failure_line_.empty() ? std::string() : "\n" + failure_line_);
    actions_.Failed();
    return false;
  }
  if (!step.caption.empty()) SetCaption(step.caption);
  Advance(step.advance);
  return true;
}

protocol::Result JobRunner::Perform(const JobStep& step) {
  switch (step.kind) {
    case StepKind::kOpenLink:
      if (util_ == nullptr) return protocol::kResultNotOpen;
      return util_->OpenLink() ? protocol::kResultOk : protocol::kResultNotOpen;
    case StepKind::kPrinterInfo:
      return util_->GetPrinterInfo(step.value);
    default:
      return actions_.Perform(step, *this);
  }
}

bool JobRunner::StopHere() {
  if (stopped_) return true;
  if (!clock_.StopRequested()) return false;
  Stop();
  return true;
}

void JobRunner::Stop() {
  if (stopped_) return;
  stopped_ = true;
  message_ = actions_.Stop();
  failure_line_.clear();
}

bool JobRunner::Wait(uint32_t ms) {
  if (!clock_.HasStopSignal()) {
    clock_.Sleep(ms);
    return true;
  }
  // Slices short enough that a stop request is seen within a blink.
  constexpr uint32_t kSliceMs = platform::Clock::kIdleSliceMs;
  while (ms > 0) {
    if (StopHere()) return false;
    const uint32_t slice = ms < kSliceMs ? ms : kSliceMs;
    clock_.Sleep(slice);
    ms -= slice;
  }
  return !StopHere();
}

std::string JobRunner::Text(std::string_view fixed, int id) const {
  return text_ ? text_(fixed, id) : std::string(fixed);
}

void JobRunner::Advance(uint32_t n, uint32_t ms) {
  for (uint32_t i = 0; i < n && (position_ < kFullPosition || !plan_.percent_lines); ++i) {
    // The bar is only shown: a stop request cuts it short, and the next step ends the job.
    if (clock_.StopRequested()) return;
    ++position_;
    if (!plan_.percent_lines) {
      progress_.Show(position_, stage_);
    } else {
      line_.assign(stage_).append(separator_).append(std::to_string(position_)).append(" %");
      progress_.Show(position_, line_);
    }
    clock_.Sleep(ms);
  }
}

void JobRunner::SetCaption(std::string_view text) {
  stage_ = std::string(text);
  progress_.Caption(position_, stage_);
}
}  // namespace jobs
