#pragma once

// A printer job as data: each timer event is a list of steps, each step one operation with the
// condition under which it runs, the message shown when it fails and the progress it earns. The
// settings transfer and the NV jobs are such plans; JobRunner carries them out.

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace jobs {
enum class StepKind {
  kPerform,      // the job's own operation `action` (JobActions::Perform)
  kOpenLink,     // open the link unless it is open already
  kPrinterInfo,  // CCommonUtil::GetPrinterInfo(value)
  kAdvance,      // progress: value steps of ms each
  kPause,        // sleep ms
  kArm,          // arm timer event `value`, ms ahead
};

// Conditions the runner answers itself; a job's own ones follow kFirstJobCondition.
inline constexpr int kAlways = 0;
inline constexpr int kLinkClosed = 1;
inline constexpr int kFirstJobCondition = 2;

struct JobStep {
  StepKind kind = StepKind::kPerform;
  int action = 0;  // kPerform: the job's operation
  uint32_t value = 0;
  uint32_t ms = 0;
  int when = kAlways;
  int message_id = 0;        // string id of the failure message
  std::string_view message;  // a fixed failure message instead, for programs without the table
  uint32_t advance = 0;      // progress steps earned when the operation succeeds
  std::string_view caption;  // shown before that progress (plans without percent lines)
};

struct JobEvent {
  // The stage name as a string id, or as a fixed text.
  JobEvent(int event_id, int name_id, std::vector<JobStep> event_steps)
      : id(event_id), stage_name_id(name_id), steps(std::move(event_steps)) {}
  JobEvent(int event_id, std::string_view name, std::vector<JobStep> event_steps)
      : id(event_id), steps(std::move(event_steps)), stage_name(name) {}
  JobEvent(int event_id, std::vector<JobStep> event_steps)
      : JobEvent(event_id, 0, std::move(event_steps)) {}

  int id = 0;
  int stage_name_id = 0;
  std::vector<JobStep> steps;
  std::string_view stage_name;
};

// The event that runs the bar to its end and finishes the job with success.
inline constexpr int kEventClose = 9999;

struct JobPlan {
  std::vector<JobEvent> events;
  // Lines "<stage> : 42 %" under a bar that stops at 100; otherwise the line is the last
  // caption and the position counts on past 100 when the steps add up to more.
  bool percent_lines = true;
  int closing_name_id = 0;
  std::string_view closing_name;  // a fixed closing name instead of the string id
  // Between the closing stage's name and the position ("Completed." + "...: " + "100 %").
  std::string_view closing_separator;

  // The event with this id, or nullptr.
  const JobEvent* Find(int event_id) const;
};

// Builders for plans.
JobStep Do(int action, uint32_t value, int message_id, uint32_t advance = 0, int when = kAlways);
JobStep Say(int action, uint32_t value, std::string_view message, uint32_t advance = 0,
            int when = kAlways);
JobStep Only(int when, JobStep step);
JobStep Kind(StepKind kind, JobStep step);
JobStep Advance(uint32_t n, uint32_t ms = 2, std::string_view caption = {});
JobStep Pause(uint32_t ms);
JobStep Arm(int event, uint32_t ms);
}  // namespace jobs
