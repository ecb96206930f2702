#include "jobs/job_plan.h"

namespace jobs {
const JobEvent* JobPlan::Find(int event_id) const {
  for (const JobEvent& e : events) {
    if (e.id == event_id) return &e;
  }
  return nullptr;
}

// Every field in order: kind, action, value, ms, when, message id and text, advance, caption.
JobStep Do(int action, uint32_t value, int message_id, uint32_t advance, int when) {
  return {StepKind::kPerform, action, value, 0, when, message_id, {}, advance, {}};
}

JobStep Say(int action, uint32_t value, std::string_view message, uint32_t advance, int when) {
  return {StepKind::kPerform, action, value, 0, when, 0, message, advance, {}};
}

JobStep Only(int when, JobStep step) {
  step.when = when;
  return step;
}

JobStep Kind(StepKind kind, JobStep step) {
  step.kind = kind;
  return step;
}

JobStep Advance(uint32_t n, uint32_t ms, std::string_view caption) {
  return {StepKind::kAdvance, 0, n, ms, kAlways, 0, {}, 0, caption};
}

JobStep Pause(uint32_t ms) { return {StepKind::kPause, 0, 0, ms, kAlways, 0, {}, 0, {}}; }

JobStep Arm(int event, uint32_t ms) {
  return {StepKind::kArm, 0, static_cast<uint32_t>(event), ms, kAlways, 0, {}, 0, {}};
}
}  // namespace jobs
