#include "jobs/job_plan.h"

const JobEvent* JobPlan::Find(int event_id) const {
  for (const JobEvent& e : events) {
    if (e.id == event_id) return &e;
  }
  return nullptr;
}

JobStep Do(int action, uint32_t value, int message_id, uint32_t advance, int when) {
  JobStep s;
  s.action = action;
  s.value = value;
  s.message_id = message_id;
  s.advance = advance;
  s.when = when;
  return s;
}

JobStep Say(int action, uint32_t value, std::string_view message, uint32_t advance, int when) {
  JobStep s = Do(action, value, 0, advance, when);
  s.message = message;
  return s;
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
  JobStep s = Kind(StepKind::kAdvance, Do(0, n, 0));
  s.ms = ms;
  s.caption = caption;
  return s;
}

JobStep Pause(uint32_t ms) {
  JobStep s = Kind(StepKind::kPause, Do(0, 0, 0));
  s.ms = ms;
  return s;
}

JobStep Arm(int event, uint32_t ms) {
  JobStep s = Kind(StepKind::kArm, Do(0, static_cast<uint32_t>(event), 0));
  s.ms = ms;
  return s;
}
